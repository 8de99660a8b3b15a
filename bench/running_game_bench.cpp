// How long the check whether the game runs takes with many processes of the user, in the same run
// against the least that any search of the processes by name does (every process's name read
// once, in this program) and against pgrep looking for the game's name (a program of its own).
//   bench_running_game [PROCESSES (default 1000)] [ROUNDS (default 20)]
// Starts PROCESSES idle processes of its own beside whatever runs, then times ROUNDS checks for a
// game that is not running (every process is looked at), ROUNDS readings of every name and ROUNDS
// runs of pgrep.
#include "platform/RunningPrograms.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::vector<pid_t> StartIdleProcesses(int count) {
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::pause();
            ::_exit(0);
        }
        if (child < 0) {
            break;
        }
        children.push_back(child);
    }
    return children;
}

int CountOwnProcesses() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        std::error_code error;
        if (std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
            std::filesystem::status(entry.path(), error).type() ==
                std::filesystem::file_type::directory) {
            ++count;
        }
    }
    return count;
}

// Every process's name, read the plainest way.
void ReadEveryName() {
    char name[64];
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const int fd = ::open((entry.path() / "comm").c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            [[maybe_unused]] const ssize_t got = ::read(fd, name, sizeof name);
            ::close(fd);
        }
    }
}

void RunPgrep() {
    const std::string user = std::to_string(::getuid());
    std::vector<std::string> texts = {"pgrep", "-c", "-i", "-x", "-u", user, "Tunemora.exe"};
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1, 0);
    pid_t child = 0;
    if (posix_spawnp(&child, "pgrep", &actions, nullptr, argv.data(), environ) == 0) {
        ::waitpid(child, nullptr, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
}

double CpuMilliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Milliseconds per run: the median and the fastest of `rounds` on the clock, and the median of
// the processor time this program spent (which the load of a busy machine does not stretch).
struct Times {
    double median;
    double fastest;
    double cpuMedian;
};
Times Time(int rounds, const std::function<void()>& run) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        const double cpuStart = CpuMilliseconds();
        run();
        cpu.push_back(CpuMilliseconds() - cpuStart);
        wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], wall.front(), cpu[cpu.size() / 2]};
}

} // namespace

int main(int argc, char** argv) {
    const int processes = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int rounds = std::max(argc > 2 ? std::atoi(argv[2]) : 20, 1);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("bench-running-game-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string game = (folder / "Tunemora.exe").string();
    std::ofstream(game) << "MZ";

    const std::vector<pid_t> children = StartIdleProcesses(processes);
    const int listed = CountOwnProcesses();
    bool running = false;
    const Times ours =
        Time(rounds, [&] { running = tmt::platform::IsProgramRunning(game) || running; });
    const Times names = Time(rounds, ReadEveryName);
    const Times pgrep = Time(rounds, RunPgrep);
    for (const pid_t child : children) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    std::filesystem::remove_all(folder);

    std::printf("%d processes listed (%zu started here), %d rounds\n", listed, children.size(),
                rounds);
    std::printf("check: median %.2f ms, fastest %.2f ms, processor %.2f ms%s\n", ours.median,
                ours.fastest, ours.cpuMedian, running ? " (found running: wrong)" : "");
    std::printf("every name read: median %.2f ms, fastest %.2f ms, processor %.2f ms "
                "(ratio %.2f, processor %.2f)\n",
                names.median, names.fastest, names.cpuMedian, ours.median / names.median,
                ours.cpuMedian / names.cpuMedian);
    std::printf("pgrep: median %.2f ms, fastest %.2f ms (ratio %.2f)\n", pgrep.median,
                pgrep.fastest, ours.median / pgrep.median);
    return running ? 1 : 0;
}
