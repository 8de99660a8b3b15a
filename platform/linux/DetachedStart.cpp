#include "platform/linux/DetachedStart.h"

#include "platform/linux/UniqueFd.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace tmt::platform {

namespace {

// What the started program's side tells the tool, in one write no larger than PIPE_BUF, so that
// it arrives whole. Between fork and exec only async-signal-safe calls are allowed, so it is a
// plain record filled without allocation.
struct Report {
    enum Kind : int { kFolder = 1, kExec, kEnded, kRunning };
    int kind = 0;
    int value = 0; // errno for kFolder and kExec, the wait status for kEnded
    int length = 0;
    char text[500] = {}; // the end of what the program wrote to its standard error
};
static_assert(sizeof(Report) <= PIPE_BUF);

struct Pipe {
    UniqueFd read;
    UniqueFd write;
    explicit Pipe(int flags) {
        int ends[2];
        if (::pipe2(ends, flags) == 0) {
            read.Reset(ends[0]);
            write.Reset(ends[1]);
        }
    }
};

long long NowMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void Send(int fd, const Report& report) {
    [[maybe_unused]] const ssize_t written = ::write(fd, &report, sizeof report);
}

// Passes what the runner wrote to its standard error on to the tool's own and keeps its last
// bytes; true once nobody can write there any more.
bool Forward(int from, Report& tail) {
    char chunk[4096];
    ssize_t got = 0;
    while ((got = ::read(from, chunk, sizeof chunk)) > 0) {
        for (ssize_t done = 0; done < got;) {
            const ssize_t written = ::write(STDERR_FILENO, chunk + done, got - done);
            if (written <= 0) {
                break;
            }
            done += written;
        }
        const int keep = static_cast<int>(sizeof tail.text);
        const int take = std::min(static_cast<int>(got), keep);
        const int stay = std::min(tail.length, keep - take);
        std::memmove(tail.text, tail.text + tail.length - stay, stay);
        std::memcpy(tail.text + stay, chunk + got - take, take);
        tail.length = stay + take;
    }
    return got == 0;
}

// Closes every descriptor but the ones kept. Between fork and exec, so no allocation: the kept
// descriptors come as a small array, sorted in place.
template <std::size_t N> void CloseAllBut(int (&keep)[N]) {
    const auto closeRange = [](unsigned from, unsigned to) {
        if (::syscall(SYS_close_range, from, to, 0) == 0) {
            return;
        }
        // Kernels before 5.9 lack close_range: every descriptor below the limit, one by one.
        rlimit limit{};
        const rlim_t open = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < 65536
                                ? limit.rlim_cur
                                : 65536;
        for (unsigned fd = from; fd <= to && fd < open; ++fd) {
            ::close(static_cast<int>(fd));
        }
    };
    std::sort(std::begin(keep), std::end(keep));
    unsigned from = 0;
    for (const int fd : keep) {
        if (fd < 0) {
            continue;
        }
        const auto kept = static_cast<unsigned>(fd);
        if (kept > from) {
            closeRange(from, kept - 1);
        }
        from = std::max(from, kept + 1);
    }
    closeRange(from, ~0u);
}

// Runs in the session leader's child, which the runner belongs to: watches the runner until it
// ends or `settle` passes, reports which, and keeps passing its standard error on until nobody
// writes to it any more.
[[noreturn]] void Supervise(pid_t runner, int errors, int report, long long settle) {
    // It lives as long as the game and needs no standard input or output.
    int keep[] = {STDERR_FILENO, errors, report};
    CloseAllBut(keep);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, nullptr);
    Report tail;
    bool reported = false;
    bool ended = false;
    bool closed = false;
    const long long deadline = NowMs() + settle;
    while (!closed || !(ended || reported)) {
        // Until the report is out the runner is looked at every 20 ms: its standard error may
        // stay open in a program it started (a wineserver) long after it ended.
        const int wait =
            reported ? -1 : static_cast<int>(std::clamp(deadline - NowMs(), 0LL, 20LL));
        pollfd watched{errors, POLLIN, 0};
        if (::poll(&watched, closed ? 0 : 1, wait) > 0 && watched.revents != 0) {
            closed = Forward(errors, tail);
        }
        int status = 0;
        if (!ended && ::waitpid(runner, &status, WNOHANG) == runner) {
            ended = true;
            if (!reported) {
                closed = closed || Forward(errors, tail);
                tail.kind = Report::kEnded;
                tail.value = status;
                Send(report, tail);
                reported = true;
            }
        }
        if (!reported && NowMs() >= deadline) {
            tail.kind = Report::kRunning;
            Send(report, tail);
            reported = true;
        }
        if (reported && report >= 0) {
            ::close(report);
            report = -1;
        }
    }
    ::_exit(0);
}

