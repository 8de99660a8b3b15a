#include "platform/linux/installations/Sources.h"

#include <nlohmann/json.hpp>

#include <map>
#include <tuple>

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

// A game of Heroic's libraries: the store that runs it and the title Heroic shows.
struct LibraryGame {
    std::string runner;
    std::string title;
};

// Every game Heroic keeps a library record of, each file read once: the stores' caches
// (store_cache/<store>_library.json, src/backend/storeManagers/*/electronStores.ts) and the games
// added by hand (sideload_apps/library.json).
std::map<std::string, LibraryGame> Library(const fs::path& heroic) {
    struct Store {
        fs::path file;
        const char* key;
        const char* runner;
        std::size_t limit;
    };
    const Store stores[] = {
        {heroic / "store_cache" / "legendary_library.json", "library", "legendary",
         limits::kHeroicStore},
        {heroic / "store_cache" / "gog_library.json", "games", "gog", limits::kHeroicStore},
        {heroic / "store_cache" / "nile_library.json", "library", "nile", limits::kHeroicStore},
        {heroic / "sideload_apps" / "library.json", "games", "sideload", limits::kHeroicLibrary},
    };
    std::map<std::string, LibraryGame> games;
    for (const Store& store : stores) {
        const auto library = ParseJson(store.file, store.limit);
        if (!library || !library->is_object()) {
            continue;
        }
        const auto list = library->find(store.key);
        if (list == library->end() || !list->is_array()) {
            continue;
        }
        for (const Json& game : *list) {
            const auto appName = TextAt(game, "app_name");
            if (appName && !appName->empty()) {
                games.emplace(*appName,
                              LibraryGame{store.runner, TextAt(game, "title").value_or("")});
            }
        }
    }
    return games;
}

// Percent-encodes all but the characters a URL carries as they are.
std::string Encoded(const std::string& text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
            (byte >= '0' && byte <= '9') || c == '-' || c == '_' || c == '.' || c == '~') {
            encoded += c;
        } else {
            encoded += {'%', digits[byte >> 4], digits[byte & 15]};
        }
    }
    return encoded;
}

// The address that makes Heroic start one of its games (src/backend/protocol.ts, handleLaunch):
// heroic://launch/<runner>/<appName>, which every release takes, or, to pass switches, the form
// with parameters that Heroic reads since 2.16.0: heroic://launch?appName=...&runner=...&arg=...
std::string LaunchAddress(const std::string& appName, const std::string& runner,
                          const std::vector<std::string>& switches) {
    if (switches.empty()) {
        return "heroic://launch/" + (runner.empty() ? "" : Encoded(runner) + "/") +
               Encoded(appName);
    }
    std::string address = "heroic://launch?appName=" + Encoded(appName);
    if (!runner.empty()) {
        address += "&runner=" + Encoded(runner);
    }
    for (const std::string& argument : switches) {
        address += "&arg=" + Encoded(argument);
    }
    return address;
}

// Heroic starts its games itself, through the store's own launcher (legendary, gogdl, nile) with
// the Wine or Proton, the variables and the wrappers of the game's settings, and its logins and
// cloud saves. It is asked the way its own shortcuts ask it (src/backend/shortcuts): the program
// with --no-gui when it is at hand, else the desktop's handler of heroic:// addresses.
Launcher HeroicLauncher(bool flatpak, const std::string& appName, const std::string& runner) {
    Launcher launcher;
    std::vector<std::string> leading;
    if (flatpak) {
        launcher.programs = {"flatpak"};
        launcher.runnerName = "Flatpak";
        leading = {"run", kFlatpakHeroic, "--no-gui"};
    } else if (FindProgram({"heroic"})) {
        launcher.programs = {"heroic"};
        launcher.runnerName = "Heroic";
        leading = {"--no-gui"};
    } else {
        launcher.programs = {"xdg-open"};
        launcher.runnerName = "xdg-open";
    }
    launcher.arguments = [leading, appName, runner](const std::string&,
                                                    const std::vector<std::string>& switches) {
        std::vector<std::string> arguments = leading;
        arguments.push_back(LaunchAddress(appName, runner, switches));
        return arguments;
    };
    return launcher;
}

// The game's prefix and its Wine, to ask a running Wine server of it. Heroic gives Proton the
// folder as its compatibility data, with the prefix in pfx/; "~" in a prefix stands for the home
// folder (src/backend/game_config.ts, getSettings).
std::optional<std::pair<fs::path, std::vector<std::string>>> PrefixOf(const Json& settings,
                                                                      const Home& home) {
    auto prefixText = TextAt(settings, "winePrefix");
    if (!prefixText) {
        return std::nullopt;
    }
    if (const std::size_t tilde = prefixText->find('~'); tilde != std::string::npos) {
        prefixText->replace(tilde, 1, home.home.string());
    }
    const auto prefix = RecordedPath(*prefixText, home.home);
    if (!prefix) {
        return std::nullopt;
    }
    const auto version = settings.find("wineVersion");
    const Json none = Json::object();
    const Json& wineVersion = version != settings.end() ? *version : none;
    const auto bin = TextAt(wineVersion, "bin");
    const auto binPath = bin ? RecordedPath(*bin, home.home) : std::nullopt;
    if (TextAt(wineVersion, "type") == "proton") {
        return std::pair{*prefix / "pfx",
                         binPath ? ProtonWine(*binPath) : std::vector<std::string>{}};
    }
    return std::pair{*prefix, binPath ? std::vector<std::string>{binPath->string()}
                                      : std::vector<std::string>{}};
}

} // namespace

std::vector<Candidate> HeroicPrefixes(const Home& home) {
    const std::tuple<fs::path, const char*, bool> places[] = {
        {home.config / "heroic", "Heroic: ", false},
        {home.Flatpak(kFlatpakHeroic) / "config" / "heroic", "Heroic (Flatpak): ", true},
    };
    std::vector<Candidate> found;
    for (const auto& [heroic, label, flatpak] : places) {
        const fs::path configs = heroic / "GamesConfig";
        const std::vector<std::string> names = FolderNames(configs);
        if (names.empty()) {
            continue;
        }
        const std::map<std::string, LibraryGame> library = Library(heroic);
        for (const std::string& name : names) {
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
                const auto prefix = PrefixOf(settings, home);
                if (!prefix) {
                    continue;
                }
                const auto game = library.find(appName);
                const LibraryGame known =
                    game != library.end() ? game->second : LibraryGame{"", ""};
                Launcher launcher = HeroicLauncher(flatpak, appName, known.runner);
                launcher.prefix = prefix->first;
                launcher.winePrograms = prefix->second;
                found.push_back(
                    {label + (known.title.empty() ? appName : known.title), std::move(launcher)});
            }
        }
    }
    return found;
}

} // namespace tmt::platform::installations
