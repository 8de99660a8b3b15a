#include "launch/URunSpecial.h"

#include "app/ModalResult.h"
#include "app/UMain.h"
#include "platform/qt/MessageBox.h"
#include "tests/support/FakeHome.h"
#include "tests/support/FakeRunners.h"
#include "tests/support/ManagerRecords.h"
#include "tests/support/OutsideGamesTest.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WaitForSearch.h"
#include "tests/support/linux/StartedPrograms.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace {

namespace fs = std::filesystem;
using tmt::ui::MessageBox;

// The launch window on the one installation that a manager keeps: what its boxes tell before and
// after the manager is asked to start the game.
class ThroughManagerWindowTest : public tmt::test::OutsideGamesTest {
protected:
    fs::path Home() const { return home.Path(); }

    // Opens the main window on the installation, chooses "-debug" in the launch window and
    // presses Run, answering the confirmation with Yes. Returns the texts of every box shown.
    std::vector<QString> RunWithDebug() {
        const auto form = std::make_unique<TFormMain>();
        tmt::test::WaitForSearch(*form);
        EXPECT_TRUE(MessageBox::TakeShown().empty()) << "one installation, found without a word";
        TFRunSpecial launch(form.get());
        launch.findChild<QCheckBox*>("CheckBox10")->setChecked(true);
        MessageBox::SetNextAnswer(tmt::ui::mrYes);
        QTest::mouseClick(launch.findChild<QPushButton*>("bRun"), Qt::LeftButton);
        std::vector<QString> texts;
        for (const auto& shown : MessageBox::TakeShown()) {
            texts.push_back(shown.text);
        }
        started.WaitUntilAllEnded();
        return texts;
    }

    tmt::test::StartedPrograms started;
    tmt::test::FakeRunners runners;
    tmt::test::FakeHome home;
};

TEST_F(ThroughManagerWindowTest, TheConfirmationSaysWhenTheManagerTakesNoSwitches) {
    // A non-Steam shortcut of tests/managers/steam/shortcuts.vdf, which Steam starts by its game
    // id alone.
    const fs::path steam = Home() / ".steam" / "steam";
    const fs::path compatData = steam / "steamapps" / "compatdata" / "3123456789";
    home.MakePrefix(compatData / "pfx");
    tmt::test::InstallRecord("steam/shortcuts.vdf",
                             steam / "userdata" / "12345678" / "config" / "shortcuts.vdf",
                             {{"PFX", (compatData / "pfx").string()}});
    runners.AddToPath("steam");

    EXPECT_EQ(RunWithDebug(),
              std::vector<QString>{"TuneMora will run with this parametrs:\n\r -debug\n\r\n\rSteam "
                                   "starts a non-Steam game with the launch options of its "
                                   "library entry only, so the chosen switches do not reach it."});
    const auto starts = runners.Starts();
    ASSERT_EQ(starts.size(), 1u);
    const std::uint64_t gameId = (std::uint64_t{3123456789} << 32) | 0x02000000u;
    EXPECT_EQ(starts[0].arguments,
              std::vector<std::string>{"steam://rungameid/" + std::to_string(gameId)});
}

TEST_F(ThroughManagerWindowTest, AManagerThatRefusesTheStartAtOnceIsShownWithItsWords) {
    const fs::path bottle = Home() / ".local" / "share" / "bottles" / "bottles" / "Music";
    home.MakePrefix(bottle);
    tmt::test::InstallRecord("bottles/bottle.yml", bottle / "bottle.yml",
                             {{"NAME", "Music"}, {"RUNNER", "sys-wine-9.0"}, {"FOLDER", "Music"}});
    // As a bottles-cli from before 2022.12.14 refuses switches after the program.
    runners.AddRefusingToPath("bottles-cli", {2, "usage: bottles-cli [-h] [-v] [-j] ...\n"
                                                 "bottles-cli: error: unrecognized arguments: "
                                                 "-debug\n"});

    const std::vector<QString> shown = RunWithDebug();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "TuneMora will run with this parametrs:\n\r -debug");
    EXPECT_EQ(shown[1], "Cannot start \"C:\\Games\\TuneMora\\Tunemora.exe\": bottles-cli ended at "
                        "once with exit status 2, saying: bottles-cli: error: unrecognized "
                        "arguments: -debug");
    EXPECT_EQ(runners.Starts().size(), 1u);
}

} // namespace
