#include "platform/linux/installations/LutrisWine.h"

#include "platform/linux/installations/LutrisProton.h"
#include "platform/linux/installations/Sources.h"
#include "platform/linux/installations/Yaml.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string_view>
#include <tuple>

namespace tmt::platform::installations {

namespace fs = std::filesystem;

namespace {

constexpr char kFlatpakLutris[] = "net.lutris.Lutris";
// The version a game without one of its own runs on since Lutris 0.5.20: the newest GE-Proton,
// through umu (lutris/util/wine/wine.py, GE_PROTON_LATEST).
constexpr char kGeProton[] = "ge-proton";

using Settings = std::vector<std::pair<std::string, std::string>>;

// The program that runs the game and what Lutris tells it in WINE (and PROTONPATH through umu).
struct Runner {
    std::string program;
    std::string name; // for the user when the program is missing
    std::string wine; // the WINE variable: the runner's wine, or umu-run itself
    std::optional<std::string> protonPath;
    std::vector<std::string> winePrograms;
};

class Options {
public:
    Options(const LutrisLevels& levels, const YAML::Node& record)
        : levels_(levels), record_(record) {}

    // An option of the Wine runner: the game's own, else the runner level's.
    std::optional<std::string> Runner(const char* key) const {
        if (auto own = ScalarAt(MapAt(record_, "wine"), key)) {
            return own;
        }
        return ScalarAt(MapAt(levels_.runner, "wine"), key);
    }
    bool RunnerFlag(const char* key, bool fallback) const {
        const auto value = Runner(key);
        if (!value) {
            return fallback;
        }
        static const char* const yes[] = {"true", "True", "TRUE", "yes", "Yes", "on", "On", "1"};
        return std::find(std::begin(yes), std::end(yes), *value) != std::end(yes);
    }
    Settings RunnerMapping(const char* key) const {
        if (MapAt(MapAt(record_, "wine"), key).IsDefined()) {
            return TextsAt(MapAt(record_, "wine"), key);
        }
        return TextsAt(MapAt(levels_.runner, "wine"), key);
    }
    std::optional<std::string> Game(const char* key) const {
        return ScalarAt(MapAt(record_, "game"), key);
    }
    // A system option: the game's, else the runner level's, else system.yml's.
    std::optional<std::string> System(const char* key) const {
        for (const YAML::Node* level : {&record_, &levels_.runner, &levels_.system}) {
            if (auto value = ScalarAt(MapAt(*level, "system"), key)) {
                return value;
            }
        }
        return std::nullopt;
    }
    // The variables of every level, the game's last, so that its own win (LutrisConfig,
    // merge_to_system_config).
    Settings Environment() const {
        Settings merged;
        for (const YAML::Node* level : {&levels_.system, &levels_.runner, &record_}) {
            for (auto& variable : TextsAt(MapAt(*level, "system"), "env")) {
                if (variable.first.empty()) {
                    continue;
                }
                auto known = std::find_if(merged.begin(), merged.end(), [&](const auto& entry) {
                    return entry.first == variable.first;
                });
                if (known != merged.end()) {
                    known->second = variable.second;
                } else {
                    merged.push_back(std::move(variable));
                }
            }
        }
        return merged;
    }

private:
    const LutrisLevels& levels_;
    const YAML::Node& record_;
};

// The game's version: its own, else the runner level's; "ge-proton" counts as none
// (wine.read_version_from_config).
std::string Version(const LutrisLevels& levels, const YAML::Node& record) {
    for (const YAML::Node* level : {&record, &levels.runner}) {
        const auto version = ScalarAt(MapAt(*level, "wine"), "version");
        if (version && !version->empty() && *version != kGeProton) {
            return *version;
        }
    }
    return kGeProton;
}

// The system's Wine builds by their version names (lutris/util/wine/wine.py, WINE_PATHS).
std::optional<std::string> SystemWinePath(const std::string& version) {
    static const std::map<std::string, std::string> paths = {
        {"winehq-devel", "/opt/wine-devel/bin/wine"},
        {"winehq-staging", "/opt/wine-staging/bin/wine"},
        {"wine-development", "/usr/lib/wine-development/wine"},
        {"system", "wine"},
    };
    if (const auto known = paths.find(version); known != paths.end()) {
        return known->second;
    }
    if (version.rfind("System wine-", 0) == 0 && PlainName(version.substr(7))) {
        return "/usr/lib/" + version.substr(7) + "/bin/wine";
    }
    return std::nullopt;
}

Runner Umu(const LutrisFolders& folders, std::optional<std::string> protonPath) {
    const std::optional<std::string> umu = UmuPath(folders);
    // Without umu Lutris stops with "Install umu to use Proton".
    return {umu.value_or("umu-run"), "umu", umu.value_or("umu-run"), std::move(protonPath), {}};
}

Runner WineRunner(const std::string& wine) {
    return {wine, "Wine", wine, std::nullopt, {wine}};
}

// The program of a version, falling back to Lutris's default where the version's own is missing
// (wine.get_executable).
Runner Resolve(const LutrisFolders& folders, const Options& options, const std::string& version) {
    if (version == kGeProton) {
        return Umu(folders, "GE-Proton");
    }
    if (const auto system = SystemWinePath(version)) {
        if (folders.flatpak) {
            return version == "system" ? WineRunner("wine") : Resolve(folders, options, kGeProton);
        }
        const auto found = FindProgram({*system});
        return found ? WineRunner(found->path) : Resolve(folders, options, kGeProton);
    }
    // A Proton build is run through umu, without which Lutris offers none
    // (proton.get_proton_versions); its wine only tells Lutris that it is whole.
    const auto proton =
        folders.flatpak || UmuPath(folders) ? ProtonFolder(folders, version) : std::nullopt;
    if (proton) {
        for (const char* dist : {"dist", "files"}) {
            if (IsFile(*proton / dist / "bin" / "wine")) {
                Runner umu = Umu(folders, proton->string());
                umu.wine = (*proton / dist / "bin" / "wine").string();
                umu.winePrograms = {umu.wine};
                return umu;
            }
        }
        return {(*proton / "files" / "bin" / "wine").string(),
                "Proton " + version,
                "",
                std::nullopt,
                {}};
    }
    const fs::path own = folders.data / "runners" / "wine" / version;
    if (version == "custom") {
        const auto custom = options.Runner("custom_wine_path");
        return custom && IsFile(*custom) ? WineRunner(*custom)
                                         : Resolve(folders, options, kGeProton);
    }
    if (PlainName(version) && IsFile(own / "bin" / "wine")) {
        return WineRunner((own / "bin" / "wine").string());
    }
    return Resolve(folders, options, kGeProton);
}

// The prefix's architecture from the head of its system.reg ("#arch=win64"), as
// wine.detect_prefix_arch reads its first five lines.
// Only the head of the file is read, and only from a regular file of the user's: a FIFO or a
// device in its place must not hold the search.
std::optional<std::string> PrefixArch(const fs::path& prefix) {
    const std::string head = ReadOwnedFileHead(prefix / "system.reg", 4096).value_or("");
    std::size_t at = 0;
    for (int count = 0; count < 5 && at < head.size(); ++count) {
        const std::size_t end = std::min(head.find('\n', at), head.size());
        const std::string_view line(head.data() + at, end - at);
        if (line.find("win64") != std::string_view::npos) {
            return "win64";
        }
        if (line.find("win32") != std::string_view::npos) {
            return "win32";
        }
        at = end + 1;
    }
    return std::nullopt;
}

// wine.wine_arch: the game's own, else detected from its Wine and its prefix.
std::string Arch(const Options& options, const Runner& runner, const fs::path& prefix) {
    const auto arch = options.Game("arch");
    if (arch && (*arch == "win32" || *arch == "win64")) {
        return *arch;
    }
    const bool proton = runner.protonPath && runner.wine != runner.program;
    if (proton || (!runner.wine.empty() && IsFile(runner.wine + "64"))) {
        return "win64";
    }
    return PrefixArch(prefix).value_or("win32");
}

// WINEDLLOVERRIDES as lutris/util/wine/wine.py, get_overrides_env, writes it: the DLLs grouped by
// their load order in a fixed order, each group sorted, winemenubuilder always disabled.
std::string Overrides(Settings overrides) {
    overrides.emplace_back("winemenubuilder", "");
    std::map<std::string, std::string> byDll;
    for (auto& [dll, value] : overrides) {
        std::string order;
        for (const char c : value) {
            if (c != ' ') {
                order += c;
            }
        }
        for (const auto& [word, letter] : {std::pair<std::string, std::string>{"builtin", "b"},
                                           {"native", "n"},
                                           {"disabled", ""}}) {
            for (std::size_t at = 0; (at = order.find(word, at)) != std::string::npos;) {
                order.replace(at, word.size(), letter);
            }
        }
        byDll[dll] = order;
    }
    std::string text;
    for (const char* order : {"n,b", "b,n", "b", "n", "d", ""}) {
        std::string dlls;
        for (const auto& [dll, value] : byDll) {
            if (value == order) {
                dlls += (dlls.empty() ? "" : ",") + dll;
            }
        }
        if (!dlls.empty()) {
            text += (text.empty() ? "" : ";") + dlls + "=" + order;
        }
    }
    return text;
}

// The game's arguments as Python's shlex.split takes them, a quote left open closed at the end.
std::vector<std::string> ShellWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = '\0';
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (quote == '\'') {
            quote = c == '\'' ? '\0' : quote;
            if (c != '\'') {
                word += c;
            }
        } else if (quote == '"') {
            if (c == '\\' && at + 1 < text.size() &&
                (text[at + 1] == '"' || text[at + 1] == '\\')) {
                word += text[++at];
            } else if (c == '"') {
                quote = '\0';
            } else {
                word += c;
            }
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord) {
                words.push_back(word);
                word.clear();
                inWord = false;
            }
        } else {
            inWord = true;
            if (c == '\\' && at + 1 < text.size()) {
                word += text[++at];
            } else if (c == '\'' || c == '"') {
                quote = c;
            } else {
                word += c;
            }
        }
    }
    if (inWord) {
        words.push_back(word);
    }
    return words;
}

