#include "tests/support/FakeHome.h"

#include "tests/support/ManagerRecords.h"

#include <cstdlib>

namespace tmt::test {

namespace fs = std::filesystem;

FakeHome::FakeHome() {
    for (const char* name :
         {"HOME", "WINEPREFIX", "WINE", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        Save(name);
        ::unsetenv(name);
    }
    Set("HOME", Path().string());
}

FakeHome::~FakeHome() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second) {
            ::setenv(it->first.c_str(), it->second->c_str(), 1);
        } else {
            ::unsetenv(it->first.c_str());
        }
    }
}

void FakeHome::Save(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    saved_.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
}

void FakeHome::Set(const std::string& name, const std::string& value) {
    Save(name);
    ::setenv(name.c_str(), value.c_str(), 1);
}

void FakeHome::MakeEmptyPrefix(const fs::path& prefix) const {
    fs::create_directories(prefix / "drive_c");
    fs::create_directories(prefix / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    fs::create_directory_symlink("/", prefix / "dosdevices" / "z:");
    WriteFile(prefix / "system.reg",
              "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
              "[Software\\\\Wine] 1796762724\n\"Version\"=\"8.0\"\n");
}

fs::path FakeHome::MakePrefix(const fs::path& prefix, const std::string& version,
                              const std::string& gameFolder) const {
    MakeEmptyPrefix(prefix);
    std::string recorded = "C:\\\\" + gameFolder;
    for (std::size_t at = 0; (at = recorded.find('/', at)) != std::string::npos;) {
        recorded.replace(at, 1, "\\\\");
    }
    WriteFile(prefix / "system.reg",
              "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
              "[Software\\\\Wow6432Node\\\\TuneMora] 1796762724\n#time=1dd87550c767452\n"
              "\"InstallDir\"=\"" +
                  recorded + "\"\n\"InstallVer\"=\"" + version + "\"\n");
    const fs::path game = prefix / "drive_c" / gameFolder;
    WriteFile(game / "Tunemora.exe", "MZ placeholder");
    return game;
}

void WriteLibraryFolders(const fs::path& steamApps, const fs::path& steam,
                         const fs::path& library) {
    InstallRecord("steam/libraryfolders.vdf", steamApps / "libraryfolders.vdf",
                  {{"STEAM", steam.string()}, {"LIBRARY", library.string()}, {"APPID", "1000"}});
}

void WriteAppManifest(const fs::path& steamApps, const std::string& id, const std::string& name) {
    InstallRecord("steam/appmanifest.acf", steamApps / ("appmanifest_" + id + ".acf"),
                  {{"APPID", id},
                   {"NAME", name},
                   {"STEAM", steamApps.parent_path().string()},
                   {"DEPOT", id + "1"}});
}

void WriteConfigInfo(const fs::path& compatData, const fs::path& proton, const fs::path& steam) {
    InstallRecord("steam/config_info", compatData / "config_info",
                  {{"PROTON", proton.parent_path().string()}, {"STEAM", steam.string()}});
}

} // namespace tmt::test
