#include "app/UChooseInstallation.h"
#include "app/UMain.h"

#include "app/ModalResult.h"
#include "launch/URunSpecial.h"
#include "maintenance/UMaintenance.h"
#include "platform/OwnExecutable.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/PlainToolTip.h"
#include "tests/support/FakeHome.h"
#include "tests/support/FakeRunners.h"
#include "tests/support/ManagerRecords.h"
#include "tests/support/OutsideGamesTest.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WaitForSearch.h"
#include "tests/support/linux/StartedPrograms.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

namespace {

namespace fs = std::filesystem;
using tmt::ui::MessageBox;

// Three installations: the plain Wine prefix, a Steam app and a bottle, each with its own
// version and folder.
class ChooseInstallationTest : public tmt::test::OutsideGamesTest {
protected:
    void SetUp() override {
        OutsideGamesTest::SetUp();
        wineGame = home.MakePrefix(Home() / ".wine", "1.1");
        const fs::path steam = Home() / ".steam" / "steam";
        steamGame =
            home.MakePrefix(steam / "steamapps/compatdata/1000/pfx", "2.0", "Games/TuneMora Steam");
        tmt::test::WriteAppManifest(steam / "steamapps", "1000", "TuneMora");
        bottleGame = home.MakePrefix(Home() / ".local/share/bottles/bottles/Music", "3.0");
        tmt::test::InstallRecord(
            "bottles/bottle.yml", Home() / ".local/share/bottles/bottles/Music/bottle.yml",
            {{"NAME", "Music"}, {"RUNNER", "sys-wine-9.0"}, {"FOLDER", "Music"}});
        for (const char* runner : {"wine", "steam", "bottles-cli"}) {
            runners.AddToPath(runner);
        }
    }
    fs::path Home() const { return home.Path(); }

    // Creates the main window while `answer` handles the chooser, if one comes up when the
    // search has ended.
    std::unique_ptr<TFormMain> Open(const std::function<void(TFChooseInstallation&)>& answer) {
        QTimer watcher;
        watcher.setInterval(10);
        bool answered = false;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            auto* window = qobject_cast<TFChooseInstallation*>(QApplication::activeModalWidget());
            if (window == nullptr || answered) {
                return;
            }
            answered = true;
            chooser = window;
            answer(*chooser);
            // A chooser that the answer left open would hold the test forever.
            if (chooser->isVisible()) {
                ADD_FAILURE() << "the chooser is still open";
                chooser->reject();
            }
        });
        watcher.start();
        auto form = std::make_unique<TFormMain>();
        tmt::test::WaitForSearch(*form);
        return form;
    }

    static QTreeWidget& Rows(TFChooseInstallation& window) {
        return *window.findChild<QTreeWidget*>("lvInstallations");
    }
    static QString Label(const TFormMain& form, const char* name) {
        return form.findChild<QLabel*>(name)->text();
    }

    // Every start so far, once each started program has ended.
    std::vector<tmt::test::FakeRunners::Start> Starts() const {
        started.WaitUntilAllEnded();
        return runners.Starts();
    }

    tmt::test::StartedPrograms started;
    tmt::test::FakeRunners runners;
    tmt::test::FakeHome home;
    fs::path wineGame, steamGame, bottleGame;
    TFChooseInstallation* chooser = nullptr;
};

