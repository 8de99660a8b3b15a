#include "platform/linux/installations/Sources.h"
#include "platform/linux/installations/Vdf.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <system_error>

namespace tmt::platform::installations {

namespace fs = std::filesystem;

namespace {

constexpr char kFlatpakSteam[] = "com.valvesoftware.Steam";

// How a Steam installation is started: the program itself, or its Flatpak or Snap.
enum class Packaging { Native, Flatpak, Snap };

struct SteamRoot {
    fs::path folder;
    Packaging packaging = Packaging::Native;
};

bool AllDigits(const std::string& text) {
    return !text.empty() && text.size() <= 10 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return text;
}

// A library's "steamapps" folders whatever their letter case (older clients made "SteamApps"),
// "steamapps" itself first, as Steam and protontricks take them.
std::vector<fs::path> SteamAppsFolders(const fs::path& library) {
    std::vector<std::string> names;
    for (const std::string& name : FolderNames(library)) {
        if (Lower(name) == "steamapps" && IsFolder(library / name)) {
            names.push_back(name);
        }
    }
    std::sort(names.rbegin(), names.rend());
    std::vector<fs::path> folders;
    for (const std::string& name : names) {
        folders.push_back(library / name);
    }
    return folders;
}

// The Steam folder itself holds the first library; libraryfolders.vdf lists every library,
// either as "N" { "path" "..." } or, in older files, as "N" "...".
std::vector<fs::path> Libraries(const fs::path& root, const Home& home) {
    std::vector<fs::path> libraries{root};
    const std::vector<fs::path> steamApps = SteamAppsFolders(root);
    const auto text = steamApps.empty() ? std::nullopt
                                        : ReadOwnedFile(steamApps.front() / "libraryfolders.vdf",
                                                        limits::kSteamLibraries);
    const auto parsed = text ? vdf::Parse(*text) : std::nullopt;
    const vdf::Block* folders = parsed ? parsed->Child("libraryfolders") : nullptr;
    if (folders == nullptr) {
        return libraries;
    }
    for (const vdf::Entry& entry : folders->entries) {
        if (!AllDigits(entry.key)) {
            continue;
        }
        const std::string* path = std::get_if<std::string>(&entry.value);
        if (const auto* block = std::get_if<vdf::Block>(&entry.value)) {
            path = block->Text("path");
        }
        if (path != nullptr) {
            if (auto library = RecordedPath(*path, home.home)) {
                libraries.push_back(*library);
            }
        }
    }
    return libraries;
}

// The game's name from the app's manifest in any library, for a Steam app. A manifest that cannot
// be read still says that the prefix belongs to a Steam app.
std::optional<std::string> AppName(const std::vector<fs::path>& libraries, const std::string& id) {
    for (const fs::path& library : libraries) {
        for (const fs::path& steamApps : SteamAppsFolders(library)) {
            const fs::path manifest = steamApps / ("appmanifest_" + id + ".acf");
            std::error_code error;
            if (!fs::exists(manifest, error)) {
                continue;
            }
            const auto text = ReadOwnedFile(manifest, limits::kSteamManifest);
            const auto parsed = text ? vdf::Parse(*text) : std::nullopt;
            const vdf::Block* state = parsed ? parsed->Child("AppState") : nullptr;
            const std::string* name = state != nullptr ? state->Text("name") : nullptr;
            return name != nullptr && !name->empty() ? *name : "Steam app " + id;
        }
    }
    return std::nullopt;
}

std::uint32_t Crc32(std::string_view bytes) {
    std::uint32_t crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

// The names of the non-Steam shortcuts of every Steam user of the installation, by the number of
// their compatdata folder: the shortcut's "appid" as an unsigned number or, in files from before
// Steam recorded it, the CRC-32 of its program and name with the top bit set (protontricks,
// get_appid_from_shortcut).
std::map<std::uint32_t, std::string> ShortcutNames(const fs::path& root) {
    std::map<std::uint32_t, std::string> names;
    for (const std::string& user : FolderNames(root / "userdata")) {
        const auto bytes = ReadOwnedFile(root / "userdata" / user / "config" / "shortcuts.vdf",
                                         limits::kSteamShortcuts);
        const auto parsed = bytes ? vdf::ParseBinary(*bytes) : std::nullopt;
        const vdf::Block* shortcuts = parsed ? parsed->Child("shortcuts") : nullptr;
        if (shortcuts == nullptr) {
            continue;
        }
        for (const vdf::Entry& entry : shortcuts->entries) {
            const auto* shortcut = std::get_if<vdf::Block>(&entry.value);
            const std::string* name = shortcut != nullptr ? shortcut->Text("appname") : nullptr;
            if (name == nullptr || name->empty()) {
                continue;
            }
            std::uint32_t id = 0;
            if (const std::string* appid = shortcut->Text("appid")) {
                try {
                    id = static_cast<std::uint32_t>(std::stoll(*appid));
                } catch (const std::exception&) {
                    continue;
                }
            } else if (const std::string* exe = shortcut->Text("exe")) {
                id = Crc32(*exe + *name) | 0x80000000u;
            }
            names.emplace(id, *name);
        }
    }
    return names;
}

// The Proton that last ran the prefix, from the folder of its fonts that config_info records
// (<proton>/files/share/fonts/, or dist/ in older releases).
std::optional<fs::path> ProtonOf(const fs::path& compatData) {
    const auto text = ReadOwnedFile(compatData / "config_info", limits::kSmallText);
    if (!text) {
        return std::nullopt;
    }
    std::size_t at = 0;
    while (at < text->size()) {
        const std::size_t end = std::min(text->find('\n', at), text->size());
        std::string line = text->substr(at, end - at);
        at = end + 1;
        while (!line.empty() && (line.back() == '/' || line.back() == '\r')) {
            line.pop_back();
        }
        const fs::path fonts(line);
        if (fonts.is_absolute() && fonts.filename() == "fonts" &&
            fonts.parent_path().filename() == "share") {
            return fonts.parent_path().parent_path().parent_path() / "proton";
        }
    }
    return std::nullopt;
}

// Steam itself, with `leading` after what starts it.
Launcher SteamLauncher(const SteamRoot& root, std::vector<std::string> tail, bool switches) {
    Launcher launcher;
    std::vector<std::string> leading;
    switch (root.packaging) {
    case Packaging::Native:
        launcher.programs = {"steam"};
        launcher.runnerName = "Steam";
        break;
    case Packaging::Flatpak:
        launcher.programs = {"flatpak"};
        launcher.runnerName = "Flatpak";
        leading = {"run", kFlatpakSteam};
        break;
    case Packaging::Snap:
        launcher.programs = {"snap"};
        launcher.runnerName = "Snap";
        leading = {"run", "steam"};
        break;
    }
    leading.insert(leading.end(), tail.begin(), tail.end());
    launcher.arguments =
        switches ? Launcher::SwitchesOnly(std::move(leading)) : Launcher::Fixed(std::move(leading));
    return launcher;
}

// One compatdata folder of an app, with the time its prefix was last started (Proton takes the
// lock pfx.lock at every start).
struct CompatData {
    fs::path folder;
    long long started = 0;
};

long long LockTime(const fs::path& compatData) {
    struct stat info {};
    if (::stat((compatData / "pfx.lock").c_str(), &info) != 0) {
        return 0;
    }
    return static_cast<long long>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

std::string SourceLabel(Packaging packaging) {
    switch (packaging) {
    case Packaging::Flatpak:
        return "Steam (Flatpak): ";
    case Packaging::Snap:
        return "Steam (Snap): ";
    default:
        return "Steam: ";
    }
}

// The apps' prefixes of one Steam installation. An app that has compatdata folders in several
// libraries (one left behind when the game moved) is listed once, with the folder whose prefix
// was started last, as protontricks chooses it (find_appid_proton_prefix).
void AddInstallation(const Home& home, const SteamRoot& root,
                     const std::vector<fs::path>& libraries, const std::vector<fs::path>& visited,
                     std::vector<Candidate>& found) {
    std::map<std::string, CompatData> apps;
    for (const fs::path& library : visited) {
        for (const fs::path& steamApps : SteamAppsFolders(library)) {
            for (const std::string& id : FolderNames(steamApps / "compatdata")) {
                const fs::path folder = steamApps / "compatdata" / id;
                // Another account's folder in a library shared between accounts names its
                // Proton, whose Wine would run as this user.
                if (!AllDigits(id) || !OwnedFolder(folder) || !IsFolder(folder / "pfx")) {
                    continue;
                }
                const CompatData candidate{folder, LockTime(folder)};
                auto [known, added] = apps.emplace(id, candidate);
                if (!added && candidate.started >= known->second.started) {
                    known->second = candidate;
                }
            }
        }
    }
    const std::map<std::uint32_t, std::string> shortcuts = ShortcutNames(root.folder);
    for (const auto& [id, compatData] : apps) {
        if (home.Stopped()) {
            return;
        }
        const std::uint64_t number = std::stoull(id);
        const std::optional<std::string> appName = AppName(libraries, id);
        const auto shortcut = shortcuts.find(static_cast<std::uint32_t>(number));
        Launcher launcher;
        std::string name;
        // Non-Steam shortcuts have numbers with the top bit set; Steam starts them by their game
        // id, the number above 0x02000000 (Heroic's steamhelper.ts, generateAppId).
        if (!appName && (number >= 0x80000000u || shortcut != shortcuts.end())) {
            const std::uint64_t gameId = (number << 32) | 0x02000000u;
            launcher = SteamLauncher(root, {"steam://rungameid/" + std::to_string(gameId)}, false);
            launcher.switchesLost = "Steam starts a non-Steam game with the launch options of its "
                                    "library entry only, so the chosen switches do not reach it.";
            name = shortcut != shortcuts.end() ? shortcut->second : "Non-Steam game " + id;
        } else {
            launcher = SteamLauncher(root, {"-applaunch", id}, true);
            name = appName.value_or("Steam app " + id);
        }
        launcher.prefix = compatData.folder / "pfx";
        if (const std::optional<fs::path> proton = ProtonOf(compatData.folder)) {
            launcher.winePrograms = ProtonWine(*proton);
        }
        found.push_back({SourceLabel(root.packaging) + name, std::move(launcher)});
    }
}

} // namespace

std::vector<Candidate> SteamPrefixes(const Home& home) {
    const std::vector<SteamRoot> roots = {
        {home.home / ".steam" / "steam", Packaging::Native},
        {home.data / "Steam", Packaging::Native},
        {home.Flatpak(kFlatpakSteam) / ".local" / "share" / "Steam", Packaging::Flatpak},
        {home.home / "snap" / "steam" / "common" / ".local" / "share" / "Steam", Packaging::Snap},
        // Where the Snap's files are with snapd's experimental hidden-snap-folder.
        {home.home / ".snap" / "data" / "steam" / "common" / ".local" / "share" / "Steam",
         Packaging::Snap},
    };
    std::vector<Candidate> found;
    // ~/.steam/steam is usually a link to the other folder, and a library may be listed twice.
    std::vector<fs::path> seen;
    const auto firstVisit = [&seen](const fs::path& folder) {
        std::error_code error;
        const fs::path canonical = fs::canonical(folder, error);
        if (error || std::find(seen.begin(), seen.end(), canonical) != seen.end()) {
            return false;
        }
        seen.push_back(canonical);
        return true;
    };
    for (const SteamRoot& root : roots) {
        if (SteamAppsFolders(root.folder).empty()) {
            continue;
        }
        const std::vector<fs::path> libraries = Libraries(root.folder, home);
        std::vector<fs::path> visited;
        for (const fs::path& library : libraries) {
            if (firstVisit(library)) {
                visited.push_back(library);
            }
        }
        AddInstallation(home, root, libraries, visited, found);
    }
    return found;
}

} // namespace tmt::platform::installations
