#include "platform/Installations.h"
#include "platform/Registry.h"
#include "platform/linux/PrefixRegistry.h"
#include "tests/platform/linux/managers/ManagerTest.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

namespace {

namespace fs = std::filesystem;
using tmt::platform::FindInstallations;
using tmt::platform::Installation;
using tmt::platform::StartResult;
using tmt::test::InstallRecord;
using tmt::test::WriteFile;

constexpr char kKey[] = "SOFTWARE\\\\TuneMora";

using InstallationsTest = tmt::test::ManagerTest;

TEST_F(InstallationsTest, HomeWinePrefixIsFoundAndStartedWithWine) {
    const fs::path game = home.MakePrefix(Home() / ".wine", "1.0.2 M\\xfcnster");
    runners.AddToPath("wine");
    const auto found = FindInstallations(kKey);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].source, "Wine");
    EXPECT_EQ(found[0].place, (Home() / ".wine").string());
    EXPECT_EQ(found[0].installDir, "C:\\Games\\TuneMora");
    EXPECT_EQ(found[0].installVer, "1.0.2 M\u00fcnster");

    const Start start = StartedBy(found[0]);
    EXPECT_EQ(start.program.filename(), "wine");
    ASSERT_EQ(start.arguments.size(), 3u);
    EXPECT_TRUE(SameFile(start.arguments[0], game / "Tunemora.exe"));
    EXPECT_EQ(std::vector<std::string>(start.arguments.begin() + 1, start.arguments.end()),
              (std::vector<std::string>{"-OpenGL", "-debug"}));
    EXPECT_TRUE(SameFile(start.workingDirectory, game));
    EXPECT_EQ(start.environment.at("WINEPREFIX"), (Home() / ".wine").string());
}

TEST_F(InstallationsTest, SystemWineIsWineThenWine64AndWineNamesAnother) {
    home.MakePrefix(Home() / ".wine");
    auto found = FindInstallations(kKey);
    ASSERT_EQ(found.size(), 1u);
    home.Set("PATH", (Home() / "no-programs").string());
    const StartResult none = StartGame(found[0], "");
    EXPECT_FALSE(none.started);
    EXPECT_EQ(none.reason, "Wine is not installed: the program wine was not found.");

    runners.Install(Home() / "no-programs" / "wine64");
    EXPECT_EQ(StartedBy(found[0]).program.filename(), "wine64");
    runners.Install(Home() / "no-programs" / "wine");
    EXPECT_EQ(StartedBy(found[0]).program.filename(), "wine");

    runners.Install(Home() / "opt" / "wine-staging");
    home.Set("WINE", (Home() / "opt" / "wine-staging").string());
    found = FindInstallations(kKey);
    EXPECT_EQ(StartedBy(found.at(0)).program.filename(), "wine-staging");
    home.Set("WINE", (Home() / "opt" / "missing-wine").string());
    found = FindInstallations(kKey);
    EXPECT_EQ(StartGame(found.at(0), "").reason, "Wine is not installed: the program " +
                                                     (Home() / "opt" / "missing-wine").string() +
                                                     " was not found.");
}

TEST_F(InstallationsTest, RelativePathEntriesAndRunnerNamesNeverRunTheGameFoldersFiles) {
    const fs::path game = home.MakePrefix(Home() / ".wine");
    const fs::path start = Home() / "start";
    // What the same relative names find in the game's folder, where the runner starts.
    for (const fs::path& folder : {start, game}) {
        runners.Install(folder / "wine");
        runners.Install(folder / "bin" / "wine");
    }
    const fs::path before = fs::current_path();
    fs::current_path(start);
    home.Set("PATH", "bin::");
    auto found = FindInstallations(kKey);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(StartGame(found[0], "").reason,
              "Wine is not installed: the program wine was not found.");
    EXPECT_TRUE(runners.Starts().empty());

    home.Set("WINE", "bin/wine");
    found = FindInstallations(kKey);
    EXPECT_EQ(StartedBy(found.at(0)).program, start / "bin" / "wine");
    fs::current_path(before);
}