TEST_F(ChooseInstallationTest, SeveralInstallationsAreOfferedWhenTheSearchEnds) {
    std::vector<QStringList> rows;
    bool firstSelected = false;
    const auto form = Open([&](TFChooseInstallation& window) {
        QTreeWidget& list = Rows(window);
        for (int row = 0; row < list.topLevelItemCount(); ++row) {
            QStringList texts;
            for (int column = 0; column < list.columnCount(); ++column) {
                texts << list.topLevelItem(row)->text(column);
            }
            rows.push_back(texts);
        }
        firstSelected = list.selectedItems() == QList{list.topLevelItem(0)};
        // No game has run anywhere yet: nothing to tell about the first row.
        EXPECT_EQ(window.findChild<QLabel*>("lPrompt")->text(),
                  "TuneMora is installed in more than one place. Choose the installation to work "
                  "on:");
        QTest::keyClick(&list, Qt::Key_Return);
    });
    ASSERT_NE(chooser, nullptr);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (QStringList{"Wine", "C:\\Games\\TuneMora", "1.1",
                                    QString::fromStdString((Home() / ".wine").string())}));
    EXPECT_EQ(rows[1][0], "Steam: TuneMora");
    EXPECT_EQ(rows[1][1], "C:\\Games\\TuneMora Steam");
    EXPECT_EQ(rows[2][0], "Bottles: Music");
    EXPECT_TRUE(firstSelected);

    EXPECT_EQ(form->InstallDir, "C:\\Games\\TuneMora");
    EXPECT_EQ(Label(*form, "lVersion"), "1.1");
    QLabel* directory = form->findChild<QLabel*>("lDefaultDir");
    EXPECT_EQ(directory->text(), "C:\\Games\\TuneMora");
    const QString whereFound =
        "Wine\nPrefix: " + QString::fromStdString((Home() / ".wine").string());
    EXPECT_EQ(directory->toolTip(), tmt::ui::PlainToolTip(whereFound));
    EXPECT_EQ(directory->accessibleDescription(), whereFound);
    EXPECT_TRUE(MessageBox::TakeShown().empty());
}

TEST_F(ChooseInstallationTest, TheChosenRowIsTheOneTheGameStartsFrom) {
    const auto form = Open([](TFChooseInstallation& window) {
        QTest::keyClick(&Rows(window), Qt::Key_Down);
        QTest::keyClick(&Rows(window), Qt::Key_Enter);
    });
    EXPECT_EQ(form->InstallDir, "C:\\Games\\TuneMora Steam");
    EXPECT_EQ(Label(*form, "lVersion"), "2.0");
    QTest::mouseClick(form->findChild<QPushButton*>("bRun"), Qt::LeftButton);
    const auto starts = Starts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].program.filename(), "steam");
    EXPECT_EQ(starts[0].arguments, (std::vector<std::string>{"-applaunch", "1000"}));
}

TEST_F(ChooseInstallationTest, DoubleClickTakesTheRowAndTheToolWindowsWorkOnIt) {
    const auto form = Open([](TFChooseInstallation& window) {
        QTreeWidget& list = Rows(window);
        // A person's double-click: the first click's press and release, then the second.
        const QPoint row = list.visualItemRect(list.topLevelItem(2)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, row);
    });
    EXPECT_EQ(Label(*form, "lVersion"), "3.0");

    // The launch window starts the bottle's game through Bottles.
    TFRunSpecial launch(form.get());
    launch.findChild<QCheckBox*>("CheckBox10")->setChecked(true);
    MessageBox::SetNextAnswer(tmt::ui::mrYes);
    QTest::mouseClick(launch.findChild<QPushButton*>("bRun"), Qt::LeftButton);
    const auto starts = Starts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].program.filename(), "bottles-cli");
    EXPECT_EQ(starts[0].arguments.back(), "-debug");

    // The maintenance window empties the bottle's Temp folder, and no other.
    tmt::test::WriteFile(bottleGame / "Temp" / "a.log", "a");
    tmt::test::WriteFile(wineGame / "Temp" / "a.log", "a");
    TFMaintenance maintenance(form.get());
    maintenance.findChild<QCheckBox*>("CheckBox1")->setChecked(true);
    maintenance.findChild<QCheckBox*>("CheckBox2")->setChecked(false);
    QTest::mouseClick(maintenance.findChild<QPushButton*>("bClear"), Qt::LeftButton);
    EXPECT_FALSE(fs::exists(bottleGame / "Temp" / "a.log"));
    EXPECT_TRUE(fs::exists(wineGame / "Temp" / "a.log"));
    MessageBox::TakeShown();
}

