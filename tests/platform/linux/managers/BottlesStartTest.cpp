#include "tests/platform/linux/managers/ManagerTest.h"

namespace {

namespace fs = std::filesystem;
using tmt::test::InstallRecord;

class BottlesStartTest : public tmt::test::ManagerTest {
protected:
    fs::path Bottles() const { return Home() / ".local" / "share" / "bottles"; }

    // A bottle in Bottles' own folder, named `name`, on the runner soda-7.0-9.
    fs::path AddBottle(const std::string& name, const std::string& folder) {
        const fs::path bottle = Bottles() / "bottles" / folder;
        game = home.MakePrefix(bottle);
        InstallRecord("bottles/bottle.yml", bottle / "bottle.yml",
                      {{"NAME", name}, {"RUNNER", "soda-7.0-9"}, {"FOLDER", folder}});
        return bottle;
    }

    fs::path game;
};

TEST_F(BottlesStartTest, ABottleOnAPathOfTheUsersChoiceIsFoundThroughItsPlaceholder) {
    const fs::path bottle = Home() / "Games" / "Bottles" / "Music-Box";
    game = home.MakePrefix(bottle);
    InstallRecord("bottles/bottle-custom-path.yml", bottle / "bottle.yml",
                  {{"NAME", "Music Box"}, {"RUNNER", "soda-7.0-9"}, {"BOTTLE", bottle.string()}});
    InstallRecord("bottles/placeholder.yml",
                  Bottles() / "bottles" / "Music-Box" / "placeholder.yml",
                  {{"BOTTLE", bottle.string()}});
    // A placeholder whose bottle is on a drive that is not there, and one without a Path.
    InstallRecord("bottles/placeholder.yml", Bottles() / "bottles" / "Gone" / "placeholder.yml",
                  {{"BOTTLE", (Home() / "unmounted" / "Gone").string()}});
    tmt::test::WriteFile(Bottles() / "bottles" / "Broken" / "placeholder.yml", "Path:\n");
    runners.AddToPath("bottles-cli");

    const auto found = Find();
    ASSERT_EQ(Sources(found), std::vector<std::string>{"Bottles: Music Box"});
    EXPECT_TRUE(SameFile(found[0].place, bottle));
    const Start start = StartedBy(found[0]);
    EXPECT_EQ(start.program.filename(), "bottles-cli");
    ASSERT_EQ(start.arguments.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(start.arguments.begin(), start.arguments.begin() + 3),
              (std::vector<std::string>{"run", "--bottle=Music Box", "-e"}));
    EXPECT_TRUE(SameFile(start.arguments[3], game / "Tunemora.exe"));
}

TEST_F(BottlesStartTest, SwitchesFollowDashesAsTheCurrentCliTakesThem) {
    AddBottle("Music Box", "Music-Box");
    runners.AddToPath("bottles-cli");
    const auto found = Find();
    ASSERT_EQ(found.size(), 1u);
    // bottles-cli's "run" since 2022.12.14: the switches are its positional arguments, after
    // "--" so that its parser takes none of them for an option of its own.
    const Start start = StartedBy(found[0]);
    EXPECT_EQ(std::vector<std::string>(start.arguments.begin() + 4, start.arguments.end()),
              (std::vector<std::string>{"--", "-OpenGL", "-debug"}));
    EXPECT_EQ(StartedBy(found[0], "").arguments.size(), 4u) << "nothing after the game";
}

// bottles-cli reads its options with argparse, which takes a separate value that begins with "-"
// for an option of its own; attached, the value is the bottle's name whatever it begins with.
TEST_F(BottlesStartTest, TheBottleIsNamedInTheAttachedForm) {
    AddBottle("-Music", "Music");
    runners.AddToPath("bottles-cli");
    const auto found = Find();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(StartedBy(found[0]).arguments.at(1), "--bottle=-Music");
}

TEST_F(BottlesStartTest, ARunnerThatRefusesTheStartAtOnceIsToldToTheUser) {
    AddBottle("Music Box", "Music-Box");
    // As a bottles-cli from before 2022.12.14 refuses positional arguments.
    runners.AddRefusingToPath(
        "bottles-cli",
        {2, "usage: bottles-cli [-h] [-v] [-j] {info,list,programs,tools,reg,edit,new,run,shell,"
            "standalone} ...\nbottles-cli: error: unrecognized arguments: -OpenGL -debug\n"});
    const auto found = Find();
    ASSERT_EQ(found.size(), 1u);
    const tmt::platform::StartResult result = StartGame(found[0], " -OpenGL -debug");
    EXPECT_FALSE(result.started);
    EXPECT_EQ(result.reason, "bottles-cli ended at once with exit status 2, saying: bottles-cli: "
                             "error: unrecognized arguments: -OpenGL -debug");
}

TEST_F(BottlesStartTest, WithoutBottlesCliTheBottleRunsOnItsRunnersWine) {
    const fs::path bottle = AddBottle("Music Box", "Music-Box");
    const fs::path wine = Bottles() / "runners" / "soda-7.0-9" / "bin" / "wine";
    runners.Install(wine);
    const auto found = Find();
    ASSERT_EQ(found.size(), 1u);
    const Start start = StartedBy(found[0]);
    EXPECT_EQ(start.program, wine);
    EXPECT_EQ(start.environment.at("WINEPREFIX"), bottle.string());
}

TEST_F(BottlesStartTest, FlatpakBottlesStartThroughTheFlatpaksCli) {
    const fs::path data = Home() / ".var" / "app" / "com.usebottles.bottles" / "data" / "bottles";
    home.MakePrefix(data / "bottles" / "Games");
    InstallRecord("bottles/bottle.yml", data / "bottles" / "Games" / "bottle.yml",
                  {{"NAME", "Games"}, {"RUNNER", "sys-wine-9.0"}, {"FOLDER", "Games"}});
    runners.AddToPath("wine");
    runners.AddToPath("flatpak");
    EXPECT_EQ(StartedBy(Find().at(0)).program.filename(), "wine")
        << "flatpak without the Bottles application";
    fs::create_directories(Home() / ".local/share/flatpak/app/com.usebottles.bottles");
    const auto found = Find();
    ASSERT_EQ(Sources(found), std::vector<std::string>{"Bottles (Flatpak): Games"});
    const Start start = StartedBy(found[0]);
    ASSERT_GE(start.arguments.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(start.arguments.begin(), start.arguments.begin() + 5),
              (std::vector<std::string>{"run", "--command=bottles-cli", "com.usebottles.bottles",
                                        "run", "--bottle=Games"}));
}

} // namespace