TEST_F(InstallationsTest, WinePrefixAloneIsSearchedAndMadeAbsolute) {
    home.MakePrefix(Home() / ".wine");
    home.MakePrefix(Home() / "my prefix", "2.0");
    runners.AddToPath("wine");
    const fs::path before = fs::current_path();
    fs::current_path(Home());
    home.Set("WINEPREFIX", "my prefix");
    const auto found = FindInstallations(kKey);
    fs::current_path(Home() / "my prefix" / "drive_c");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].source, "WINEPREFIX");
    EXPECT_EQ(found[0].installVer, "2.0");
    EXPECT_EQ(StartedBy(found[0]).environment.at("WINEPREFIX"), (Home() / "my prefix").string());
    fs::current_path(before);
}

TEST_F(InstallationsTest, EverySourceInItsOrderAndEachPrefixOnce) {
    home.MakePrefix(Home() / ".wine");
    const fs::path steam = Home() / ".steam" / "steam";
    home.MakePrefix(steam / "steamapps" / "compatdata" / "1000" / "pfx");
    tmt::test::WriteAppManifest(steam / "steamapps", "1000", "TuneMora");
    const fs::path lutris = Home() / "Games" / "lutris-prefix";
    home.MakePrefix(lutris);
    InstallRecord("lutris/game-added.yml", Home() / ".config/lutris/games/tunemora-1.yml",
                  {{"PREFIX", lutris.string()}});
    // The same prefix again, once through a link and once named twice.
    fs::create_directory_symlink(lutris, Home() / "Games" / "link");
    InstallRecord("lutris/game-added.yml", Home() / ".config/lutris/games/via-link-2.yml",
                  {{"PREFIX", (Home() / "Games" / "link").string()}});
    InstallRecord("lutris/game-added.yml", Home() / ".config/lutris/games/twice-3.yml",
                  {{"PREFIX", lutris.string()}});
    home.MakePrefix(Home() / ".local/share/bottles/bottles/Music");
    InstallRecord("bottles/bottle.yml", Home() / ".local/share/bottles/bottles/Music/bottle.yml",
                  {{"NAME", "Music"}, {"RUNNER", "sys-wine-9.0"}, {"FOLDER", "Music"}});
    home.MakePrefix(Home() / "Games" / "heroic-prefix");
    InstallRecord("heroic/GamesConfig-wine.json", Home() / ".config/heroic/GamesConfig/h.json",
                  {{"APPNAME", "h"},
                   {"PREFIX", "~/Games/heroic-prefix"},
                   {"WINE", "/usr/bin/wine"},
                   {"WINEDIR", "/usr"}});
    home.MakePrefix(Home() / ".PlayOnLinux" / "wineprefix" / "TuneMora");
    // Prefixes without the game do not count.
    home.MakeEmptyPrefix(Home() / ".local/share/bottles/bottles/Empty");
    InstallRecord("bottles/bottle.yml", Home() / ".local/share/bottles/bottles/Empty/bottle.yml",
                  {{"NAME", "Empty"}, {"RUNNER", "sys-wine-9.0"}, {"FOLDER", "Empty"}});
    home.MakeEmptyPrefix(Home() / ".PlayOnLinux" / "wineprefix" / "Other");

    EXPECT_EQ(Sources(FindInstallations(kKey)),
              (std::vector<std::string>{"Wine", "Steam: TuneMora", "Lutris: tunemora",
                                        "Bottles: Music", "Heroic: h", "PlayOnLinux: TuneMora"}));
}

TEST_F(InstallationsTest, RegistryAndPathsFollowTheChosenInstallation) {
    home.MakePrefix(Home() / ".wine", "1.0");
    home.MakePrefix(Home() / ".PlayOnLinux" / "wineprefix" / "TuneMora", "2.0");
    const auto found = FindInstallations(kKey);
    ASSERT_EQ(found.size(), 2u);
    tmt::platform::Registry registry;
    for (const Installation& installation : found) {
        tmt::platform::UseInstallation(&installation);
        ASSERT_TRUE(registry.OpenKey(kKey));
        EXPECT_EQ(registry.ReadString("InstallVer"), installation.installVer);
    }
    tmt::platform::UseInstallation(nullptr);
    ASSERT_TRUE(registry.OpenKey(kKey)) << "the default prefix is ~/.wine again";
    EXPECT_EQ(registry.ReadString("InstallVer"), "1.0");
}

