#pragma once

#include "tests/support/TempDir.h"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tmt::test {

// A home folder for one test, in which the records of Steam, Lutris, Bottles, Heroic and
// PlayOnLinux are laid out as each of them lays them out. While the object lives HOME points at it
// and WINEPREFIX, WINE and the XDG_*_HOME variables are unset, so nothing outside it is searched
// and the search's cache is kept in it.
class FakeHome {
public:
    FakeHome();
    ~FakeHome();
    FakeHome(const FakeHome&) = delete;
    FakeHome& operator=(const FakeHome&) = delete;

    const std::filesystem::path& Path() const { return root_.Path(); }

    // A Wine prefix with drives C: and Z: and the game in C:\<gameFolder>, recorded in the
    // registry's 32-bit view with `version`. Returns the game's native folder.
    std::filesystem::path MakePrefix(const std::filesystem::path& prefix,
                                     const std::string& version = "1.1",
                                     const std::string& gameFolder = "Games/TuneMora") const;
    // A Wine prefix whose registry holds no installation.
    void MakeEmptyPrefix(const std::filesystem::path& prefix) const;

    // Sets a variable for the rest of the object's life.
    void Set(const std::string& name, const std::string& value);

private:
    void Save(const std::string& name);

    TempDir root_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Steam's records as the Steam client and Proton write them (tests/managers/steam/): the
// libraries' list in `steamApps` naming the Steam folder and one more library; app `id`'s
// manifest in a library's `steamApps` folder (the name as it stands in the file, escapes and
// all); and the compatdata folder's config_info of the Proton whose script is `proton`, started
// by the Steam client in `steam`.
void WriteLibraryFolders(const std::filesystem::path& steamApps, const std::filesystem::path& steam,
                         const std::filesystem::path& library);
void WriteAppManifest(const std::filesystem::path& steamApps, const std::string& id,
                      const std::string& name);
void WriteConfigInfo(const std::filesystem::path& compatData, const std::filesystem::path& proton,
                     const std::filesystem::path& steam);

} // namespace tmt::test
