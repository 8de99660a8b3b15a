#include "platform/linux/installations/Sources.h"

#include <nlohmann/json.hpp>

namespace tmt::platform::installations {

namespace fs = std::filesystem;

namespace {

using Json = nlohmann::json;

constexpr char kFlatpakHeroic[] = "com.heroicgameslauncher.hgl";

std::optional<Json> ParseJson(const fs::path& path) {
    const auto text = ReadRecord(path);
    if (!text) {
        return std::nullopt;
    }
    Json parsed = Json::parse(*text, nullptr, false);
    if (parsed.is_discarded()) {
        return std::nullopt;
    }
    return parsed;
}

std::optional<std::string> TextAt(const Json& object, const char* key) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

// Titles of the games added to Heroic by hand, which is how a game from outside its stores, like
// this one, gets there.
std::string Title(const fs::path& heroic, const std::string& appName) {
    const auto library = ParseJson(heroic / "sideload_apps" / "library.json");
    if (!library || !library->is_object()) {
        return appName;
    }
    const auto games = library->find("games");
    if (games == library->end() || !games->is_array()) {
        return appName;
    }
    for (const Json& game : *games) {
        if (TextAt(game, "app_name") == appName) {
            if (auto title = TextAt(game, "title"); title && !title->empty()) {
                return *title;
            }
        }
    }
    return appName;
}

std::optional<Launcher> GameLauncher(const Json& settings, const Home& home) {
    const auto prefixText = TextAt(settings, "winePrefix");
    const auto prefix = prefixText ? RecordedPath(*prefixText, home) : std::nullopt;
    if (!prefix) {
        return std::nullopt;
    }
    const auto version = settings.find("wineVersion");
    const Json none = Json::object();
    const Json& wineVersion = version != settings.end() ? *version : none;
    const auto bin = TextAt(wineVersion, "bin");
    const auto binPath = bin ? RecordedPath(*bin, home) : std::nullopt;
    if (TextAt(wineVersion, "type") == "proton") {
        // Heroic gives Proton the folder as its compatibility data, with the prefix in pfx/.
        return ProtonLauncher(binPath.value_or("proton"), *prefix, home.home / ".steam" / "steam");
    }
    return Launcher::WineProgram(*prefix, binPath.value_or(fs::path()));
}

} // namespace

std::vector<Candidate> HeroicPrefixes(const Home& home) {
    const std::pair<fs::path, const char*> places[] = {
        {home.config / "heroic", "Heroic: "},
        {home.Flatpak(kFlatpakHeroic) / "config" / "heroic", "Heroic (Flatpak): "},
    };
    std::vector<Candidate> found;
    for (const auto& [heroic, label] : places) {
        const fs::path configs = heroic / "GamesConfig";
        for (const std::string& name : FolderNames(configs)) {
            if (fs::path(name).extension() != ".json") {
                continue;
            }
            const auto record = ParseJson(configs / name);
            if (!record || !record->is_object()) {
                continue;
            }
            for (const auto& [appName, settings] : record->items()) {
                if (auto launcher = GameLauncher(settings, home)) {
                    found.push_back({label + Title(heroic, appName), std::move(*launcher)});
                }
            }
        }
    }
    return found;
}

} // namespace tmt::platform::installations