// Every file and folder below `root` with its kind, size, time and content; the search's own
// cache aside.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> snapshot;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->path() == root / ".cache") {
            it.disable_recursion_pending();
            continue;
        }
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) != 0) {
            continue;
        }
        std::string state = std::to_string(info.st_mode) + " " + std::to_string(info.st_size) +
                            " " + std::to_string(info.st_mtim.tv_sec) + "." +
                            std::to_string(info.st_mtim.tv_nsec);
        if (S_ISREG(info.st_mode) && info.st_size < (1 << 20)) {
            state += " " + tmt::test::ReadFile(it->path());
        }
        snapshot[it->path().string()] = state;
    }
    return snapshot;
}

TEST_F(InstallationsTest, BadRecordsSkipOnlyThemselvesAndNothingElseIsWritten) {
    const fs::path steam = Home() / ".steam" / "steam";
    const fs::path compatdata = steam / "steamapps" / "compatdata";
    // Only this prefix is sound.
    home.MakePrefix(compatdata / "1000" / "pfx");
    // Truncated, malformed and huge records.
    WriteFile(steam / "steamapps" / "libraryfolders.vdf",
              "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"pa");
    WriteFile(steam / "steamapps" / "appmanifest_1000.acf", "\"AppState\" { \"name\" ");
    WriteFile(Home() / ".config/lutris/games/broken-1.yml", "game: [prefix: {\n");
    WriteFile(Home() / ".config/lutris/games/tabs-2.yml", "game:\n\tprefix: ~/x\n");
    home.MakePrefix(Home() / "Games" / "huge");
    WriteFile(Home() / ".config/lutris/games/huge-3.yml",
              "game:\n  prefix: ~/Games/huge\n#" + std::string(5 << 20, 'x'));
    WriteFile(Home() / ".config/lutris/games/list-4.yml", "- a\n- b\n");
    WriteFile(Home() / ".config/heroic/GamesConfig/broken.json", R"({"a": {"winePrefix": )");
    WriteFile(
        Home() / ".config/heroic/GamesConfig/odd.json",
        R"({"a": {"winePrefix": 5, "wineVersion": "x"}, "b": [1], "c": {"winePrefix": "/nowhere"}})");
    WriteFile(Home() / ".config/heroic/GamesConfig/deep.json", std::string(100000, '[') + "1");
    WriteFile(Home() / ".local/share/bottles/bottles/Deep/bottle.yml",
              std::string(100000, '[') + "1");
    fs::create_directories(Home() / ".local/share/bottles/bottles/Fifo");
    ASSERT_EQ(::mkfifo((Home() / ".local/share/bottles/bottles/Fifo/bottle.yml").c_str(), 0600), 0);
    // Registries that are missing, empty, a FIFO or a gigabyte of nothing (past the cap).
    home.MakeEmptyPrefix(compatdata / "2001" / "pfx");
    fs::remove(compatdata / "2001" / "pfx" / "system.reg");
    home.MakeEmptyPrefix(compatdata / "2002" / "pfx");
    WriteFile(compatdata / "2002" / "pfx" / "system.reg", "");
    home.MakeEmptyPrefix(compatdata / "2003" / "pfx");
    fs::remove(compatdata / "2003" / "pfx" / "system.reg");
    ASSERT_EQ(::mkfifo((compatdata / "2003" / "pfx" / "system.reg").c_str(), 0600), 0);
    home.MakeEmptyPrefix(compatdata / "2004" / "pfx");
    fs::resize_file(compatdata / "2004" / "pfx" / "system.reg", 1ull << 30);
    // A device where records and registries should be, and a FIFO as the registry of a Lutris
    // game, whose start reads the registry's head for the prefix's architecture.
    home.MakeEmptyPrefix(compatdata / "2006" / "pfx");
    fs::remove(compatdata / "2006" / "pfx" / "system.reg");
    fs::create_symlink("/dev/zero", compatdata / "2006" / "pfx" / "system.reg");
    fs::create_symlink("/dev/zero", Home() / ".config/heroic/GamesConfig/zero.json");
    home.MakeEmptyPrefix(Home() / "Games" / "fifo");
    fs::remove(Home() / "Games" / "fifo" / "system.reg");
    ASSERT_EQ(::mkfifo((Home() / "Games" / "fifo" / "system.reg").c_str(), 0600), 0);
    WriteFile(Home() / ".config/lutris/games/fifo-5.yml", "game:\n  prefix: ~/Games/fifo\n");
    // Folders that loop through links, point nowhere or cannot be read.
    fs::create_directory_symlink(".", compatdata / "2005");
    fs::create_directory_symlink("loop-b", Home() / "loop-a");
    fs::create_directory_symlink("loop-a", Home() / "loop-b");
    fs::create_directory_symlink(Home() / "loop-a", Home() / ".PlayOnLinux");
    fs::create_directories(Home() / ".local/share/lutris");
    fs::create_directory_symlink(Home() / "nowhere", Home() / ".local/share/lutris/games");
    fs::create_directories(Home() /
                           ".var/app/com.heroicgameslauncher.hgl/config/heroic/GamesConfig");
    fs::permissions(Home() / ".var/app/com.heroicgameslauncher.hgl/config/heroic/GamesConfig",
                    fs::perms::none);
    runners.AddToPath("steam");
    const auto before = Snapshot(Home());

    const auto found = FindInstallations(kKey);
    ASSERT_EQ(Sources(found), std::vector<std::string>{"Steam: Steam app 1000"})
        << "an unreadable manifest still marks a Steam app";
    StartedBy(found[0]);
    EXPECT_EQ(Snapshot(Home()), before);
    fs::permissions(Home() / ".var/app/com.heroicgameslauncher.hgl/config/heroic/GamesConfig",
                    fs::perms::owner_all);
}

} // namespace

