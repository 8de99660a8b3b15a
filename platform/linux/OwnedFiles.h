#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace tmt::platform {

// Trust as Wine grants it: a prefix, a record, a server folder or socket counts only when the
// user who runs the tool owns it. Another account can leave any of these where the tool looks (a
// games disk shared between accounts, /tmp), and Wine itself refuses them.
bool OwnedByUser(const struct stat& info);

// Why a file with `info` is no record to read: not a regular file, another account's, or larger
// than `limit`; nothing when it is one.
std::optional<std::string> RecordRefusal(const struct stat& info, std::size_t limit);

// What a folder (a prefix, Steam's compatdata/<id>) is, when it is one that the user owns; the
// debug log says why not.
std::optional<struct stat> OwnedFolder(const std::filesystem::path& path);

// The whole of a record: a regular file that the user owns, of at most `limit` bytes. Nothing when
// it is missing, of another kind (a FIFO or a device is never opened), another account's, larger,
// or unreadable; the search's debug log says which.
std::optional<std::string> ReadOwnedFile(const std::filesystem::path& path, std::size_t limit);
// The first `bytes` bytes of such a file, whatever its size.
std::optional<std::string> ReadOwnedFileHead(const std::filesystem::path& path, std::size_t bytes);

// The size caps of the records, each well above the largest real one (measured or taken from the
// managers' own files), so that a file that is no record of theirs costs little.
namespace limits {
// Bottles' bottle.yml: 2.2 KB for a bottle with one program and ten dependencies; every program
// added costs about 400 bytes. YAML is the slowest of the formats read (about 0.5 ms per KB).
inline constexpr std::size_t kBottle = 64 << 10;
// Lutris' game .yml (a few hundred bytes to 1.5 KB), system.yml and runners/wine.yml.
inline constexpr std::size_t kLutrisConfig = 64 << 10;
// One of Heroic's GamesConfig/*.json: about 1.5 KB of settings per game.
inline constexpr std::size_t kHeroicGame = 64 << 10;
// Heroic's sideload_apps/library.json: about 700 bytes per game added by hand, so 4 MiB holds
// several thousand.
inline constexpr std::size_t kHeroicLibrary = 4 << 20;
// Heroic's store_cache/*_library.json: 1.3 KB per owned game with a short description, a few KB
// with a long one; 16 MiB holds the largest libraries of owned games.
inline constexpr std::size_t kHeroicStore = 16 << 20;
// Steam's libraryfolders.vdf: about 30 bytes per installed app and library.
inline constexpr std::size_t kSteamLibraries = 1 << 20;
// Steam's config/config.vdf: a few tens of KB of settings, with about 100 bytes per game given a
// compatibility tool of its own.
inline constexpr std::size_t kSteamConfig = 1 << 20;
// An appmanifest_<id>.acf: 1 to 3 KB.
inline constexpr std::size_t kSteamManifest = 64 << 10;
// A Steam user's config/shortcuts.vdf: about 600 bytes per non-Steam game.
inline constexpr std::size_t kSteamShortcuts = 1 << 20;
// Proton's config_info (fifteen lines), PlayOnLinux's playonlinux.cfg and its shortcuts, and
// Bottles' placeholder.yml: a few lines.
inline constexpr std::size_t kSmallText = 16 << 10;
// Debian's Wine names its server folder in the prefix's "wineserver": "wine-XXXXXX".
inline constexpr std::size_t kServerName = 256;
// A prefix's system.reg: 1.7 MB in a fresh prefix of Wine 8, tens of MB with large programs
// installed. Read from the page cache, 128 MiB take about 0.1 s.
inline constexpr std::size_t kRegistry = 128 << 20;
// The search's own cache of registries without the key: about 60 bytes per prefix.
inline constexpr std::size_t kRegistryCache = 4 << 20;
// What `reg export` writes for the one key and its two values.
inline constexpr std::size_t kKeyExport = 64 << 10;
} // namespace limits

} // namespace tmt::platform
