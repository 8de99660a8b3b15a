#include "tests/platform/linux/managers/ManagerTest.h"

#include <sys/stat.h>

#include <algorithm>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using tmt::test::InstallRecord;

class LutrisStartTest : public tmt::test::ManagerTest {
protected:
    fs::path Config() const { return Home() / ".config" / "lutris"; }
    fs::path Runners() const { return Home() / ".local" / "share" / "lutris" / "runners"; }

    // The game as Lutris's installer records it, on `version`, in ~/Games/tunemora.
    fs::path InstallGame(const fs::path& games, const std::string& version,
                         const std::string& arguments = "") {
        const fs::path prefix = Home() / "Games" / "tunemora";
        game = home.MakePrefix(prefix);
        InstallRecord("lutris/game-installed.yml", games / "tunemora-installer-1718306531.yml",
                      {{"PREFIX", prefix.string()},
                       {"NAME", "TuneMora"},
                       {"VERSION", version},
                       {"ARGS", arguments}});
        return prefix;
    }
    // The game added by hand, with no version of its own.
    fs::path AddGame() {
        const fs::path prefix = Home() / "Games" / "added";
        game = home.MakePrefix(prefix);
        InstallRecord("lutris/game-added.yml", Config() / "games" / "tunemora-1718306600.yml",
                      {{"PREFIX", prefix.string()}});
        return prefix;
    }
    // The game with options set in Lutris's Configure window, in ~/Games/configured; its working
    // folder the game's own unless `workingDir` names another.
    fs::path ConfigureGame(const std::string& version, const std::string& arch = "win64",
                           const std::string& workingDir = "") {
        const fs::path prefix = Home() / "Games" / "configured";
        if (!fs::exists(prefix)) {
            game = home.MakePrefix(prefix);
        }
        InstallRecord("lutris/game-configured.yml", Config() / "games" / "tunemora-1718306700.yml",
                      {{"PREFIX", prefix.string()},
                       {"ARCH", arch},
                       {"WORKING_DIR", workingDir.empty() ? game.string() : workingDir},
                       {"VERSION", version}});
        return prefix;
    }
    // A GE-Proton build among Lutris's Wine runners, or in another folder of Protons: its proton
    // script and its wine.
    fs::path InstallGeProton(const fs::path& folder = {}) {
        const fs::path proton = (folder.empty() ? Runners() / "wine" : folder) / "GE-Proton9-20";
        runners.Install(proton / "proton");
        runners.Install(proton / "files" / "bin" / "wine");
        return proton;
    }
    // The prefix as a 32-bit Wine leaves it: "#arch=win32" at the head of system.reg, and the
    // game's key outside Wow6432Node.
    static void Make32Bit(const fs::path& prefix) {
        tmt::test::WriteFile(prefix / "system.reg",
                             "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
                             "#arch=win32\n\n[Software\\\\TuneMora] 1\n"
                             "\"InstallDir\"=\"C:\\\\Games\\\\TuneMora\"\n");
    }

    fs::path game;
};

TEST_F(LutrisStartTest, AProtonBuildAsTheGamesWineRunsThroughUmu) {
    const fs::path proton = InstallGeProton();
    const fs::path prefix = InstallGame(Config() / "games", "GE-Proton9-20");
    runners.AddToPath("umu-run");
    const auto found = Find();
    ASSERT_EQ(Sources(found), std::vector<std::string>{"Lutris: TuneMora"});
    const Start start = StartedBy(found[0]);
    EXPECT_EQ(start.program.filename(), "umu-run");
    ASSERT_EQ(start.arguments.size(), 3u);
    EXPECT_TRUE(SameFile(start.arguments[0], game / "Tunemora.exe"));
    EXPECT_EQ(start.arguments[1], "-OpenGL");
    EXPECT_TRUE(SameFile(start.workingDirectory, game));
    EXPECT_EQ(start.environment.at("PROTONPATH"), proton.string());
    EXPECT_EQ(start.environment.at("GAMEID"), "umu-default");
    EXPECT_EQ(start.environment.at("WINEARCH"), "win64");
    EXPECT_EQ(start.environment.at("PROTON_VERB"), "waitforexitandrun");
    EXPECT_EQ(start.environment.at("WINEPREFIX"), prefix.string());
    EXPECT_EQ(start.environment.at("WINE"), (proton / "files" / "bin" / "wine").string());
    EXPECT_EQ(start.environment.at("WINEDEBUG"), "-all");
    EXPECT_EQ(start.environment.at("WINEDLLOVERRIDES"), "winemenubuilder=");
}

TEST_F(LutrisStartTest, WithoutUmuAProtonBuildCannotStart) {
    InstallGeProton();
    InstallGame(Config() / "games", "GE-Proton9-20");
    const auto found = Find();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(StartGame(found[0], "").reason,
              "umu is not installed: the program umu-run was not found.");
}