// The game is installed, only none was chosen: no error about a missing game, and, as with none
// found, only About and Exit.
TEST_F(ChooseInstallationTest, EscapeOrCancelTakesNoneAndTheToolsAreDisabled) {
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        const auto form = Open([escape](TFChooseInstallation& window) {
            if (escape) {
                QTest::keyClick(&Rows(window), Qt::Key_Escape);
            } else {
                QTest::mouseClick(window.findChild<QPushButton*>("bCancel"), Qt::LeftButton);
            }
        });
        ASSERT_NE(chooser, nullptr);
        EXPECT_TRUE(MessageBox::TakeShown().empty());
        EXPECT_EQ(Label(*form, "lDefaultDir"), "No installation chosen.");
        EXPECT_EQ(Label(*form, "lVersion"), "");
        for (const char* button :
             {"bProfileManager", "bRunSpecial", "bMaintenance", "bConfig", "bRun"}) {
            EXPECT_FALSE(form->findChild<QPushButton*>(button)->isEnabled()) << button;
        }
        EXPECT_TRUE(form->findChild<QPushButton*>("bAbout")->isEnabled());
        EXPECT_TRUE(form->findChild<QPushButton*>("bExit")->isEnabled());
        EXPECT_TRUE(form->findChild<QLabel*>("lDefaultDir")->toolTip().isEmpty());
        chooser = nullptr;
    }
}

// The game writes its config.ini whenever it runs: the installation with the newest one is where
// the player played last, and is selected, saying why.
TEST_F(ChooseInstallationTest, TheInstallationPlayedLastIsSelected) {
    const auto now = fs::file_time_type::clock::now();
    tmt::test::WriteFile(wineGame / "config.ini", "[Graphics]\r\n");
    fs::last_write_time(wineGame / "config.ini", now - std::chrono::hours(48));
    tmt::test::WriteFile(bottleGame / "config.ini", "[Graphics]\r\n");
    fs::last_write_time(bottleGame / "config.ini", now - std::chrono::hours(1));
    // A folder of that name is no file the game wrote.
    fs::create_directories(steamGame / "config.ini");
    QString prompt;
    const auto form = Open([&](TFChooseInstallation& window) {
        QTreeWidget& list = Rows(window);
        EXPECT_EQ(list.selectedItems(), QList{list.topLevelItem(2)});
        prompt = window.findChild<QLabel*>("lPrompt")->text();
        QTest::keyClick(&list, Qt::Key_Return);
    });
    EXPECT_EQ(prompt, "TuneMora is installed in more than one place. Choose the installation to "
                      "work on:\nThe selected one was played last: its config.ini was written most "
                      "recently.");
    EXPECT_EQ(Label(*form, "lVersion"), "3.0");
}

TEST_F(ChooseInstallationTest, OneInstallationIsUsedWithoutAQuestionAndNoneGivesTheError) {
    fs::remove_all(Home() / ".steam");
    fs::remove_all(Home() / ".local/share/bottles");
    auto form = Open([](TFChooseInstallation& window) { window.reject(); });
    EXPECT_EQ(chooser, nullptr);
    EXPECT_EQ(form->InstallDir, "C:\\Games\\TuneMora");
    EXPECT_TRUE(MessageBox::TakeShown().empty());
    form.reset();

    fs::remove_all(Home() / ".wine");
    form = Open([](TFChooseInstallation& window) { window.reject(); });
    EXPECT_EQ(chooser, nullptr);
    EXPECT_EQ(MessageBox::TakeShown().size(), 1u);
    EXPECT_EQ(form->InstallDir, "Wrong or none directory in registry. Please reinstall TuneMora!");
}

TEST_F(ChooseInstallationTest, TheToolFolderStillTakesPrecedenceInTheChosenPrefix) {
    const fs::path other = steamGame.parent_path() / "Other";
    tmt::test::WriteFile(other / "Tunemora.exe", "MZ");
    tmt::platform::SetOwnExecutablePathForTesting("C:\\Games\\Other\\tunemora-tools");
    const auto form = Open([](TFChooseInstallation& window) {
        QTest::keyClick(&Rows(window), Qt::Key_Down);
        QTest::keyClick(&Rows(window), Qt::Key_Return);
    });
    EXPECT_EQ(form->InstallDir, "C:\\Games\\Other");
    EXPECT_EQ(Label(*form, "lVersion"), "Non default installation. Cannot read version.");
}

} // namespace
