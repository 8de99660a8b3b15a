#include "platform/linux/Launcher.h"

#include "platform/linux/ProgramTrust.h"
#include "platform/linux/UniqueFd.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

extern char** environ;

namespace tmt::platform {

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// Only absolute entries of PATH count: a relative one (an empty one means the current folder)
// names another folder after the change into the game's folder, and whatever lies there, as a
// careful shell treats PATH for privileged programs.
std::optional<std::string> FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path == nullptr ? "" : path;
    while (true) {
        const std::size_t colon = rest.find(':');
        const std::string folder(rest.substr(0, colon));
        if (!folder.empty() && folder.front() == '/') {
            const std::string candidate = folder + "/" + program;
            if (IsExecutableFile(candidate)) {
                return candidate;
            }
        }
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        rest.remove_prefix(colon + 1);
    }
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

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// A pipe whose write end closes on exec: the grandchild reports a failed exec through it, and the
// parent learns of a successful one from the end of file.
struct Pipe {
    UniqueFd read;
    UniqueFd write;
    Pipe() {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) == 0) {
            read.Reset(ends[0]);
            write.Reset(ends[1]);
        }
    }
};

std::vector<std::string> SystemWinePrograms() {
    if (const char* wine = std::getenv("WINE"); wine != nullptr && *wine != '\0') {
        return {wine};
    }
    return {"wine", "wine64"};
}

} // namespace

std::vector<std::string>
EnvironmentWith(const std::vector<std::pair<std::string, std::string>>& settings) {
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        const std::string_view name = text.substr(0, text.find('='));
        const bool replaced =
            std::any_of(settings.begin(), settings.end(),
                        [&](const auto& setting) { return setting.first == name; });
        if (!replaced) {
            entries.emplace_back(text);
        }
    }
    for (const auto& [name, value] : settings) {
        entries.push_back(name + "=" + value);
    }
    return entries;
}

std::optional<FoundProgram> FindProgram(const std::vector<std::string>& candidates) {
    for (const std::string& candidate : candidates) {
        if (candidate.find('/') == std::string::npos) {
            if (auto found = FindOnPath(candidate)) {
                return FoundProgram{*found, ""};
            }
            continue;
        }
        if (!IsExecutableFile(candidate)) {
            continue;
        }
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(candidate, error);
        const auto checked = CheckProgram(error ? std::filesystem::path(candidate) : absolute);
        if (const auto* trusted = std::get_if<TrustedProgram>(&checked)) {
            return FoundProgram{trusted->path.string(), ""};
        }
        return FoundProgram{absolute.string(), std::get<UntrustedProgram>(checked).reason};
    }
    return std::nullopt;
}

std::filesystem::path DefaultWinePrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(prefix, error);
        return error ? std::filesystem::path(prefix) : absolute;
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "") / ".wine";
}

Launcher Launcher::SystemWine(const std::filesystem::path& prefix) {
    Launcher launcher;
    launcher.prefix = prefix;
    launcher.programs = SystemWinePrograms();
    launcher.runnerName = "Wine";
    launcher.environment = {{"WINEPREFIX", prefix.string()}};
    launcher.winePrograms = launcher.programs;
    return launcher;
}

Launcher Launcher::WineProgram(const std::filesystem::path& prefix,
                               const std::filesystem::path& wine) {
    Launcher launcher = SystemWine(prefix);
    if (IsExecutableFile(wine.string())) {
        launcher.programs = {wine.string()};
        launcher.winePrograms = launcher.programs;
    }
    return launcher;
}

StartResult Launcher::Start(const std::filesystem::path& executable, std::string_view switches,
                            const std::filesystem::path& folder) const {
    const std::optional<FoundProgram> program = FindProgram(programs);
    if (!program) {
        return {false, runnerName + " is not installed: the program " +
                           (programs.empty() ? std::string() : programs.front()) +
                           " was not found."};
    }
    if (!program->refusal.empty()) {
        return {false, runnerName + " is not started: " + program->refusal + "."};
    }

    // Everything the child needs is prepared here: between fork and exec only async-signal-safe
    // calls are allowed.
    std::vector<std::string> arguments{program->path};
    arguments.insert(arguments.end(), leadingArguments.begin(), leadingArguments.end());
    std::vector<std::string> pieces = SplitAtBlanks(switches);
    switch (gameArguments) {
    case GameArguments::ProgramThenSwitches:
        arguments.push_back(executable.string());
        arguments.insert(arguments.end(), pieces.begin(), pieces.end());
        break;
    case GameArguments::SwitchesOnly:
        arguments.insert(arguments.end(), pieces.begin(), pieces.end());
        break;
    case GameArguments::BottlesOptions: {
        arguments.insert(arguments.end(), {"-e", executable.string()});
        std::string joined;
        for (const std::string& piece : pieces) {
            joined += (joined.empty() ? "" : " ") + piece;
        }
        if (!joined.empty()) {
            arguments.insert(arguments.end(), {"-a", joined});
        }
        break;
    }
    }
    std::vector<char*> argv = Pointers(arguments);
    std::vector<std::string> environmentEntries = EnvironmentWith(environment);
    std::vector<char*> envp = Pointers(environmentEntries);
    const std::string workingFolder = folder.string();
    const std::string programName = std::filesystem::path(program->path).filename().string();

    Pipe report;
    if (!report.read.IsOpen()) {
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
                ::execve(argv[0], argv.data(), envp.data());
                failure = -errno;
            }
            [[maybe_unused]] const ssize_t written =
                ::write(report.write.Get(), &failure, sizeof failure);
            ::_exit(127);
        }
        ::_exit(game < 0 ? 1 : 0);
    }
    report.write.Reset();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return {false, "The game could not be started."};
    }
    int failure = 0;
    ssize_t got = 0;
    while ((got = ::read(report.read.Get(), &failure, sizeof failure)) < 0 && errno == EINTR) {
    }
    if (got == static_cast<ssize_t>(sizeof failure)) {
        if (failure > 0) {
            return {false, "The working folder " + workingFolder +
                               " cannot be entered: " + std::strerror(failure) + "."};
        }
        return {false,
                programName + " cannot be started: " + std::string(std::strerror(-failure)) + "."};
    }
    return {true, ""};
}

} // namespace tmt::platform