TEST_F(LutrisStartTest, SteamsProtonsAreFoundWhereLutrisFindsThem) {
    // ProtonUp-Qt's GE-Proton in Steam's compatibilitytools.d, and Valve's Proton in a library
    // that Steam's config/libraryfolders.vdf lists (the same list as steamapps/ holds).
    const fs::path steam = Home() / ".local" / "share" / "Steam";
    const fs::path library = Home() / "Games Disk" / "SteamLibrary";
    fs::create_directories(steam / "steamapps");
    tmt::test::WriteLibraryFolders(steam / "config", steam, library);
    const fs::path compatTool = InstallGeProton(steam / "compatibilitytools.d");
    const fs::path valves = library / "steamapps" / "common" / "Proton 9.0";
    runners.Install(valves / "proton");
    runners.Install(valves / "files" / "bin" / "wine");
    runners.AddToPath("umu-run");
    const auto protonPath = [&](const std::string& version) {
        ConfigureGame(version);
        const auto found = Find();
        EXPECT_EQ(found.size(), 1u);
        const Start start = found.empty() ? Start{} : StartedBy(found[0]);
        EXPECT_EQ(start.program.filename(), "umu-run");
        const auto variable = start.environment.find("PROTONPATH");
        return variable != start.environment.end() ? variable->second : std::string();
    };
    EXPECT_EQ(protonPath("GE-Proton9-20"), compatTool.string());
    EXPECT_EQ(protonPath("Proton 9.0"), valves.string());
    // Lutris's own runners come first.
    const fs::path own = InstallGeProton();
    EXPECT_EQ(protonPath("GE-Proton9-20"), own.string());
    // The folders that STEAM_EXTRA_COMPAT_TOOLS_PATHS names, with an older Proton's dist/.
    const fs::path extra = Home() / "tools";
    runners.Install(extra / "Proton-Extra" / "proton");
    runners.Install(extra / "Proton-Extra" / "dist" / "bin" / "wine");
    home.Set("STEAM_EXTRA_COMPAT_TOOLS_PATHS", "/nonexistent:" + extra.string());
    EXPECT_EQ(protonPath("Proton-Extra"), (extra / "Proton-Extra").string());
}

TEST_F(LutrisStartTest, ProtonIsRefusedForA32BitPrefixAsLutrisRefusesIt) {
    InstallGeProton();
    runners.AddToPath("umu-run");
    ConfigureGame("GE-Proton9-20", "win32");
    auto found = Find();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(StartGame(found[0], " -debug").reason,
              "Proton is not compatible with 32-bit prefixes.");
    // Lutris's default on a prefix whose head says it is 32-bit.
    fs::remove_all(Config() / "games");
    Make32Bit(AddGame());
    found = Find();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(StartGame(found[0], "").reason, "Proton is not compatible with 32-bit prefixes.");
    EXPECT_TRUE(runners.Starts().empty());
}

TEST_F(LutrisStartTest, TheGameStartsInTheWorkingFolderOfItsOptions) {
    const fs::path wine = Runners() / "wine" / "lutris-7.2" / "bin" / "wine";
    runners.Install(wine);
    fs::create_directories(Home() / "tunemora-work");
    ConfigureGame("lutris-7.2", "win64", "~/tunemora-work");
    auto found = Find();
    ASSERT_EQ(found.size(), 1u);
    Start start = StartedBy(found[0]);
    EXPECT_EQ(start.program, wine);
    EXPECT_TRUE(SameFile(start.workingDirectory, Home() / "tunemora-work"));
    EXPECT_TRUE(SameFile(start.arguments.at(0), game / "Tunemora.exe"));
    ConfigureGame("lutris-7.2", "win64", (Home() / "tunemora-work").string());
    found = Find();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(SameFile(StartedBy(found[0]).workingDirectory, Home() / "tunemora-work"));
}

TEST_F(LutrisStartTest, AGameWithoutAVersionTakesTheRunnersElseLutrisDefault) {
    const fs::path wine = Runners() / "wine" / "lutris-7.2" / "bin" / "wine";
    runners.Install(wine);
    runners.AddToPath("umu-run");
    AddGame();
    InstallRecord("lutris/wine.yml", Config() / "runners" / "wine.yml",
                  {{"VERSION", "lutris-7.2"}});
    auto found = Find();
    ASSERT_EQ(Sources(found), std::vector<std::string>{"Lutris: tunemora"});
    Start start = StartedBy(found[0]);
    EXPECT_EQ(start.program, wine);
    EXPECT_EQ(start.environment.at("WINE"), wine.string());
    EXPECT_EQ(start.environment.count("PROTONPATH"), 0u);

    // The system's Wine by Lutris's name for it.
    runners.AddToPath("wine");
    InstallRecord("lutris/wine.yml", Config() / "runners" / "wine.yml", {{"VERSION", "system"}});
    found = Find();
    EXPECT_EQ(StartedBy(found.at(0)).program.filename(), "wine");

    // Lutris's own default since 0.5.20: the newest GE-Proton through umu.
    fs::remove(Config() / "runners" / "wine.yml");
    found = Find();
    start = StartedBy(found.at(0));
    EXPECT_EQ(start.program.filename(), "umu-run");
    EXPECT_EQ(start.environment.at("PROTONPATH"), "GE-Proton");
    EXPECT_EQ(start.environment.at("GAMEID"), "umu-default");

    // A version whose runner is gone falls back to the default as well.
    InstallRecord("lutris/wine.yml", Config() / "runners" / "wine.yml",
                  {{"VERSION", "lutris-5.0"}});
    found = Find();
    EXPECT_EQ(StartedBy(found.at(0)).environment.at("PROTONPATH"), "GE-Proton");
}