// The last line that is not blank in what the program wrote.
std::string LastLine(const Report& report) {
    std::string text(report.text, static_cast<std::size_t>(std::max(report.length, 0)));
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.pop_back();
    }
    const std::size_t newline = text.find_last_of('\n');
    return newline == std::string::npos ? text : text.substr(newline + 1);
}

StartResult Outcome(const Report& report, const std::string& program, const std::string& folder) {
    switch (report.kind) {
    case Report::kFolder:
        return {false, "The working folder " + folder +
                           " cannot be entered: " + std::strerror(report.value) + "."};
    case Report::kExec:
        return {false, program + " cannot be started: " + std::strerror(report.value) + "."};
    case Report::kEnded: {
        if (WIFEXITED(report.value) && WEXITSTATUS(report.value) == 0) {
            return {true, ""};
        }
        const std::string how =
            WIFEXITED(report.value)
                ? "with exit status " + std::to_string(WEXITSTATUS(report.value))
                : "on signal " + std::to_string(WTERMSIG(report.value));
        const std::string said = LastLine(report);
        return {false,
                program + " ended at once " + how + (said.empty() ? "." : ", saying: " + said)};
    }
    default:
        return {true, ""};
    }
}

} // namespace

std::vector<char*> ExecPointers(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (const std::string& text : texts) {
        // execve never writes through them.
        pointers.push_back(const_cast<char*>(text.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

StartResult StartDetached(const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment, const std::string& folder,
                          std::chrono::milliseconds settle) {
    // Everything the children need is prepared here: between fork and exec only
    // async-signal-safe calls are allowed.
    const std::vector<char*> argv = ExecPointers(arguments);
    const std::vector<char*> envp = ExecPointers(environment);
    const std::string program = std::filesystem::path(arguments.at(0)).filename().string();
    const long long settleMs = settle.count();

    Pipe report(O_CLOEXEC);
    Pipe errors(O_CLOEXEC);
    // Only the supervisor's end waits for nothing; the runner writes as to any standard error.
    if (!report.read.IsOpen() || !errors.read.IsOpen() ||
        ::fcntl(errors.read.Get(), F_SETFL, O_NONBLOCK) != 0) {
        return {false, std::strerror(errno)};
    }
    const pid_t child = ::fork();
    if (child < 0) {
        return {false, std::strerror(errno)};
    }
    if (child == 0) {
        // The first child only opens a session and leaves, so that the rest is nobody's child
        // here and leaves no zombie behind.
        ::setsid();
        const pid_t supervisor = ::fork();
        if (supervisor != 0) {
            ::_exit(supervisor < 0 ? 1 : 0);
        }
        // The tool's descriptors go before the runner is made, not in the supervisor only: the
        // supervisor outlives the tool, and a runner between fork and exec still holds even the
        // descriptors that close on exec (the tool's display connection, its files, the pipe of
        // whoever reads its output) while the supervisor may already have told the tool it runs.
        int keep[] = {STDIN_FILENO,      STDOUT_FILENO,      STDERR_FILENO,
                      errors.read.Get(), errors.write.Get(), report.write.Get()};
        CloseAllBut(keep);
        report.read.Release();
        const pid_t runner = ::fork();
        if (runner == 0) {
            Report failure;
            if (::chdir(folder.c_str()) != 0) {
                failure.kind = Report::kFolder;
            } else if (::dup2(errors.write.Get(), STDERR_FILENO) >= 0) {
                ::execve(argv[0], argv.data(), envp.data());
                failure.kind = Report::kExec;
            } else {
                failure.kind = Report::kExec;
            }
            failure.value = errno;
            Send(report.write.Get(), failure);
            ::_exit(127);
        }
        ::close(errors.write.Release());
        if (runner < 0) {
            ::_exit(1);
        }
        Supervise(runner, errors.read.Get(), report.write.Release(), settleMs);
    }
    report.write.Reset();
    errors.write.Reset();
    errors.read.Reset();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return {false, "The game could not be started."};
    }
    Report outcome;
    std::size_t got = 0;
    auto* bytes = reinterpret_cast<char*>(&outcome);
    while (got < sizeof outcome) {
        const ssize_t n = ::read(report.read.Get(), bytes + got, sizeof outcome - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    if (got < sizeof outcome) {
        return {true, ""};
    }
    return Outcome(outcome, program, folder);
}

} // namespace tmt::platform
