#include "app/RunningGame.h"

#include "app/ModalResult.h"
#include "app/UMain.h"
#include "maintenance/UMaintenance.h"
#include "platform/qt/MessageBox.h"
#include "profiles/UProfile.h"
#include "profiles/UProfileManager.h"
#include "settings/UConfigure.h"
#include "tests/support/GameWindowTest.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RunningGame.h"
#include "tests/support/WhileShown.h"
#include "ui_UProfile.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace {

namespace fs = std::filesystem;
using tmt::test::PrefixUse;
using tmt::test::ReadFile;
using tmt::test::RunningGame;
using tmt::test::TestPrefix;
using tmt::test::WriteFile;
using tmt::ui::MessageBox;

// The game's files as a player leaves them, in a prefix where Windows programs run, and the game
// started there (or elsewhere) on demand.
class RunningGameTest : public tmt::test::GameWindowTest {
protected:
    RunningGameTest() : GameWindowTest("Games/TuneMora", PrefixUse::RunsPrograms) {}

    void SetUp() override {
        GameWindowTest::SetUp();
        LayOutGameFiles();
    }

    // The game's files as they were before any change.
    void LayOutGameFiles() const {
        fs::remove_all(game / "Profiles");
        fs::remove_all(game / "Temp");
        WriteFile(game / "config.ini", "[Graphics]\r\nResolution=800x600\r\n");
        WriteFile(game / "Profiles" / "Bob" / "profile.prf",
                  "[profile]\r\nname=Bob\r\nlogin=bob\r\nlocked=no\r\n");
        WriteFile(game / "Temp" / "song.tmp", "t");
        WriteFile(game / "covers.cache", "c");
    }

    // Every file below the game folder with its bytes, the game itself aside.
    std::map<std::string, std::string> Disk() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(game)) {
            if (entry.path().filename() != "Tunemora.exe") {
                files[entry.path().string()] =
                    entry.is_regular_file() ? ReadFile(entry.path()) : "/";
            }
        }
        return files;
    }

    // The boxes shown that asked about the running game.
    static int Questions() {
        int asked = 0;
        for (const MessageBox::Shown& shown : MessageBox::TakeShown()) {
            if (shown.text == QString::fromUtf8(tmt::ui::kGameRunningQuestion)) {
                EXPECT_EQ(shown.kind, MessageBox::Kind::Warning);
                EXPECT_EQ(shown.title, "Warning");
                EXPECT_EQ(shown.buttons, MessageBox::Continue | MessageBox::Cancel);
                ++asked;
            }
        }
        return asked;
    }

    // Makes each change on the game's files as they were: nothing is asked, and each is made.
    void EachActionIsMadeUnasked() const;
};

// One change that the running game may undo, made through its window. `make` queues `answer` for
// the question about the running game, where one is expected, and returns whether the window in
// which the change was asked for is still open afterwards; `done` tells from the game's files
// whether the change was made.
struct GuardedAction {
    const char* name;
    std::function<bool(std::optional<int> answer)> make;
    std::function<bool(const fs::path& game)> done;
};

void PrintTo(const GuardedAction& action, std::ostream* out) {
    *out << action.name;
}

void Queue(std::optional<int> answer) {
    if (answer) {
        MessageBox::SetNextAnswer(*answer);
    }
}

bool SaveSettings(std::optional<int> answer) {
    TFConfigure window(FormMain);
    window.show();
    window.findChild<QLineEdit*>("eResW")->setText("1024");
    Queue(answer);
    window.findChild<QPushButton*>("bSave")->click();
    // What was typed stays when the window stays.
    EXPECT_EQ(window.findChild<QLineEdit*>("eResW")->text(), "1024");
    return window.isVisible();
}

// Presses `button` of a fresh `Window` and confirms the change it asks about.
template <typename Window> bool ConfirmAndPress(const char* button, std::optional<int> answer) {
    Window window(FormMain);
    window.show();
    MessageBox::SetNextAnswer(tmt::ui::mrYes);
    Queue(answer);
    window.template findChild<QPushButton*>(button)->click();
    return window.isVisible();
}

// Opens the profile manager and edits in the editor that `press` opens; returns whether the
// editor was still open after its Save, with the name typed.
bool EditProfile(const char* press, std::optional<int> answer) {
    TFProfileManager manager(FormMain);
    manager.show();
    bool stillOpen = false;
    const bool shown = tmt::test::WhileShown<TFProfile>(
        [&] { manager.findChild<QPushButton*>(press)->click(); },
        [&](TFProfile& editor) {
            editor.Controls()->eName->setText("Carol");
            Queue(answer);
            editor.Controls()->Button2->click();
            stillOpen = editor.isVisible();
            if (stillOpen) {
                EXPECT_EQ(editor.Controls()->eName->text(), "Carol");
                editor.Controls()->Button1->click();
            }
        });
    EXPECT_TRUE(shown);
    return stillOpen;
}