class Environment {
public:
    void Set(const std::string& name, const std::string& value) {
        auto known = Find(name);
        if (known != settings_.end()) {
            known->second = value;
        } else {
            settings_.emplace_back(name, value);
        }
    }
    void SetIfAbsent(const std::string& name, const std::string& value) {
        if (Find(name) == settings_.end()) {
            settings_.emplace_back(name, value);
        }
    }
    std::optional<std::string> Get(const std::string& name) const {
        const auto known = std::find_if(settings_.begin(), settings_.end(),
                                        [&](const auto& entry) { return entry.first == name; });
        return known != settings_.end() ? std::optional(known->second) : std::nullopt;
    }
    const Settings& All() const { return settings_; }

private:
    Settings::iterator Find(const std::string& name) {
        return std::find_if(settings_.begin(), settings_.end(),
                            [&](const auto& entry) { return entry.first == name; });
    }
    Settings settings_;
};

// The folder of the game's working_dir option ("~" standing for the home folder); Lutris starts
// the game in its program's own folder otherwise.
std::optional<fs::path> WorkingFolder(const Options& options, const fs::path& home) {
    const std::string folder = options.Game("working_dir").value_or("");
    return folder == "~" ? home : RecordedPath(folder, home);
}

// runner.get_env, wine.get_env and wine.finish_env, in their order.
Settings GameEnvironment(const Options& options, const Runner& runner, const std::string& version,
                         const std::string& arch, const fs::path& prefix) {
    Environment env;
    if (const auto locale = options.System("locale"); locale && !locale->empty()) {
        env.Set("LC_ALL", *locale);
    }
    for (const auto& [name, value] : options.Environment()) {
        env.Set(name, value);
    }
    const std::string debug = options.Runner("show_debug").value_or("-all");
    if (debug != "inherit") {
        env.Set("WINEDEBUG", debug);
        env.Set("DXVK_LOG_LEVEL", debug.empty() ? "info" : debug == "+all" ? "debug" : "error");
        env.Set("UMU_LOG", debug.empty() ? "warning" : debug == "+all" ? "debug" : "1");
    }
    env.Set("WINEARCH", arch);
    if (version == kGeProton) {
        env.Set("PROTONPATH", "GE-Proton");
    }
    env.Set("WINE", runner.wine);
    env.Set("WINEPREFIX", prefix.string());
    for (const auto& [option, variable, proton] :
         {std::tuple{"esync", "WINEESYNC", "PROTON_NO_ESYNC"},
          std::tuple{"fsync", "WINEFSYNC", "PROTON_NO_FSYNC"}}) {
        // Lutris turns fsync on where the kernel has it, as every kernel since 5.16 does.
        const bool on = options.RunnerFlag(option, true);
        env.SetIfAbsent(variable, on ? "1" : "0");
        if (!on) {
            env.SetIfAbsent(proton, "1");
        }
    }
    env.Set("WINEDLLOVERRIDES", Overrides(options.RunnerMapping("overrides")));
    if (runner.protonPath) {
        env.SetIfAbsent("PROTONPATH", *runner.protonPath);
        env.SetIfAbsent("GAMEID", env.Get("UMU_ID").value_or("umu-default"));
        env.SetIfAbsent("WINEARCH", "win64");
        env.SetIfAbsent("PROTON_VERB", "waitforexitandrun");
        if (const auto locale = env.Get("LC_ALL"); locale && !locale->empty()) {
            env.SetIfAbsent("HOST_LC_ALL", *locale);
        }
    }
    return env.All();
}

} // namespace

