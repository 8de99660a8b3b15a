#include "platform/linux/installations/Sources.h"
#include "platform/linux/installations/Yaml.h"

namespace tmt::platform::installations {

namespace fs = std::filesystem;

namespace {

constexpr char kFlatpakBottles[] = "com.usebottles.bottles";

struct BottlesData {
    fs::path folder; // holds bottles/ and runners/
    bool flatpak = false;
};

// The bottle's runner's own wine ("sys-..." runners are the system's Wine).
Launcher RunnerWine(const BottlesData& data, const fs::path& bottle, const std::string& runner) {
    if (!PlainName(runner) || runner.rfind("sys-", 0) == 0) {
        return Launcher::SystemWine(bottle);
    }
    const fs::path folder = data.folder / "runners" / runner;
    // Proton-based runners keep their Wine one level down.
    const fs::path wine = IsFolder(folder / "files")  ? folder / "files" / "bin" / "wine"
                          : IsFolder(folder / "dist") ? folder / "dist" / "bin" / "wine"
                                                      : folder / "bin" / "wine";
    return Launcher::WineProgram(bottle, wine);
}

std::optional<Launcher> BottlesCli(const BottlesData& data, const Home& home,
                                   const std::string& bottleName) {
    Launcher launcher;
    std::vector<std::string> leading;
    if (data.flatpak) {
        if (!FindProgram({"flatpak"}) || !home.FlatpakInstalled(kFlatpakBottles)) {
            return std::nullopt;
        }
        launcher.programs = {"flatpak"};
        launcher.runnerName = "Flatpak";
        leading = {"run", "--command=bottles-cli", kFlatpakBottles};
    } else {
        if (!FindProgram({"bottles-cli"})) {
            return std::nullopt;
        }
        launcher.programs = {"bottles-cli"};
        launcher.runnerName = "Bottles";
    }
    // The attached form: bottles-cli reads its options with argparse, which takes a separate value
    // that begins with "-" for the next option and reports the bottle as missing.
    leading.insert(leading.end(), {"run", "--bottle=" + bottleName, "-e"});
    // bottles-cli takes the switches as its own positional arguments after "--" since Bottles
    // 2022.12.14 (bottles/frontend/cli/cli.py, run_parser "args"); up to 2022.11.14 it took them
    // as "-a", which later releases refuse as an unrecognized argument.
    launcher.arguments = [leading](const std::string& executable,
                                   const std::vector<std::string>& switches) {
        std::vector<std::string> arguments = leading;
        arguments.push_back(executable);
        if (!switches.empty()) {
            arguments.push_back("--");
            arguments.insert(arguments.end(), switches.begin(), switches.end());
        }
        return arguments;
    };
    return launcher;
}

// Where a bottle is: its folder below Bottles' own, or, for a bottle on a path of the user's
// choice, the Path that the folder's placeholder.yml names (Bottles since 2022.4.28;
// bottles/backend/managers/manager.py, check_bottles). A placeholder without a Path is no bottle.
std::optional<fs::path> BottleFolder(const fs::path& folder, const Home& home) {
    const auto text = ReadOwnedFile(folder / "placeholder.yml", limits::kSmallText);
    if (!text) {
        return folder;
    }
    const auto placeholder = ParseYaml(*text);
    const auto path = placeholder ? ScalarAt(*placeholder, "Path") : std::nullopt;
    return path && !path->empty() ? RecordedPath(*path, home.home) : std::nullopt;
}

} // namespace

std::vector<Candidate> BottlesPrefixes(const Home& home) {
    const BottlesData places[] = {
        {home.data / "bottles", false},
        {home.Flatpak(kFlatpakBottles) / "data" / "bottles", true},
    };
    std::vector<Candidate> found;
    for (const BottlesData& data : places) {
        const fs::path bottles = data.folder / "bottles";
        for (const std::string& folderName : FolderNames(bottles)) {
            if (home.Stopped()) {
                return found;
            }
            const std::optional<fs::path> located = BottleFolder(bottles / folderName, home);
            if (!located) {
                continue;
            }
            const fs::path& bottle = *located;
            const auto text = ReadOwnedFile(bottle / "bottle.yml", limits::kBottle);
            const auto record = text ? ParseYaml(*text) : std::nullopt;
            if (!record || !record->IsDefined() || !record->IsMap()) {
                continue;
            }
            std::string name = ScalarAt(*record, "Name").value_or("");
            if (name.empty()) {
                name = folderName;
            }
            const Launcher wine =
                RunnerWine(data, bottle, ScalarAt(*record, "Runner").value_or(""));
            Launcher launcher = BottlesCli(data, home, name).value_or(wine);
            launcher.prefix = bottle;
            launcher.winePrograms = wine.winePrograms;
            found.push_back(
                {(data.flatpak ? "Bottles (Flatpak): " : "Bottles: ") + name, std::move(launcher)});
        }
    }
    return found;
}

} // namespace tmt::platform::installations