bool Clear(const char* box, std::optional<int> answer) {
    TFMaintenance window(FormMain);
    window.show();
    window.findChild<QCheckBox*>(box)->setChecked(true);
    Queue(answer);
    window.findChild<QPushButton*>("bClear")->click();
    return window.isVisible();
}

std::string Profile(const fs::path& game, const char* folder) {
    return ReadFile(game / "Profiles" / folder / "profile.prf");
}

const GuardedAction kActions[] = {
    {"SaveInConfiguration", SaveSettings,
     [](const fs::path& game) {
         return ReadFile(game / "config.ini").find("Resolution=1024x600") != std::string::npos;
     }},
    {"Reset", [](auto answer) { return ConfirmAndPress<TFConfigure>("bResetSettings", answer); },
     [](const fs::path& game) {
         return !fs::exists(game / "config.ini");
     }},
    {"AddProfile", [](auto answer) { return EditProfile("bAdd", answer); },
     [](const fs::path& game) {
         return fs::exists(game / "Profiles" / "Carol");
     }},
    {"ChangeProfile", [](auto answer) { return EditProfile("bModyfi", answer); },
     [](const fs::path& game) {
         return Profile(game, "Bob").find("name=Carol") != std::string::npos;
     }},
    {"DeleteProfile", [](auto answer) { return ConfirmAndPress<TFProfileManager>("bDel", answer); },
     [](const fs::path& game) {
         return !fs::exists(game / "Profiles" / "Bob");
     }},
    {"ClearTemp", [](auto answer) { return Clear("CheckBox1", answer); },
     [](const fs::path& game) {
         return !fs::exists(game / "Temp" / "song.tmp");
     }},
    {"ClearCoversCache", [](auto answer) { return Clear("CheckBox2", answer); },
     [](const fs::path& game) {
         return !fs::exists(game / "covers.cache");
     }},
};

class RunningGameActionTest : public RunningGameTest,
                              public ::testing::WithParamInterface<GuardedAction> {};

// Cancel leaves the files and the window as they were, so the player can close the game and try
// again; Continue makes the change all the same.
TEST_P(RunningGameActionTest, TheGameRunningAsksFirst) {
    const GuardedAction& action = GetParam();
    const RunningGame running(prefix, game);
    const auto before = Disk();
    EXPECT_TRUE(action.make(MessageBox::IdCancel));
    EXPECT_EQ(Questions(), 1);
    EXPECT_EQ(Disk(), before);

    action.make(MessageBox::IdContinue);
    EXPECT_EQ(Questions(), 1);
    EXPECT_TRUE(action.done(game));
}

INSTANTIATE_TEST_SUITE_P(EveryGuardedAction, RunningGameActionTest, ::testing::ValuesIn(kActions),
                         [](const auto& shown) { return std::string(shown.param.name); });

void RunningGameTest::EachActionIsMadeUnasked() const {
    for (const GuardedAction& action : kActions) {
        SCOPED_TRACE(action.name);
        LayOutGameFiles();
        action.make(std::nullopt);
        EXPECT_EQ(Questions(), 0);
        EXPECT_TRUE(action.done(game));
    }
}

TEST_F(RunningGameTest, NothingIsAskedWhileTheGameIsNotRunning) {
    EachActionIsMadeUnasked();
}

// A copy of the game in another place (on Linux another prefix, with the same Windows path) writes
// its own files: nothing is asked.
TEST_F(RunningGameTest, NothingIsAskedWhileACopyRunsElsewhere) {
#ifdef _WIN32
    const char* elsewhere = "Games/TuneMora Copy";
#else
    const char* elsewhere = "Games/TuneMora";
#endif
    TestPrefix other(PrefixUse::RunsPrograms);
    const RunningGame running(other, other.MakeGameFolder(elsewhere));
    EachActionIsMadeUnasked();
}

#ifndef _WIN32
// The installation's own files run through another prefix (a games folder that two prefixes
// reach) are the same game: it writes the same config.ini when it exits.
TEST_F(RunningGameTest, TheSameFilesRunThroughAnotherPrefixAsk) {
    const TestPrefix other(PrefixUse::RunsPrograms);
    const RunningGame running(other, game);
    const auto before = Disk();
    EXPECT_TRUE(kActions[0].make(MessageBox::IdCancel));
    EXPECT_EQ(Questions(), 1);
    EXPECT_EQ(Disk(), before);
}
#endif

} // namespace
