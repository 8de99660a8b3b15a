#include "tests/platform/linux/managers/ManagerTest.h"

namespace {

namespace fs = std::filesystem;
using tmt::test::InstallRecord;

class PlayOnLinuxStartTest : public tmt::test::ManagerTest {
protected:
    fs::path PlayOnLinux() const { return Home() / ".PlayOnLinux"; }

    // The virtual drive TuneMora on PlayOnLinux's Wine 7.0 for amd64.
    fs::path AddDrive() {
        const fs::path prefix = PlayOnLinux() / "wineprefix" / "TuneMora";
        game = home.MakePrefix(prefix);
        InstallRecord("playonlinux/playonlinux.cfg", prefix / "playonlinux.cfg",
                      {{"ARCH", "amd64"}, {"VERSION", "7.0"}});
        return prefix;
    }
    fs::path WineVersion() const { return PlayOnLinux() / "wine" / "linux-amd64" / "7.0"; }

    fs::path game;
};

TEST_F(PlayOnLinuxStartTest, AShortcutOfTheGameIsStartedByPlayOnLinuxWithTheSwitches) {
    AddDrive();
    InstallRecord("playonlinux/shortcut", PlayOnLinux() / "shortcuts" / "TuneMora Deluxe",
                  {{"POLROOT", PlayOnLinux().string() + "/"}, {"PREFIXNAME", "TuneMora"}});
    runners.AddToPath("playonlinux");
    const auto found = Find();
    ASSERT_EQ(Sources(found), std::vector<std::string>{"PlayOnLinux: TuneMora Deluxe"});
    const Start start = StartedBy(found[0]);
    EXPECT_EQ(start.program.filename(), "playonlinux");
    EXPECT_EQ(start.arguments,
              (std::vector<std::string>{"--run", "TuneMora Deluxe", "-OpenGL", "-debug"}));
}

TEST_F(PlayOnLinuxStartTest, WithoutAShortcutTheDriveRunsAsPolWineRunsIt) {
    const fs::path prefix = AddDrive();
    runners.Install(WineVersion() / "bin" / "wine");
    runners.AddToPath("playonlinux");
    const auto found = Find();
    ASSERT_EQ(Sources(found), std::vector<std::string>{"PlayOnLinux: TuneMora"});
    const Start start = StartedBy(found[0]);
    EXPECT_EQ(start.program, WineVersion() / "bin" / "wine");
    EXPECT_TRUE(SameFile(start.arguments.at(0), game / "Tunemora.exe"));
    EXPECT_EQ(start.environment.at("WINEPREFIX"), prefix.string());
    EXPECT_EQ(start.environment.at("WINEDEBUG"), "-all");
    EXPECT_EQ(start.environment.at("FREETYPE_PROPERTIES"), "truetype:interpreter-version=35");
    EXPECT_EQ(start.environment.at("LD_LIBRARY_PATH")
                  .rfind((WineVersion() / "lib").string() +
                             "/:" + (WineVersion() / "lib64").string() + "/:",
                         0),
              0u);
    EXPECT_EQ(start.environment.at("PATH").rfind((WineVersion() / "bin").string() + "/:", 0), 0u);
}

TEST_F(PlayOnLinuxStartTest, AMissingWineVersionIsNamed) {
    AddDrive();
    const auto found = Find();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(StartGame(found[0], "").reason,
              "PlayOnLinux's Wine 7.0 is not installed: the program " +
                  (WineVersion() / "bin" / "wine").string() + " was not found.");
}

} // namespace
