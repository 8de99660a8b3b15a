#include "platform/linux/Launcher.h"

#include "platform/linux/DetachedStart.h"
#include "platform/linux/ProgramTrust.h"

#include <cstdlib>
#include <sys/stat.h>
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
    for (const std::string& folder : FolderList("PATH")) {
        if (!folder.empty() && folder.front() == '/') {
            const std::string candidate = folder + "/" + program;
            if (IsExecutableFile(candidate)) {
                return candidate;
            }
        }
    }
    return std::nullopt;
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

std::vector<std::string> SystemWinePrograms() {
    if (const char* wine = std::getenv("WINE"); wine != nullptr && *wine != '\0') {
        return {wine};
    }
    return {"wine", "wine64"};
}

} // namespace

std::vector<std::string> FolderList(const char* name) {
    std::vector<std::string> folders;
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return folders;
    }
    std::string_view rest = value;
    while (true) {
        const std::size_t colon = rest.find(':');
        folders.emplace_back(rest.substr(0, colon));
        if (colon == std::string_view::npos) {
            return folders;
        }
        rest.remove_prefix(colon + 1);
    }
}

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

Launcher::Arguments Launcher::GameThenSwitches(std::vector<std::string> leading) {
    return [leading = std::move(leading)](const std::string& executable,
                                          const std::vector<std::string>& switches) {
        std::vector<std::string> arguments = leading;
        arguments.push_back(executable);
        arguments.insert(arguments.end(), switches.begin(), switches.end());
        return arguments;
    };
}

Launcher::Arguments Launcher::SwitchesOnly(std::vector<std::string> leading) {
    return [leading = std::move(leading)](const std::string&,
                                          const std::vector<std::string>& switches) {
        std::vector<std::string> arguments = leading;
        arguments.insert(arguments.end(), switches.begin(), switches.end());
        return arguments;
    };
}

Launcher::Arguments Launcher::Fixed(std::vector<std::string> leading) {
    return [leading = std::move(leading)](const std::string&, const std::vector<std::string>&) {
        return leading;
    };
}

StartResult Launcher::Start(const std::filesystem::path& executable, std::string_view switches,
                            const std::filesystem::path& folder,
                            std::chrono::milliseconds settle) const {
    if (!refusal.empty()) {
        return {false, refusal};
    }
    const std::optional<FoundProgram> program = FindProgram(programs);
    if (!program) {
        return {false, runnerName + " is not installed: the program " +
                           (programs.empty() ? std::string() : programs.front()) +
                           " was not found."};
    }
    if (!program->refusal.empty()) {
        return {false, runnerName + " is not started: " + program->refusal + "."};
    }
    for (const std::filesystem::path& handed : handedPrograms) {
        const auto checked = CheckProgram(handed);
        if (const auto* untrusted = std::get_if<UntrustedProgram>(&checked)) {
            return {false, runnerName + " is not started: " + untrusted->reason + "."};
        }
    }
    std::vector<std::string> command{program->path};
    const std::vector<std::string> tail = arguments(executable.string(), SplitAtBlanks(switches));
    command.insert(command.end(), tail.begin(), tail.end());
    return StartDetached(command, EnvironmentWith(environment),
                         workingFolder.value_or(folder).string(), settle);
}

} // namespace tmt::platform
