#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tmt::platform {

// How the game of one installation is started, and where its registry and drives live. Only the
// platform layer looks inside.
class Launcher;

// One place where the game's installer left its installation record.
struct Installation {
    std::string source; // where it was found, e.g. "Steam: TuneMora"
    std::string place;  // the folder that holds the registry and the drives, as the user finds it
    std::string installDir; // InstallDir and InstallVer as recorded there, for the user to tell
    std::string installVer; // installations apart; empty when absent or not text
    std::shared_ptr<const Launcher> launcher;
};

// Every installation whose registry holds the key `keyPath` under HKEY_LOCAL_MACHINE in the view
// of 32-bit programs, in the order the user is offered them. A place reached by two routes counts
// once. Nothing is written but the search's own cache. A requested stop ends the search early,
// with what it found so far; it may run on a thread of its own.
std::vector<Installation> FindInstallations(std::string_view keyPath,
                                            const std::stop_token& stop = {});

// Makes `installation` the one that the registry, the paths of the game and the game's start work
// on; nullptr goes back to the platform's default place, where no installation was chosen.
void UseInstallation(const Installation* installation);

// When the file `path` (in the game's form, as `installation` sees it) was last written; nothing
// when no file is there (a folder of that name is none). The installation in use stays as it is.
std::optional<std::filesystem::file_time_type> LastWriteTime(const Installation& installation,
                                                             std::string_view path);

} // namespace tmt::platform