TEST_F(LutrisStartTest, TheGamesOptionsReachTheGame) {
    const fs::path wine = Runners() / "wine" / "lutris-7.2" / "bin" / "wine";
    runners.Install(wine);
    const fs::path prefix =
        InstallGame(Config() / "games", "lutris-7.2", "-skipintro \"two words\" 'it''s'");
    // The game's own architecture wins over the one its prefix's head names.
    Make32Bit(prefix);
    const auto found = Find();
    ASSERT_EQ(found.size(), 1u);
    const Start start = StartedBy(found[0]);
    EXPECT_EQ(start.program, wine);
    ASSERT_EQ(start.arguments.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(start.arguments.begin() + 1, start.arguments.end()),
              (std::vector<std::string>{"-skipintro", "two words", "its", "-OpenGL", "-debug"}))
        << "the game's own arguments, then the switches";
    EXPECT_EQ(start.environment.at("DXVK_HUD"), "fps");
    EXPECT_EQ(start.environment.at("WINEARCH"), "win64");
    EXPECT_EQ(start.environment.at("WINEESYNC"), "1");
    EXPECT_EQ(start.environment.at("WINEFSYNC"), "1");
}

TEST_F(LutrisStartTest, AnArchitectureIsReadFromTheRegistrysHeadAndAFifoHoldsNothing) {
    const fs::path wine = Runners() / "wine" / "lutris-7.2" / "bin" / "wine";
    runners.Install(wine);
    InstallRecord("lutris/wine.yml", Config() / "runners" / "wine.yml",
                  {{"VERSION", "lutris-7.2"}});
    const fs::path prefix = AddGame();
    Make32Bit(prefix);
    auto found = Find();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(StartedBy(found[0]).environment.at("WINEARCH"), "win32");
    fs::remove(prefix / "system.reg");
    ASSERT_EQ(::mkfifo((prefix / "system.reg").c_str(), 0600), 0);
    EXPECT_TRUE(Find().empty());
}

TEST_F(LutrisStartTest, LutrisKeepsItsConfigurationInItsDataFolderWhenConfigHasNone) {
    const fs::path data = Home() / ".local" / "share" / "lutris";
    runners.Install(Runners() / "wine" / "lutris-7.2" / "bin" / "wine");
    InstallGame(data / "games", "lutris-7.2");
    EXPECT_EQ(Sources(Find()), std::vector<std::string>{"Lutris: TuneMora"});
    // Once ~/.config/lutris exists, it alone holds Lutris's games.
    fs::create_directories(Config());
    EXPECT_TRUE(Find().empty());
}

TEST_F(LutrisStartTest, FlathubLutrisIsFoundAndRunsTheGameInItsSandbox) {
    const fs::path flatpak = Home() / ".var" / "app" / "net.lutris.Lutris";
    const fs::path wine =
        flatpak / "data" / "lutris" / "runners" / "wine" / "lutris-7.2" / "bin" / "wine";
    runners.Install(wine);
    const fs::path prefix = InstallGame(flatpak / "config" / "lutris" / "games", "lutris-7.2");
    runners.AddToPath("flatpak");
    const auto found = Find();
    ASSERT_EQ(Sources(found), std::vector<std::string>{"Lutris (Flatpak): TuneMora"});
    const Start start = StartedBy(found[0]);
    EXPECT_EQ(start.program.filename(), "flatpak");
    ASSERT_GE(start.arguments.size(), 5u);
    EXPECT_EQ(start.arguments[0], "run");
    EXPECT_EQ(start.arguments[1], "--command=" + wine.string());
    const auto tail = std::vector<std::string>(start.arguments.end() - 4, start.arguments.end());
    EXPECT_EQ(tail[0], "net.lutris.Lutris");
    EXPECT_TRUE(SameFile(tail[1], game / "Tunemora.exe"));
    EXPECT_EQ(tail[3], "-debug");
    const std::vector<std::string> settings(start.arguments.begin() + 2, start.arguments.end() - 4);
    for (const std::string& expected :
         {"--env=WINEPREFIX=" + prefix.string(), "--env=DXVK_HUD=fps"s, "--env=WINEARCH=win64"s}) {
        EXPECT_NE(std::find(settings.begin(), settings.end(), expected), settings.end())
            << expected;
    }
}

} // namespace
