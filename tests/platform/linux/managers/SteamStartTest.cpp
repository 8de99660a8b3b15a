#include "tests/platform/linux/managers/ManagerTest.h"

#include <chrono>
#include <cstdint>

namespace {

namespace fs = std::filesystem;
using tmt::test::InstallRecord;
using tmt::test::WriteAppManifest;
using tmt::test::WriteConfigInfo;
using tmt::test::WriteLibraryFolders;

// The shortcut of tests/managers/steam/shortcuts.vdf: appid -1171510507 as Steam stores it, the
// compatdata folder of its unsigned value, and the game id Steam starts it by.
constexpr char kShortcutId[] = "3123456789";
const std::string kShortcutGameId =
    std::to_string((std::uint64_t{3123456789} << 32) | std::uint64_t{0x02000000});

class SteamStartTest : public tmt::test::ManagerTest {
protected:
    // A non-Steam shortcut of user 12345678 whose prefix the Proton `proton` made.
    fs::path AddShortcut(const fs::path& steam, const fs::path& proton) {
        const fs::path compatData = steam / "steamapps" / "compatdata" / kShortcutId;
        home.MakePrefix(compatData / "pfx", "2.0");
        WriteConfigInfo(compatData, proton, steam);
        InstallRecord("steam/shortcuts.vdf",
                      steam / "userdata" / "12345678" / "config" / "shortcuts.vdf",
                      {{"PFX", (compatData / "pfx").string()}});
        runners.Install(proton);
        return compatData;
    }
};

TEST_F(SteamStartTest, AppsStartByApplaunchAndShortcutsByTheirGameIdThroughSteam) {
    const fs::path steam = Home() / ".local" / "share" / "Steam";
    const fs::path library = Home() / "Games Disk" / "SteamLibrary";
    fs::create_directories(Home() / ".steam");
    fs::create_directory_symlink(steam, Home() / ".steam" / "steam");
    // The Steam folder is listed again after its own first library, and the library through a
    // link: each is still searched once.
    fs::create_directories(library / "steamapps");
    fs::create_directory_symlink(library, Home() / "library-link");
    WriteLibraryFolders(steam / "steamapps", steam, Home() / "library-link");
    const fs::path appGame = home.MakePrefix(library / "steamapps" / "compatdata" / "1000" / "pfx");
    WriteAppManifest(library / "steamapps", "1000", "TuneMora \\\"Gold\\\"");
    const fs::path proton = steam / "steamapps" / "common" / "Proton 9.0" / "proton";
    const fs::path shortcut = AddShortcut(steam, proton);
    runners.AddToPath("steam");

    const auto found = Find();
    ASSERT_EQ(Sources(found),
              (std::vector<std::string>{"Steam: TuneMora \"Gold\"", "Steam: TuneMora"}));
    const Start app = StartedBy(found[0]);
    EXPECT_EQ(app.program.filename(), "steam");
    EXPECT_EQ(app.arguments, (std::vector<std::string>{"-applaunch", "1000", "-OpenGL", "-debug"}));
    EXPECT_TRUE(SameFile(found[0].place, library / "steamapps/compatdata/1000/pfx"));
    EXPECT_TRUE(SameFile(app.workingDirectory, appGame));
    EXPECT_EQ(tmt::platform::ParametersLostReason(), "");

    // Steam starts the shortcut itself, in its runtime and with the Proton and client it chose,
    // as it starts it from its library; the shortcut's own launch options are the only ones.
    const Start viaSteam = StartedBy(found[1]);
    EXPECT_EQ(viaSteam.program.filename(), "steam");
    EXPECT_EQ(viaSteam.arguments, std::vector<std::string>{"steam://rungameid/" + kShortcutGameId});
    EXPECT_EQ(viaSteam.environment.count("STEAM_COMPAT_DATA_PATH"), 0u);
    EXPECT_TRUE(SameFile(found[1].place, shortcut / "pfx"));
    EXPECT_NE(tmt::platform::ParametersLostReason(), "");
    EXPECT_EQ(runners.Starts().size(), 2u) << "Proton itself is never started";

    home.Set("PATH", "/nonexistent");
    EXPECT_EQ(StartGame(found[0], "").reason,
              "Steam is not installed: the program steam was not found.");
}

TEST_F(SteamStartTest, FlatpakSteamStartsAppsAndShortcutsThroughFlatpak) {
    const fs::path steam =
        Home() / ".var" / "app" / "com.valvesoftware.Steam" / ".local" / "share" / "Steam";
    home.MakePrefix(steam / "steamapps" / "compatdata" / "1000" / "pfx");
    WriteAppManifest(steam / "steamapps", "1000", "TuneMora");
    // The sandbox's own path of Proton, which is nothing outside the sandbox.
    AddShortcut(steam, Home() / "sandbox" / "Proton 9.0" / "proton");
    runners.AddToPath("flatpak");

    const auto found = Find();
    ASSERT_EQ(Sources(found),
              (std::vector<std::string>{"Steam (Flatpak): TuneMora", "Steam (Flatpak): TuneMora"}));
    EXPECT_EQ(StartedBy(found[0]).arguments,
              (std::vector<std::string>{"run", "com.valvesoftware.Steam", "-applaunch", "1000",
                                        "-OpenGL", "-debug"}));
    const Start shortcut = StartedBy(found[1]);
    EXPECT_EQ(shortcut.program.filename(), "flatpak");
    EXPECT_EQ(shortcut.arguments,
              (std::vector<std::string>{"run", "com.valvesoftware.Steam",
                                        "steam://rungameid/" + kShortcutGameId}));
}

TEST_F(SteamStartTest, SnapSteamIsFoundAndStartedThroughSnap) {
    for (const fs::path& steam :
         {Home() / "snap" / "steam" / "common" / ".local" / "share" / "Steam",
          Home() / ".snap" / "data" / "steam" / "common" / ".local" / "share" / "Steam"}) {
        SCOPED_TRACE(steam.string());
        tmt::test::FakeHome snapHome;
        const fs::path snapped = snapHome.Path() / steam.lexically_relative(Home());
        snapHome.MakePrefix(snapped / "steamapps" / "compatdata" / "1000" / "pfx");
        WriteAppManifest(snapped / "steamapps", "1000", "TuneMora");
        runners.AddToPath("snap");
        const auto found = Find();
        ASSERT_EQ(Sources(found), std::vector<std::string>{"Steam (Snap): TuneMora"});
        EXPECT_EQ(
            StartedBy(found[0]).arguments,
            (std::vector<std::string>{"run", "steam", "-applaunch", "1000", "-OpenGL", "-debug"}));
    }
}

TEST_F(SteamStartTest, OlderClientsSteamAppsFoldersAreFound) {
    // Older clients named the folder SteamApps, in the Steam folder and in libraries alike, and
    // listed a library's path as the value of its number.
    const fs::path steam = Home() / ".steam" / "steam";
    const fs::path library = Home() / "Old Library";
    fs::create_directories(steam / "SteamApps");
    InstallRecord("steam/libraryfolders-old.vdf", steam / "SteamApps" / "libraryfolders.vdf",
                  {{"LIBRARY", library.string()}});
    home.MakePrefix(library / "SteamApps" / "compatdata" / "1000" / "pfx");
    WriteAppManifest(library / "SteamApps", "1000", "TuneMora");
    runners.AddToPath("steam");
    const auto found = Find();
    ASSERT_EQ(Sources(found), std::vector<std::string>{"Steam: TuneMora"});
    EXPECT_EQ(StartedBy(found[0]).arguments.at(1), "1000");
}

TEST_F(SteamStartTest, AnAppIsListedOnceWithThePrefixLastStarted) {
    // The game moved to another library and left its old compatdata folder behind; Proton takes
    // pfx.lock at every start, so the live prefix is the one locked last.
    const fs::path steam = Home() / ".steam" / "steam";
    const fs::path library = Home() / "Games Disk";
    fs::create_directories(library / "steamapps");
    WriteLibraryFolders(steam / "steamapps", steam, library);
    WriteAppManifest(library / "steamapps", "1000", "TuneMora");
    const fs::path stale = steam / "steamapps" / "compatdata" / "1000";
    const fs::path live = library / "steamapps" / "compatdata" / "1000";
    home.MakePrefix(stale / "pfx", "1.0");
    home.MakePrefix(live / "pfx", "2.0");
    tmt::test::WriteFile(stale / "pfx.lock", "");
    tmt::test::WriteFile(live / "pfx.lock", "");
    const auto now = fs::file_time_type::clock::now();
    fs::last_write_time(stale / "pfx.lock", now - std::chrono::hours(24 * 30));
    fs::last_write_time(live / "pfx.lock", now - std::chrono::hours(1));

    auto found = Find();
    ASSERT_EQ(Sources(found), std::vector<std::string>{"Steam: TuneMora"});
    EXPECT_TRUE(SameFile(found[0].place, live / "pfx"));
    EXPECT_EQ(found[0].installVer, "2.0");

    fs::last_write_time(stale / "pfx.lock", now);
    found = Find();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(SameFile(found[0].place, stale / "pfx"));
}

TEST_F(SteamStartTest, ShortcutsAreNamedFromEveryUsersShortcutsOrByTheirNumber) {
    const fs::path steam = Home() / ".steam" / "steam";
    AddShortcut(steam, Home() / "Proton" / "proton");
    // Another user's file that Steam left half written, and a prefix no shortcut names.
    tmt::test::WriteFile(steam / "userdata" / "99" / "config" / "shortcuts.vdf",
                         std::string("\0shortcuts\0\0"
                                     "0\0\x02"
                                     "appid\0",
                                     21));
    home.MakePrefix(steam / "steamapps" / "compatdata" / "4000000000" / "pfx");
    runners.AddToPath("steam");
    EXPECT_EQ(Sources(Find()),
              (std::vector<std::string>{"Steam: TuneMora", "Steam: Non-Steam game 4000000000"}));
}

} // namespace
