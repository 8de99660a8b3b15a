#include "platform/linux/installations/Sources.h"
#include "platform/linux/installations/Vdf.h"

#include <algorithm>
#include <system_error>

namespace tmt::platform::installations {

namespace fs = std::filesystem;

namespace {

constexpr char kFlatpakSteam[] = "com.valvesoftware.Steam";

struct SteamRoot {
    fs::path folder;
    bool flatpak = false;
};

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The Steam folder itself holds the first library; libraryfolders.vdf lists every library,
// either as "N" { "path" "..." } or, in older files, as "N" "...".
std::vector<fs::path> Libraries(const fs::path& root, const Home& home) {
    std::vector<fs::path> libraries{root};
    const auto text =
        ReadOwnedFile(root / "steamapps" / "libraryfolders.vdf", limits::kSteamLibraries);
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
            if (auto library = RecordedPath(*path, home)) {
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
        const fs::path manifest = library / "steamapps" / ("appmanifest_" + id + ".acf");
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
    return std::nullopt;
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

Launcher SteamLauncher(const SteamRoot& root, const std::string& id) {
    Launcher launcher;
    if (root.flatpak) {
        launcher.programs = {"flatpak"};
        launcher.runnerName = "Flatpak";
        launcher.leadingArguments = {"run", kFlatpakSteam};
    } else {
        launcher.programs = {"steam"};
        launcher.runnerName = "Steam";
    }
    launcher.leadingArguments.insert(launcher.leadingArguments.end(), {"-applaunch", id});
    launcher.gameArguments = Launcher::GameArguments::SwitchesOnly;
    return launcher;
}

void AddLibrary(const Home& home, const SteamRoot& root, const std::vector<fs::path>& libraries,
                const fs::path& library, std::vector<Candidate>& found) {
    const fs::path compatdata = library / "steamapps" / "compatdata";
    for (const std::string& id : FolderNames(compatdata)) {
        if (home.Stopped()) {
            return;
        }
        const fs::path compatData = compatdata / id;
        // Another account's folder in a library shared between accounts names its Proton, which
        // would run as this user.
        if (!AllDigits(id) || !OwnedFolder(compatData) || !IsFolder(compatData / "pfx")) {
            continue;
        }
        const std::optional<fs::path> proton = ProtonOf(compatData);
        const std::optional<std::string> name = AppName(libraries, id);
        // -applaunch cannot pass switches to a non-Steam shortcut, so that one runs on the Proton
        // that made its prefix, as Steam would start it.
        Launcher launcher =
            name ? SteamLauncher(root, id)
                 : ProtonLauncher(proton.value_or("proton"), compatData, root.folder);
        launcher.prefix = compatData / "pfx";
        if (name && proton) {
            launcher.winePrograms = ProtonLauncher(*proton, compatData, root.folder).winePrograms;
        }
        const std::string label = root.flatpak ? "Steam (Flatpak): " : "Steam: ";
        found.push_back({label + name.value_or("Non-Steam game " + id), std::move(launcher)});
    }
}

} // namespace

std::vector<Candidate> SteamPrefixes(const Home& home) {
    const std::vector<SteamRoot> roots = {
        {home.home / ".steam" / "steam", false},
        {home.data / "Steam", false},
        {home.Flatpak(kFlatpakSteam) / ".local" / "share" / "Steam", true},
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
        if (!IsFolder(root.folder / "steamapps")) {
            continue;
        }
        const std::vector<fs::path> libraries = Libraries(root.folder, home);
        for (const fs::path& library : libraries) {
            if (firstVisit(library / "steamapps")) {
                AddLibrary(home, root, libraries, library, found);
            }
        }
    }
    return found;
}

} // namespace tmt::platform::installations
