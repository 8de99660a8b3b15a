// Reads and writes of single keys in a large config.ini on tmpfs (so the flush does not dominate),
// at three file sizes to show how the cost scales; TM_BENCH_DIR names another folder to run in,
// on a disk for example. The Replace* benchmarks time the replacement of the file's contents
// alone: renamed over, rewritten in place behind its journal, and rewritten in place without one
// (the reference for the journal's cost).
#include "platform/AtomicFile.h"
#include "platform/linux/FileOps.h"
#include "settings/IniFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fileops = tmt::platform::fileops;
using tmt::platform::Replacement;

std::string BenchFolder() {
    const char* chosen = std::getenv("TM_BENCH_DIR");
    return std::string(chosen != nullptr ? chosen : "/dev/shm") + "/tm-ini-bench-" +
           std::to_string(::getpid());
}

// About 243 KB and 9,500 keys per unit of `scale`, the key of interest in the last section.
std::string MakeConfig(int scale) {
    const std::string folder = BenchFolder();
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

// The rewrite in place as the program made it before it kept a journal: the same calls, without
// the journal's file, flushes and rename.
Replacement RewriteInPlaceWithoutJournal(const std::string& path, std::string_view bytes,
                                         std::string_view readBytes) {
    // What every replacement looks at before it chooses its way.
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || ::access(path.c_str(), W_OK) != 0 ||
        ::stat(path.c_str(), &info) != 0) {
        return Replacement::Failed;
    }
    const int fd = fileops::OpenForRewrite(path);
    std::string now;
    Replacement outcome = Replacement::Failed;
    if (fd >= 0 && fileops::Reserve(fd, bytes.size()) &&
        fileops::ReadWholeFile(path, now) == fileops::ReadResult::Read) {
        outcome = now != readBytes ? Replacement::ChangedMeanwhile
                  : fileops::WriteAll(fd, bytes) && fileops::Truncate(fd, bytes.size()) &&
                          fileops::Flush(fd)
                      ? Replacement::Done
                      : Replacement::Failed;
    }
    if (fd >= 0) {
        fileops::Close(fd);
    }
    return outcome;
}

enum class Way { Renamed, InPlaceWithJournal, InPlaceWithoutJournal };

// Replaces a config.ini of the size by one that differs in one key, back and forth.
void Replace(benchmark::State& state, Way way) {
    const std::string path = MakeConfig(static_cast<int>(state.range(0)));
    const std::string link = path + ".link";
    std::filesystem::remove(link);
    if (way != Way::Renamed) {
        std::filesystem::create_hard_link(path, link);
    }
    std::string contents[2];
    fileops::ReadWholeFile(path, contents[0]);
    contents[1] = contents[0];
    contents[1].replace(contents[1].rfind("UpdateChannel=1"), 15, "UpdateChannel=2");
    int round = 0;
    for (auto _ : state) {
        const std::string& now = contents[round % 2];
        const std::string& next = contents[++round % 2];
        const Replacement outcome =
            way == Way::InPlaceWithoutJournal
                ? RewriteInPlaceWithoutJournal(path, next, now)
                : tmt::platform::ReplaceFileContentsIfUnchanged(path, next, now);
        if (outcome != Replacement::Done) {
            state.SkipWithError("the replacement failed");
            break;
        }
    }
    std::filesystem::remove(link);
    state.counters["bytes"] = static_cast<double>(contents[0].size());
}

void ReplaceRenamed(benchmark::State& state) {
    Replace(state, Way::Renamed);
}
void ReplaceInPlaceWithJournal(benchmark::State& state) {
    Replace(state, Way::InPlaceWithJournal);
}
void ReplaceInPlaceWithoutJournal(benchmark::State& state) {
    Replace(state, Way::InPlaceWithoutJournal);
}

} // namespace

BENCHMARK(ReplaceRenamed)->Arg(0)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReplaceInPlaceWithJournal)->Arg(0)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReplaceInPlaceWithoutJournal)->Arg(0)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadKey)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(WriteKey)->Arg(0)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(WriteKeyHardLinked)->Arg(0)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