Launcher LutrisLauncher(const LutrisFolders& folders, const LutrisLevels& levels,
                        const YAML::Node& record, const fs::path& prefix) {
    const Options options(levels, record);
    const std::string version = Version(levels, record);
    const Runner runner = Resolve(folders, options, version);
    const std::string arch = Arch(options, runner, prefix);
    const Settings environment = GameEnvironment(options, runner, version, arch, prefix);
    std::vector<std::string> leading;
    Launcher launcher;
    launcher.prefix = prefix;
    launcher.winePrograms = runner.winePrograms;
    if (runner.protonPath && arch == "win32") {
        launcher.refusal = "Proton is not compatible with 32-bit prefixes.";
    }
    // A Proton found by its folder may lie in a Steam library on a disk that other accounts share.
    if (runner.protonPath && runner.protonPath->starts_with('/')) {
        launcher.handedPrograms = {fs::path(*runner.protonPath) / "proton"};
    }
    launcher.workingFolder = WorkingFolder(options, folders.home);
    if (folders.flatpak) {
        // The Flatpak's programs and paths are its sandbox's: the game runs there, with the
        // variables given to the sandbox itself.
        launcher.programs = {"flatpak"};
        launcher.runnerName = "Flatpak";
        leading = {"run", "--command=" + runner.program};
        for (const auto& [name, value] : environment) {
            leading.push_back("--env=" + name + "=" + value);
        }
        leading.push_back(kFlatpakLutris);
    } else {
        launcher.programs = {runner.program};
        launcher.runnerName = runner.name;
        launcher.environment = environment;
    }
    const std::vector<std::string> gameArguments = ShellWords(options.Game("args").value_or(""));
    launcher.arguments = [leading, gameArguments](const std::string& executable,
                                                  const std::vector<std::string>& switches) {
        std::vector<std::string> arguments = leading;
        arguments.push_back(executable);
        arguments.insert(arguments.end(), gameArguments.begin(), gameArguments.end());
        arguments.insert(arguments.end(), switches.begin(), switches.end());
        return arguments;
    };
    return launcher;
}

} // namespace tmt::platform::installations
