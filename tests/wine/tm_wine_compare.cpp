// Compares what the program's functions and Wine's did with the same cases, locale by locale, and
// prints the agreement per function and every difference that no decided mend explains.
//
//   tm_wine_compare <work> <decided-mends> <locale>...
//
// Exits 1 when a difference remains.
#include "tests/wine/Comparison.h"

#include <iostream>

int main(int argc, char** argv) {
    using tmt::wine::Comparison;
    if (argc < 4) {
        std::cerr << "usage: tm_wine_compare <work> <decided-mends> <locale>...\n";
        return 2;
    }
    const std::optional<std::string> mends = tmt::wine::Slurp(argv[2]);
    if (!mends) {
        std::cerr << "tm_wine_compare: cannot read " << argv[2] << '\n';
        return 2;
    }
    Comparison comparison(argv[1], tmt::wine::ReadMends(*mends));
    for (int i = 3; i < argc; ++i) {
        comparison.Locale(argv[i]);
    }
    return comparison.Report(std::cout);
}
