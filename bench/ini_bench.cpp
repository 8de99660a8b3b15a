// Reads and writes of single keys in a large config.ini on tmpfs (so the flush does not dominate),
// at three file sizes to show how the cost scales.
#include "settings/IniFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// About 243 KB and 9,500 keys per unit of `scale`, the key of interest in the last section.
std::string MakeConfig(int scale) {
    const std::string folder = "/dev/shm/tm-ini-bench-" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/config-" + std::to_string(scale) + ".ini";
    std::ofstream out(path, std::ios::binary);
    const int keys = 9500 * scale;
    for (int i = 0; i < keys; ++i) {
        if (i % 50 == 0) {
            out << "[Section" << i / 50 << "]\r\n";
        }
        out << "Key" << i << "=value number " << i << "\r\n";
    }
    out << "[Net]\r\nUpdateChannel=1\r\n";
    return path;
}

void ReadKey(benchmark::State& state) {
    const tmt::IniFile ini(MakeConfig(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ini.ReadInteger("Net", "UpdateChannel", 0));
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(ini.FileName()));
}

void WriteKey(benchmark::State& state) {
    tmt::IniFile ini(MakeConfig(static_cast<int>(state.range(0))));
    int value = 0;
    for (auto _ : state) {
        ini.WriteInteger("Net", "UpdateChannel", value++ % 3);
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(ini.FileName()));
}

// The same write to a file with a second hard link, which is rewritten in place rather than
// replaced by a renamed copy; the ratio to WriteKey is the cost of keeping the link.
void WriteKeyHardLinked(benchmark::State& state) {
    tmt::IniFile ini(MakeConfig(static_cast<int>(state.range(0))));
    const std::string link = ini.FileName() + ".link";
    std::filesystem::remove(link);
    std::filesystem::create_hard_link(ini.FileName(), link);
    int value = 0;
    for (auto _ : state) {
        ini.WriteInteger("Net", "UpdateChannel", value++ % 3);
    }
    std::filesystem::remove(link);
}

} // namespace

BENCHMARK(ReadKey)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(WriteKey)->Arg(0)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(WriteKeyHardLinked)->Arg(0)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
