#include "platform/linux/installations/LutrisProton.h"

#include "core/text/Text.h"
#include "platform/linux/installations/Sources.h"
#include "platform/linux/installations/Vdf.h"

namespace tmt::platform::installations {

namespace fs = std::filesystem;

namespace {

// `name` in `parent` in whatever letter case it has there, as Lutris's fix_path_case finds it,
// when that is a folder.
std::optional<fs::path> FolderInAnyCase(const fs::path& parent, const std::string& name) {
    if (IsFolder(parent / name)) {
        return parent / name;
    }
    for (const std::string& entry : FolderNames(parent)) {
        if (EqualsIgnoreAsciiCase(entry, name) && IsFolder(parent / entry)) {
            return parent / entry;
        }
    }
    return std::nullopt;
}

// Where Lutris looks for Steam, in its order (lutris/util/steam/config.py, STEAM_DATA_DIRS).
std::vector<fs::path> SteamDataFolders(const fs::path& home) {
    return {home / ".steam" / "debian-installation",
            home / ".steam",
            home / ".local" / "share" / "steam",
            home / ".local" / "share" / "Steam",
            home / "snap" / "steam" / "common" / ".local" / "share" / "Steam",
            home / ".steam" / "steam",
            home / ".var" / "app" / "com.valvesoftware.Steam" / "data" / "steam",
            home / ".var" / "app" / "com.valvesoftware.Steam" / "data" / "Steam",
            "/usr/share/steam",
            "/usr/local/share/steam"};
}

std::optional<vdf::Block> ReadVdf(const fs::path& path, std::size_t limit) {
    const auto text = ReadOwnedFile(path, limit);
    return text ? vdf::Parse(*text) : std::nullopt;
}

// The libraries that the Steam folder `steam` lists, each with its steamapps/: the old
// BaseInstallFolder_<n> of config/config.vdf, then config/libraryfolders.vdf's paths, a library
// that records whether it is mounted only when it is.
std::vector<fs::path> LibrarySteamApps(const fs::path& steam) {
    std::vector<fs::path> folders;
    const auto add = [&folders](const std::string& library) {
        if (auto steamApps = FolderInAnyCase(library, "steamapps")) {
            folders.push_back(*steamApps);
        }
    };
    const auto config = ReadVdf(steam / "config" / "config.vdf", limits::kSteamConfig);
    const vdf::Block* settings = config ? config->Child("InstallConfigStore") : nullptr;
    for (const char* key : {"Software", "Valve", "Steam"}) {
        settings = settings != nullptr ? settings->Child(key) : nullptr;
    }
    for (int number = 1; settings != nullptr; ++number) {
        const std::string* library = settings->Text("BaseInstallFolder_" + std::to_string(number));
        if (library == nullptr) {
            break;
        }
        add(*library);
    }
    const auto list = ReadVdf(steam / "config" / "libraryfolders.vdf", limits::kSteamLibraries);
    const vdf::Block* libraries = list ? list->Child("libraryfolders") : nullptr;
    if (libraries == nullptr) {
        return folders;
    }
    for (const vdf::Entry& entry : libraries->entries) {
        const auto* library = std::get_if<vdf::Block>(&entry.value);
        const std::string* path = library != nullptr ? library->Text("path") : nullptr;
        const std::string* mounted = library != nullptr ? library->Text("mounted") : nullptr;
        if (path != nullptr && !path->empty() && (mounted == nullptr || *mounted == "1")) {
            add(*path);
        }
    }
    return folders;
}

// Lutris's "steamapps dirs": the folders of STEAM_EXTRA_COMPAT_TOOLS_PATHS, each Steam folder's
// steamapps/ and compatibilitytools.d/, then the libraries of the first Steam folder that has a
// steamapps/.
std::vector<fs::path> SteamFolders(const fs::path& home) {
    const std::vector<std::string> extra = FolderList("STEAM_EXTRA_COMPAT_TOOLS_PATHS");
    std::vector<fs::path> folders(extra.begin(), extra.end());
    std::optional<fs::path> steam;
    for (const fs::path& data : SteamDataFolders(home)) {
        if (auto steamApps = FolderInAnyCase(data, "steamapps")) {
            folders.push_back(*steamApps);
            steam = steam.value_or(data);
        }
        if (auto tools = FolderInAnyCase(data, "compatibilitytools.d")) {
            folders.push_back(*tools);
        }
    }
    if (steam) {
        const std::vector<fs::path> libraries = LibrarySteamApps(*steam);
        folders.insert(folders.end(), libraries.begin(), libraries.end());
    }
    return folders;
}

} // namespace

std::optional<std::string> UmuPath(const LutrisFolders& folders) {
    const fs::path runtime = folders.data / "runtime";
    if (folders.flatpak) {
        return IsFile(runtime / "umu" / "umu-run") ? (runtime / "umu" / "umu-run").string()
                                                   : std::string("umu-run");
    }
    if (auto onPath = FindProgram({"umu-run"})) {
        return onPath->path;
    }
    for (const fs::path& base :
         {fs::path("/usr/local/share"), fs::path("/usr/share"), fs::path("/opt"), runtime}) {
        for (const char* entry : {"umu-run", "umu_run.py"}) {
            if (IsFile(base / "umu" / entry)) {
                return (base / "umu" / entry).string();
            }
        }
    }
    return std::nullopt;
}

std::optional<fs::path> ProtonFolder(const LutrisFolders& folders, const std::string& version) {
    if (!PlainName(version)) {
        return std::nullopt;
    }
    if (!folders.steamFolders) {
        folders.steamFolders = SteamFolders(folders.home);
    }
    const std::vector<fs::path>& steamApps = *folders.steamFolders;
    std::vector<fs::path> locations{folders.data / "runners" / "wine"};
    for (const fs::path& folder : steamApps) {
        locations.push_back(folder / "common");
    }
    locations.insert(locations.end(), steamApps.begin(), steamApps.end());
    for (const fs::path& location : locations) {
        if (IsFile(location / version / "proton")) {
            return location / version;
        }
    }
    return std::nullopt;
}

} // namespace tmt::platform::installations
