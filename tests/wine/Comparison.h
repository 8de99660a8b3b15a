#pragma once

#include "tests/wine/Compare.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tmt::wine {

// A file's bytes; nothing when it cannot be read.
std::optional<std::string> Slurp(const std::filesystem::path& path);

// Compares what the program's functions and Wine's did with the same cases, locale by locale.
// The work folder holds the corpus (corpus/) and, per locale, the results and trees that
// scripts/wine-differential.sh leaves there; every difference and mend goes to
// <work>/differences.txt as it is found.
class Comparison {
public:
    Comparison(std::filesystem::path work, std::map<std::string, std::string> mends);

    void Locale(const std::string& locale);
    // The agreement per function and locale, and the differences no decided mend explains, by
    // kind; 0 when there are none, else 1.
    int Report(std::ostream& out) const;

private:
    struct Tally {
        int cases = 0;
        int agree = 0;
        int mended = 0;
        int differ = 0;
    };
    struct Kind {
        std::map<std::string, int> perLocale;
        std::map<std::string, std::string> examples; // the first case of each family
    };

    void Count(const std::string& locale, const Case& c, Verdict verdict);
    Verdict Mutation(const std::string& locale, const Case& c,
                     const std::map<std::string, std::string>& ours,
                     const std::map<std::string, std::string>& wine);

    std::filesystem::path work_;
    std::map<std::string, std::string> mends_;
    std::ofstream differences_;
    std::map<std::pair<std::string, std::string>, Tally> tallies_; // by operation and locale
    std::map<std::string, Kind> kinds_;
    // Wine's verdicts on the current locale's writes: whether their texts fit the ANSI code page,
    // and both sides' results as its reader sees them.
    std::map<std::string, std::string> fits_;
    std::map<std::string, std::string> dumps_;
    std::vector<std::string> locales_;
};

} // namespace tmt::wine
