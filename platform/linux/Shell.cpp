#include "platform/Shell.h"

#include "platform/PathMap.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <vector>

namespace tmt::platform {

namespace {

std::string_view WithoutQuotes(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

std::vector<std::string> SplitAtBlanks(std::string_view text) {
    std::vector<std::string> pieces;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        if (end > at) {
            pieces.emplace_back(text.substr(at, end - at));
        }
        at = end + 1;
    }
    return pieces;
}

std::optional<std::string> FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path == nullptr ? "" : path;
    while (true) {
        const std::size_t colon = rest.find(':');
        const std::string folder(rest.substr(0, colon));
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        rest.remove_prefix(colon + 1);
    }
}

// A pipe whose write end closes on exec: the grandchild reports a failed exec through it, and the
// parent learns of a successful one from the end of file.
struct Pipe {
    int read = -1;
    int write = -1;
    Pipe() {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) == 0) {
            read = ends[0];
            write = ends[1];
        }
    }
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    void CloseRead() {
        if (read >= 0) {
            ::close(read);
            read = -1;
        }
    }
    void CloseWrite() {
        if (write >= 0) {
            ::close(write);
            write = -1;
        }
    }
};

} // namespace

StartResult ShellOpen(std::string_view file, std::string_view parameters,
                      std::string_view directory) {
    const std::filesystem::path executable = ToNativePath(WithoutQuotes(file));
    const std::filesystem::path folder = ToNativePath(WithoutQuotes(directory));
    struct stat info {};
    if (::stat(executable.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return {false, "The file was not found."};
    }
    const std::optional<std::string> wine = FindOnPath("wine");
    if (!wine) {
        return {false, "Wine is not installed: the program wine was not found."};
    }

    // Everything the child needs is prepared here: between fork and exec only async-signal-safe
    // calls are allowed.
    std::vector<std::string> arguments{"wine", executable.string()};
    for (std::string& piece : SplitAtBlanks(parameters)) {
        arguments.push_back(std::move(piece));
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const std::string workingFolder = folder.string();

    Pipe report;
    if (report.read < 0) {
        return {false, std::strerror(errno)};
    }
    const pid_t child = ::fork();
    if (child < 0) {
        return {false, std::strerror(errno)};
    }
    if (child == 0) {
        // The middle child only starts the game and leaves, so the game is nobody's child here
        // and leaves no zombie behind.
        ::setsid();
        const pid_t game = ::fork();
        if (game == 0) {
            // A failed change of folder is reported as a positive number, a failed exec as a
            // negative one.
            int failure = 0;
            if (::chdir(workingFolder.c_str()) != 0) {
                failure = errno;
            } else {
                ::execv(wine->c_str(), argv.data());
                failure = -errno;
            }
            [[maybe_unused]] const ssize_t written =
                ::write(report.write, &failure, sizeof failure);
            ::_exit(127);
        }
        ::_exit(game < 0 ? 1 : 0);
    }
    report.CloseWrite();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return {false, "The game could not be started."};
    }
    int failure = 0;
    ssize_t got = 0;
    while ((got = ::read(report.read, &failure, sizeof failure)) < 0 && errno == EINTR) {
    }
    if (got == static_cast<ssize_t>(sizeof failure)) {
        if (failure > 0) {
            return {false, "The working folder " + workingFolder +
                               " cannot be entered: " + std::strerror(failure) + "."};
        }
        return {false, "wine cannot be started: " + std::string(std::strerror(-failure)) + "."};
    }
    return {true, ""};
}

} // namespace tmt::platform