namespace {

// A registry of filler sections up to about `bytes`, then `section`.
std::string LargeRegistry(std::size_t bytes, const std::string& section) {
    std::string content = "WINE REGISTRY Version 2\n\n#arch=win64\n\n";
    for (int key = 0; content.size() < bytes; ++key) {
        content += "[Software\\\\Classes\\\\K" + std::to_string(key) +
                   "] 1\n#time=1\n@=\"C:\\\\windows\\\\x.dll\"\n\"Flags\"=dword:00000000\n\n";
    }
    return content + section + "\n[System\\\\Last] 1\n";
}

TEST(PrefixRegistryTest, KeyIsFoundAcrossPiecesAndUnderAnEscapedName) {
    tmt::test::TempDir prefix;
    const std::string values = "\"InstallDir\"=\"C:\\\\Games\\\\TuneMora\"\n";
    for (const std::size_t at :
         {std::size_t{100}, std::size_t{512 << 10} - 20, std::size_t{(512 << 10) * 3} + 7}) {
        for (const std::string name : {"[software\\\\WOW6432NODE\\\\tunemora] 1\n",
                                       "[Software\\\\Wow6432Node\\\\Tune\\x004dora] 1\n",
                                       "[\\x0053oftware\\\\Wow6432Node\\\\TuneMora] 1\n"}) {
            SCOPED_TRACE(std::to_string(at) + " " + name);
            WriteFile(prefix.Path() / "system.reg", LargeRegistry(at, name + values));
            const auto found = tmt::platform::ReadMachineKeyFromFile(prefix.Path(), kKey);
            ASSERT_TRUE(found);
            EXPECT_EQ(found->at("INSTALLDIR").text, "C:\\Games\\TuneMora");
        }
    }
    WriteFile(prefix.Path() / "system.reg",
              LargeRegistry(2 << 20, "[Software\\\\Wow6432Node\\\\TuneMora2] 1\n" + values));
    EXPECT_FALSE(tmt::platform::ReadMachineKeyFromFile(prefix.Path(), kKey));
}

// Wine's server drops a byte that begins no UTF-8 sequence from a name it reads: with one, the
// name is still the key, wherever its section stands in the file.
TEST(PrefixRegistryTest, ASectionNameBeyondAsciiIsComparedAsWineComparesIt) {
    tmt::test::TempDir prefix;
    const std::string section = "[Software\\\\Wow6432Node\\\\Tune\x80Mora] 1\n"
                                "\"InstallDir\"=\"C:\\\\Games\\\\TuneMora\"\n";
    for (const std::string& content :
         {"WINE REGISTRY Version 2\n\n" + section + "\n[System\\\\Last] 1\n",
          "WINE REGISTRY Version 2\n\n[System\\\\First] 1\n\n" + section}) {
        WriteFile(prefix.Path() / "system.reg", content);
        const auto found = tmt::platform::ReadMachineKeyFromFile(prefix.Path(), kKey);
        ASSERT_TRUE(found) << content;
        EXPECT_EQ(found->at("INSTALLDIR").text, "C:\\Games\\TuneMora");
    }
}

} // namespace
