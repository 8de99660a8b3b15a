#include "tests/platform/linux/managers/ManagerTest.h"

namespace {

namespace fs = std::filesystem;
using tmt::test::InstallRecord;

constexpr char kEpicApp[] = "9d2d0eb64d5c44529cece33fe2a46482";
constexpr char kGogApp[] = "1207658924";

class HeroicStartTest : public tmt::test::ManagerTest {
protected:
    // A game of Heroic in `heroic`, its settings on Wine-GE or on GE-Proton, in a prefix of
    // Heroic's default place.
    fs::path AddGame(const fs::path& heroic, const std::string& appName, bool proton) {
        const fs::path prefix = Home() / "Games" / "Heroic" / "Prefixes" / "default" / appName;
        const fs::path tools = heroic / "tools" / (proton ? "proton" : "wine");
        const fs::path wineDir = tools / (proton ? "GE-Proton9-20" : "Wine-GE-Proton8-26");
        home.MakePrefix(proton ? prefix / "pfx" : prefix);
        InstallRecord(proton ? "heroic/GamesConfig-proton.json" : "heroic/GamesConfig-wine.json",
                      heroic / "GamesConfig" / (appName + ".json"),
                      {{"APPNAME", appName},
                       {"PREFIX", prefix.string()},
                       {"WINE", (proton ? wineDir / "proton" : wineDir / "bin" / "wine").string()},
                       {"WINEDIR", wineDir.string()}});
        return prefix;
    }
    void AddToLibrary(const fs::path& heroic, const std::string& fixture, const std::string& file,
                      const std::string& appName) {
        InstallRecord("heroic/" + fixture, heroic / file,
                      {{"APPNAME", appName},
                       {"TITLE", "TuneMora"},
                       {"INSTALL", (Home() / "Games" / "Heroic" / "TuneMora").string()}});
    }
};

TEST_F(HeroicStartTest, StoreGamesStartThroughHeroicUnderTheTitlesHeroicShows) {
    const fs::path heroic = Home() / ".config" / "heroic";
    AddGame(heroic, kEpicApp, false);
    AddToLibrary(heroic, "legendary_library.json", "store_cache/legendary_library.json", kEpicApp);
    const fs::path gogPrefix = AddGame(heroic, kGogApp, true);
    AddToLibrary(heroic, "gog_library.json", "store_cache/gog_library.json", kGogApp);
    runners.AddToPath("heroic");

    const auto found = Find();
    ASSERT_EQ(Sources(found), (std::vector<std::string>{"Heroic: TuneMora", "Heroic: TuneMora"}));
    // Heroic runs legendary (or gogdl) with the game's Wine or Proton, its variables, its login
    // and its cloud saves, as it does for its own shortcuts.
    const auto viaHeroic = [&](const tmt::platform::Installation& installation,
                               const std::string& switches) {
        const Start start = StartedBy(installation, switches);
        EXPECT_EQ(start.program.filename(), "heroic");
        return start.arguments;
    };
    const std::string epic = kEpicApp;
    const std::string gog = kGogApp;
    // Heroic's records are read in the order of their files' names.
    EXPECT_EQ(viaHeroic(found[1], ""),
              (std::vector<std::string>{"--no-gui", "heroic://launch/legendary/" + epic}));
    EXPECT_EQ(
        viaHeroic(found[1], " -OpenGL  -debug"),
        (std::vector<std::string>{"--no-gui", "heroic://launch?appName=" + epic +
                                                  "&runner=legendary&arg=-OpenGL&arg=-debug"}));
    EXPECT_EQ(viaHeroic(found[0], ""),
              (std::vector<std::string>{"--no-gui", "heroic://launch/gog/" + gog}));
    EXPECT_TRUE(SameFile(found[0].place, gogPrefix / "pfx")) << "Proton's prefix is in pfx/";
    EXPECT_EQ(runners.Starts().size(), 3u) << "no Wine or Proton of the game's is started";
}

TEST_F(HeroicStartTest, SideloadedAndUnknownGamesAndHeroicsOtherInstallations) {
    const fs::path heroic = Home() / ".config" / "heroic";
    AddGame(heroic, "sideload-x1Yz", false);
    AddToLibrary(heroic, "sideload_library.json", "sideload_apps/library.json", "sideload-x1Yz");
    AddGame(heroic, "unknownApp", false);
    const fs::path flatpak = Home() / ".var/app/com.heroicgameslauncher.hgl/config/heroic";
    AddGame(flatpak, kEpicApp, true);
    AddToLibrary(flatpak, "legendary_library.json", "store_cache/legendary_library.json", kEpicApp);
    runners.AddToPath("xdg-open");
    runners.AddToPath("flatpak");

    const auto found = Find();
    ASSERT_EQ(Sources(found), (std::vector<std::string>{"Heroic: TuneMora", "Heroic: unknownApp",
                                                        "Heroic (Flatpak): TuneMora"}));
    // Without the heroic program at hand, the desktop's handler of Heroic's addresses starts it,
    // as Heroic's own desktop shortcuts do.
    const Start sideloaded = StartedBy(found[0], "");
    EXPECT_EQ(sideloaded.program.filename(), "xdg-open");
    EXPECT_EQ(sideloaded.arguments,
              std::vector<std::string>{"heroic://launch/sideload/sideload-x1Yz"});
    EXPECT_EQ(StartedBy(found[1], "").arguments,
              std::vector<std::string>{"heroic://launch/unknownApp"});
    const Start fromFlatpak = StartedBy(found[2], "");
    EXPECT_EQ(fromFlatpak.arguments,
              (std::vector<std::string>{"run", "com.heroicgameslauncher.hgl", "--no-gui",
                                        "heroic://launch/legendary/" + std::string(kEpicApp)}));
}

} // namespace
