// Listing many profiles, for comparison with cat reading every profile file once.
//   bench_profiles make GAME COUNT   makes GAME/Profiles with COUNT profile folders
//   bench_profiles list GAME         lists them as the profile manager does, prints the count
#include "profiles/ProfileStore.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

int Make(const std::filesystem::path& game, long count) {
    for (long i = 0; i < count; ++i) {
        const std::filesystem::path folder = game / "Profiles" / ("Player" + std::to_string(i));
        std::filesystem::create_directories(folder);
        std::ofstream prf(folder / "profile.prf", std::ios::binary);
        prf << "[profile]\r\nname=Player number " << i << "\r\nlogin=player" << i
            << "\r\nlocked=no\r\navatar=avatar.jpg\r\n";
        if (!prf) {
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "make") {
        return Make(argv[2], std::atol(argv[3]));
    }
    if (argc == 3 && std::string(argv[1]) == "list") {
        // A native game folder: the store's paths pass through the path mapping unchanged.
        std::printf("%zu\n", tmt::ListProfiles(argv[2]).size());
        return 0;
    }
    std::fprintf(stderr, "usage: %s make GAME COUNT | list GAME\n", argv[0]);
    return 2;
}
