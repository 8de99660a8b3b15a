// Finding the installation key in a large system.reg.
//   bench_registry generate FILE MEGABYTES   writes a prefix-like system.reg with the key near the
//   end bench_registry lookup PREFIX RUNS        opens the key RUNS times and prints the time per
//   lookup
#include "platform/Registry.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

int Generate(const char* file, long megabytes) {
    std::ofstream out(file, std::ios::binary);
    out << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
    const std::size_t target = static_cast<std::size_t>(megabytes) << 20;
    std::size_t written = 0;
    for (long key = 0; written < target; ++key) {
        std::string section = "[Software\\\\Classes\\\\CLSID\\\\{" + std::to_string(100000 + key) +
                              "-0000-0000-C000-000000000046}\\\\InprocServer32] 1796762724\n"
                              "#time=1dd87550c767452\n"
                              "@=\"C:\\\\windows\\\\system32\\\\ole32.dll\"\n"
                              "\"ThreadingModel\"=\"Both\"\n"
                              "\"Flags\"=dword:00000000\n\n";
        written += section.size();
        out << section;
    }
    out << "[Software\\\\Wow6432Node\\\\TuneMora] 1796762724\n#time=1dd87550c767452\n"
           "\"InstallDir\"=\"C:\\\\Games\\\\TuneMora\"\n\"InstallVer\"=\"1.0.2\"\n\n"
           "[System\\\\CurrentControlSet] 1796762724\n";
    return out ? 0 : 1;
}

int Lookup(const char* prefix, long runs) {
    ::setenv("WINEPREFIX", prefix, 1);
    tmt::platform::Registry registry;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < runs; ++i) {
        if (!registry.OpenKey("SOFTWARE\\\\TuneMora") ||
            registry.ReadString("InstallDir").empty()) {
            std::fprintf(stderr, "key not found\n");
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
    if (argc == 4 && std::string(argv[1]) == "generate") {
        return Generate(argv[2], std::atol(argv[3]));
    }
    if (argc == 4 && std::string(argv[1]) == "lookup") {
        return Lookup(argv[2], std::atol(argv[3]));
    }
    std::fprintf(stderr, "usage: %s generate FILE MEGABYTES | lookup PREFIX RUNS\n", argv[0]);
    return 2;
}
