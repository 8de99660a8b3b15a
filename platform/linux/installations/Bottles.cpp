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
    if (runner.empty() || runner.rfind("sys-", 0) == 0 || runner.find('/') != std::string::npos ||
        runner == "." || runner == "..") {
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
    if (data.flatpak) {
        if (!FindProgram({"flatpak"}) || !home.FlatpakInstalled(kFlatpakBottles)) {
            return std::nullopt;
        }
        launcher.programs = {"flatpak"};
        launcher.runnerName = "Flatpak";
        launcher.leadingArguments = {"run", "--command=bottles-cli", kFlatpakBottles};
    } else {
        if (!FindProgram({"bottles-cli"})) {
            return std::nullopt;
        }
        launcher.programs = {"bottles-cli"};
        launcher.runnerName = "Bottles";
    }
    // The attached form: bottles-cli reads its options with argparse, which takes a separate value
    // that begins with "-" for the next option and reports the bottle as missing.
    launcher.leadingArguments.insert(launcher.leadingArguments.end(),
                                     {"run", "--bottle=" + bottleName});
    launcher.gameArguments = Launcher::GameArguments::BottlesOptions;
    return launcher;
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
            const fs::path bottle = bottles / folderName;
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
