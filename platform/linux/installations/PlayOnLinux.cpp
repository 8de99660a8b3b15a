#include "platform/linux/installations/Sources.h"

#include <cstdlib>
#include <system_error>

namespace tmt::platform::installations {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        at = end + 1;
    }
    return lines;
}

// The text between the first pair of double quotes after `lead` at the start of `line`.
std::optional<std::string> QuotedAfter(const std::string& line, const std::string& lead) {
    if (line.rfind(lead, 0) != 0) {
        return std::nullopt;
    }
    const std::size_t open = line.find('"', lead.size());
    const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
    if (close == std::string::npos) {
        return std::nullopt;
    }
    return line.substr(open + 1, close - open - 1);
}

bool SameFolder(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return fs::equivalent(a, b, error);
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return text;
}

// A shortcut of PlayOnLinux's: its name, the prefix of its last "export WINEPREFIX=" (as
// PlayOnLinux reads it, lib/scripts.lib, POL_Shortcut_GetPrefix) and the program of its POL_Wine
// line (lib/scripts.lib, POL_Shortcut).
struct Shortcut {
    std::string name;
    fs::path prefix;
    std::string program;
};

std::vector<Shortcut> Shortcuts(const fs::path& playOnLinux) {
    const fs::path folder = playOnLinux / "shortcuts";
    std::vector<Shortcut> shortcuts;
    for (const std::string& name : FolderNames(folder)) {
        const auto text = ReadOwnedFile(folder / name, limits::kSmallText);
        if (!text) {
            continue;
        }
        Shortcut shortcut{name, {}, {}};
        for (const std::string& line : Lines(*text)) {
            if (auto exported = QuotedAfter(line, "export WINEPREFIX=")) {
                shortcut.prefix = *exported;
            } else if (auto run = QuotedAfter(line, "POL_Wine ")) {
                shortcut.program = *run;
            }
        }
        if (!shortcut.prefix.empty() && !shortcut.program.empty()) {
            shortcuts.push_back(std::move(shortcut));
        }
    }
    return shortcuts;
}

// The shortcut PlayOnLinux starts the game by: one of the prefix that runs the game's program.
std::optional<std::string> GameShortcut(const std::vector<Shortcut>& shortcuts,
                                        const fs::path& prefix) {
    for (const Shortcut& shortcut : shortcuts) {
        if (SameFolder(shortcut.prefix, prefix) &&
            Lower(fs::path(shortcut.program).filename().string()) == "tunemora.exe") {
            return shortcut.name;
        }
    }
    return std::nullopt;
}

// The prefix's settings from its playonlinux.cfg (VERSION=7.0, ARCH=amd64), read as
// POL_Config_PrefixRead reads them: the text after the first "=".
std::string Setting(const std::vector<std::string>& lines, const std::string& key) {
    std::string value;
    for (const std::string& line : lines) {
        if (line.rfind(key + "=", 0) == 0) {
            value = line.substr(key.size() + 1);
        }
    }
    return value;
}

// What POL_Wine does without a shortcut (lib/wine.lib, POL_Wine_AutoSetVersionEnv and
// POL_Wine_SetVersionEnv): the prefix's Wine version of ~/.PlayOnLinux/wine/linux-<arch>/ first
// on PATH and its libraries first on LD_LIBRARY_PATH, and the debug output off as every
// PlayOnLinux shortcut turns it off. A prefix without a version runs on the system's Wine.
Launcher PolWine(const fs::path& playOnLinux, const fs::path& prefix) {
    const auto text = ReadOwnedFile(prefix / "playonlinux.cfg", limits::kSmallText);
    const std::vector<std::string> lines = text ? Lines(*text) : std::vector<std::string>{};
    const std::string version = Setting(lines, "VERSION");
    std::string arch = Setting(lines, "ARCH");
    if (arch.empty()) {
        // POL_System_SetArch "auto": amd64 where the machine is 64-bit.
        arch = sizeof(void*) == 8 ? "amd64" : "x86";
    }
    Launcher launcher = Launcher::SystemWine(prefix);
    launcher.environment.emplace_back("WINEDEBUG", "-all");
    if (!PlainName(version) || !PlainName(arch)) {
        return launcher;
    }
    const fs::path wine = playOnLinux / "wine" / ("linux-" + arch) / version;
    // PlayOnLinux would download a version it lacks; without PlayOnLinux it is missing.
    launcher.programs = {(wine / "bin" / "wine").string()};
    launcher.runnerName = "PlayOnLinux's Wine " + version;
    launcher.winePrograms = launcher.programs;
    const auto prepend = [](const std::string& folders, const char* variable) {
        const char* current = std::getenv(variable);
        return folders + (current != nullptr ? current : "");
    };
    launcher.environment.emplace_back("PATH", prepend((wine / "bin").string() + "/:", "PATH"));
    launcher.environment.emplace_back("FREETYPE_PROPERTIES", "truetype:interpreter-version=35");
    launcher.environment.emplace_back(
        "LD_LIBRARY_PATH",
        prepend((wine / "lib").string() + "/:" + (wine / "lib64").string() + "/:",
                "LD_LIBRARY_PATH"));
    return launcher;
}

} // namespace

std::vector<Candidate> PlayOnLinuxPrefixes(const Home& home) {
    const fs::path playOnLinux = home.home / ".PlayOnLinux";
    std::vector<Candidate> found;
    const std::vector<std::string> names = FolderNames(playOnLinux / "wineprefix");
    const std::vector<Shortcut> shortcuts =
        names.empty() ? std::vector<Shortcut>{} : Shortcuts(playOnLinux);
    for (const std::string& name : names) {
        if (home.Stopped()) {
            break;
        }
        const fs::path prefix = playOnLinux / "wineprefix" / name;
        if (!IsFolder(prefix)) {
            continue;
        }
        Launcher wine = PolWine(playOnLinux, prefix);
        const std::optional<std::string> shortcut = GameShortcut(shortcuts, prefix);
        if (!shortcut || !FindProgram({"playonlinux"})) {
            found.push_back({"PlayOnLinux: " + (shortcut ? *shortcut : name), std::move(wine)});
            continue;
        }
        // PlayOnLinux's own start of a shortcut, which passes what follows its name on to the
        // game (playonlinux --run, then bash/run_app and the shortcut's POL_Wine "$@").
        Launcher launcher;
        launcher.prefix = prefix;
        launcher.programs = {"playonlinux"};
        launcher.runnerName = "PlayOnLinux";
        launcher.arguments = Launcher::SwitchesOnly({"--run", *shortcut});
        launcher.winePrograms = wine.winePrograms;
        found.push_back({"PlayOnLinux: " + *shortcut, std::move(launcher)});
    }
    return found;
}

} // namespace tmt::platform::installations
