#include "platform/linux/GroupProcess.h"

#include "platform/linux/DetachedStart.h"
#include "platform/linux/Launcher.h"
#include "platform/linux/UniqueFd.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

namespace tmt::platform {

namespace {

constexpr int kHandedDescriptor = 3;
// How often a stop is looked for while the program runs.
constexpr std::chrono::milliseconds kStopCheck{50};

} // namespace

bool RunInOwnGroup(const std::vector<std::string>& arguments,
                   const std::vector<std::pair<std::string, std::string>>& settings, int handed,
                   std::chrono::steady_clock::time_point deadline, const std::stop_token& stop) {
    // Everything the child needs is prepared here: between fork and exec only async-signal-safe
    // calls are allowed.
    const std::vector<char*> argv = ExecPointers(arguments);
    const std::vector<std::string> environment = EnvironmentWith(settings);
    const std::vector<char*> envp = ExecPointers(environment);
    const pid_t child = ::fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        ::setpgid(0, 0);
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        if (handed >= 0) {
            // dup2 onto itself keeps the close-on-exec flag; only a real copy loses it.
            if (handed == kHandedDescriptor) {
                ::fcntl(handed, F_SETFD, 0);
            } else {
                ::dup2(handed, kHandedDescriptor);
            }
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    // Set on both sides, so that the group exists before either goes on.
    ::setpgid(child, child);
    const UniqueFd process(static_cast<int>(::syscall(SYS_pidfd_open, child, 0)));
    bool ended = false;
    while (true) {
        // Not reaped yet: while the program is a zombie, its group id cannot be taken by another.
        siginfo_t info{};
        const int waited =
            ::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT);
        if (waited == 0 && info.si_pid == child) {
            ended = true;
            break;
        }
        if (waited < 0 && errno != EINTR) {
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || stop.stop_requested()) {
            break;
        }
        const auto wait = stop.stop_possible() ? std::min(left, kStopCheck) : left;
        if (process.IsOpen()) {
            pollfd exited{process.Get(), POLLIN, 0};
            ::poll(&exited, 1, static_cast<int>(wait.count()));
        } else {
            ::usleep(static_cast<useconds_t>(std::min(wait, kStopCheck).count()) * 1000);
        }
    }
    // The group goes whether the program ended or not: whatever it started must not outlive it.
    ::kill(-child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace tmt::platform
