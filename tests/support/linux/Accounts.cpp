#include "tests/support/linux/Accounts.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace tmt::test {

namespace fs = std::filesystem;

namespace {

void Own(const fs::path& path, const Account& account) {
    if (::lchown(path.c_str(), account.uid, account.gid) != 0) {
        throw std::system_error(errno, std::generic_category(), "lchown " + path.string());
    }
}

} // namespace

std::vector<char*> ExecPointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

bool CanActAsAccounts() {
    return ::geteuid() == 0;
}

void GiveTo(const fs::path& path, const Account& account) {
    Own(path, account);
    if (fs::is_symlink(path) || !fs::is_directory(path)) {
        return;
    }
    for (const auto& entry : fs::recursive_directory_iterator(path)) {
        Own(entry.path(), account);
    }
}

AccountRun RunAs(const Account& account, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment, std::chrono::seconds guard) {
    std::vector<std::string> argv{"/usr/bin/setpriv", "--reuid=" + std::to_string(account.uid),
                                  "--regid=" + std::to_string(account.gid), "--clear-groups", "--"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunProgram(argv, environment, guard);
}

AccountRun RunProgram(const std::vector<std::string>& arguments,
                      const std::vector<std::string>& environment, std::chrono::seconds guard) {
    std::vector<std::string> argv = arguments;
    std::vector<std::string> envp = environment;
    std::vector<char*> argPointers = ExecPointers(argv);
    std::vector<char*> envPointers = ExecPointers(envp);
    std::array<int, 2> out{};
    std::array<int, 2> err{};
    if (::pipe2(out.data(), O_CLOEXEC) != 0 || ::pipe2(err.data(), O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "pipe2");
    }
    const pid_t child = ::fork();
    if (child < 0) {
        throw std::system_error(errno, std::generic_category(), "fork");
    }
    if (child == 0) {
        ::setpgid(0, 0);
        const int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::execve(argPointers[0], argPointers.data(), envPointers.data());
        ::_exit(127);
    }
    ::setpgid(child, child);
    ::close(out[1]);
    ::close(err[1]);
    AccountRun run;
    const auto deadline = std::chrono::steady_clock::now() + guard;
    std::array<pollfd, 2> ends{pollfd{out[0], POLLIN, 0}, pollfd{err[0], POLLIN, 0}};
    std::array<std::string*, 2> texts{&run.out, &run.err};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            run.timedOut = true;
            break;
        }
        if (::poll(ends.data(), ends.size(), static_cast<int>(left.count())) < 0 &&
            errno != EINTR) {
            break;
        }
        for (std::size_t i = 0; i < ends.size(); ++i) {
            if (ends[i].fd < 0 || ends[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::read(ends[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                texts[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(ends[i].fd);
                ends[i].fd = -1;
                --open;
            }
        }
    }
    // Whatever the program left behind in its group goes with it.
    ::kill(-child, SIGKILL);
    for (const pollfd& end : ends) {
        if (end.fd >= 0) {
            ::close(end.fd);
        }
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!run.timedOut && WIFEXITED(status)) {
        run.status = WEXITSTATUS(status);
    }
    return run;
}

} // namespace tmt::test
