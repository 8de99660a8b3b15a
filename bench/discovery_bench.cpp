// Finding the installation among many Wine prefixes.
//   bench_discovery generate HOME PREFIXES MEGABYTES   writes PREFIXES PlayOnLinux prefixes under
//       HOME, each with a system.reg of MEGABYTES, only the last holding the installation key
//   bench_discovery find HOME RUNS                     searches HOME RUNS times and prints the time
//       per search in milliseconds
#include "platform/Installations.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

bool WriteRegistry(const std::filesystem::path& file, long megabytes, bool withKey) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
    const std::size_t target = static_cast<std::size_t>(megabytes) << 20;
    std::size_t written = 0;
    for (long key = 0; written < target; ++key) {
        const std::string section =
            "[Software\\\\Classes\\\\CLSID\\\\{" + std::to_string(100000 + key) +
            "-0000-0000-C000-000000000046}\\\\InprocServer32] 1796762724\n"
            "#time=1dd87550c767452\n@=\"C:\\\\windows\\\\system32\\\\ole32.dll\"\n"
            "\"ThreadingModel\"=\"Both\"\n\"Flags\"=dword:00000000\n\n";
        written += section.size();
        out << section;
    }
    if (withKey) {
        out << "[Software\\\\Wow6432Node\\\\TuneMora] 1796762724\n#time=1dd87550c767452\n"
               "\"InstallDir\"=\"C:\\\\Games\\\\TuneMora\"\n\"InstallVer\"=\"1.0.2\"\n\n";
    }
    out << "[System\\\\CurrentControlSet] 1796762724\n";
    return static_cast<bool>(out);
}

int Generate(const char* home, long prefixes, long megabytes) {
    const std::filesystem::path folder =
        std::filesystem::path(home) / ".PlayOnLinux" / "wineprefix";
    for (long i = 0; i < prefixes; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "prefix-%03ld", i);
        if (!WriteRegistry(folder / name / "system.reg", megabytes, i + 1 == prefixes)) {
            return 1;
        }
    }
    return 0;
}

int Find(const char* home, long runs) {
    ::setenv("HOME", home, 1);
    for (const char* name : {"WINEPREFIX", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
        ::unsetenv(name);
    }
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < runs; ++i) {
        if (tmt::platform::FindInstallations("SOFTWARE\\\\TuneMora").size() != 1) {
            std::fprintf(stderr, "expected exactly one installation\n");
            return 1;
        }
    }
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    std::printf("%.3f\n", elapsed.count() / static_cast<double>(runs));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "generate") {
        return Generate(argv[2], std::atol(argv[3]), std::atol(argv[4]));
    }
    if (argc == 4 && std::string(argv[1]) == "find") {
        return Find(argv[2], std::atol(argv[3]));
    }
    std::fprintf(stderr, "usage: %s generate HOME PREFIXES MEGABYTES | find HOME RUNS\n", argv[0]);
    return 2;
}
