#include "platform/linux/installations/Sources.h"

#include <nlohmann/json.hpp>

#include <map>

namespace tmt::platform::installations {

namespace fs = std::filesystem;

namespace {

using Json = nlohmann::json;

constexpr char kFlatpakHeroic[] = "com.heroicgameslauncher.hgl";

std::optional<Json> ParseJson(const fs::path& path, std::size_t limit) {
    const auto text = ReadOwnedFile(path, limit);
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
// this one, gets there; read once for all the games of a Heroic folder.
std::map<std::string, std::string> SideloadTitles(const fs::path& heroic) {
    std::map<std::string, std::string> titles;
    const auto library =
        ParseJson(heroic / "sideload_apps" / "library.json", limits::kHeroicLibrary);
    if (!library || !library->is_object()) {
        return titles;
    }
    const auto games = library->find("games");
    if (games == library->end() || !games->is_array()) {
        return titles;
    }
    for (const Json& game : *games) {
        const auto appName = TextAt(game, "app_name");
        const auto title = TextAt(game, "title");
        if (appName && title && !title->empty()) {
            titles.try_emplace(*appName, *title);
        }
    }
    return titles;
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
        std::optional<std::map<std::string, std::string>> titles;
        for (const std::string& name : FolderNames(configs)) {
            if (home.Stopped()) {
                return found;
            }
            if (fs::path(name).extension() != ".json") {
                continue;
            }
            const auto record = ParseJson(configs / name, limits::kHeroicGame);
            if (!record || !record->is_object()) {
                continue;
            }
            for (const auto& [appName, settings] : record->items()) {
                if (auto launcher = GameLauncher(settings, home)) {
                    if (!titles) {
                        titles = SideloadTitles(heroic);
                    }
                    const auto title = titles->find(appName);
                    found.push_back({label + (title != titles->end() ? title->second : appName),
                                     std::move(*launcher)});
                }
            }
        }
    }
    return found;
}

} // namespace tmt::platform::installations
