#include "platform/linux/installations/LutrisWine.h"
#include "platform/linux/installations/Sources.h"
#include "platform/linux/installations/Yaml.h"

namespace tmt::platform::installations {

namespace fs = std::filesystem;

namespace {

constexpr char kFlatpakLutris[] = "net.lutris.Lutris";

// Lutris names a game's record <slug>-<timestamp>.yml and keeps the game's title in its database;
// a record that its installer wrote carries the title as "name", else the slug stands for it.
std::string GameName(const YAML::Node& record, const std::string& fileName) {
    if (auto name = ScalarAt(record, "name"); name && !name->empty()) {
        return *name;
    }
    std::string slug = fs::path(fileName).stem().string();
    const std::size_t dash = slug.rfind('-');
    if (dash != std::string::npos && dash + 1 < slug.size() &&
        slug.find_first_not_of("0123456789", dash + 1) == std::string::npos) {
        slug.erase(dash);
    }
    return slug;
}

YAML::Node ReadYaml(const fs::path& path) {
    const auto text = ReadOwnedFile(path, limits::kLutrisConfig);
    const auto parsed = text ? ParseYaml(*text) : std::nullopt;
    return parsed ? *parsed : YAML::Node(YAML::NodeType::Undefined);
}

// The Lutris of the user's own folders, or the one of its Flatpak, whose folders are the
// application's own ($XDG_CONFIG_HOME and $XDG_DATA_HOME inside its sandbox).
LutrisFolders Folders(const Home& home, const fs::path& configHome, const fs::path& dataHome,
                      bool flatpak) {
    LutrisFolders folders;
    folders.data = dataHome / "lutris";
    folders.home = home.home;
    // Lutris keeps its configuration in ~/.config/lutris while that exists, and moves to its data
    // folder otherwise (lutris/settings.py, CONFIG_DIR).
    folders.config = IsFolder(configHome / "lutris") ? configHome / "lutris" : folders.data;
    folders.flatpak = flatpak;
    return folders;
}

void AddGames(const LutrisFolders& folders, const Home& home, const char* label,
              std::vector<Candidate>& found) {
    const fs::path games = folders.config / "games";
    const std::vector<std::string> names = FolderNames(games);
    if (names.empty()) {
        return;
    }
    const LutrisLevels shared{ReadYaml(folders.config / "system.yml"),
                              ReadYaml(folders.config / "runners" / "wine.yml")};
    for (const std::string& name : names) {
        if (home.Stopped()) {
            return;
        }
        if (fs::path(name).extension() != ".yml") {
            continue;
        }
        const YAML::Node record = ReadYaml(games / name);
        const auto prefixText = ScalarAt(MapAt(record, "game"), "prefix");
        const auto prefix = prefixText ? RecordedPath(*prefixText, home.home) : std::nullopt;
        if (!prefix) {
            continue;
        }
        found.push_back(
            {label + GameName(record, name), LutrisLauncher(folders, shared, record, *prefix)});
    }
}

} // namespace

std::vector<Candidate> LutrisPrefixes(const Home& home) {
    std::vector<Candidate> found;
    AddGames(Folders(home, home.config, home.data, false), home, "Lutris: ", found);
    const fs::path flatpak = home.Flatpak(kFlatpakLutris);
    AddGames(Folders(home, flatpak / "config", flatpak / "data", true), home,
             "Lutris (Flatpak): ", found);
    return found;
}

} // namespace tmt::platform::installations
