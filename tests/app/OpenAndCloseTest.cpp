// Every tool window, opened from the main window and left every way there is: the cancel
// button, Escape, the close box and Enter.
#include "about/UAbout.h"
#include "app/ModalResult.h"
#include "app/UChooseInstallation.h"
#include "launch/URunSpecial.h"
#include "maintenance/UMaintenance.h"
#include "platform/qt/MessageBox.h"
#include "profiles/UProfile.h"
#include "profiles/UProfileManager.h"
#include "settings/UConfigure.h"
#include "tests/app/EveryWindow.h"
#include "tests/support/WhileShown.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tmt::ui::MessageBox;

struct Ways {
    std::string window;
    const char* cancel; // the button that cancels
    bool closeBox;      // whether the frame offers one
    bool fixedSize;
    // What Return or Enter does where the focus is on opening: the window closes with
    // `enterResult`, or stays open (-1) after showing `enterBoxes` boxes, each answered "No".
    int enterResult;
    int enterBoxes;
    // The main window's button that opens it, and the reference that designates it while it is
    // open; none for the windows that other windows open.
    const char* openedBy;
    std::function<QWidget*()> reference;
};

void PrintTo(const Ways& ways, std::ostream* out) {
    *out << ways.window;
}

const std::vector<Ways> kWays = {
    {"TFConfigure", "bClose", true, true, tmt::ui::mrCancel, 0, "bConfig",
     [] {
         return static_cast<QWidget*>(FConfigure);
     }},
    {"TFProfileManager", "bExit", true, true, tmt::ui::mrCancel, 0, "bProfileManager",
     [] {
         return static_cast<QWidget*>(FProfileManager);
     }},
    {"TFProfile", "Button1", false, true, tmt::ui::mrYes, 0, nullptr, nullptr},
    // Enter presses Run, which asks first.
    {"TFRunSpecial", "bCancel", true, true, -1, 1, "bRunSpecial",
     [] {
         return static_cast<QWidget*>(FRunSpecial);
     }},
    // Enter presses Clear, which finds nothing ticked.
    {"TFMaintenance", "bCancel", true, true, -1, 1, "bMaintenance",
     [] {
         return static_cast<QWidget*>(FMaintenance);
     }},
    {"TFormAbout", "bOK", true, true, tmt::ui::mrCancel, 0, "bAbout",
     [] {
         return static_cast<QWidget*>(FormAbout);
     }},
    // Enter takes the selected row.
    {"TFChooseInstallation", "bCancel", true, false, tmt::ui::mrOk, 0, nullptr, nullptr},
};

// Every file below a folder with its bytes.
std::map<std::string, std::string> Files(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        files[entry.path().string()] =
            entry.is_regular_file() ? tmt::test::ReadFile(entry.path()) : "/";
    }
    return files;
}

// Rejects, and counts, every other window that comes up while `action` runs: a key that only
// closes a window must not open another, and the test must not wait on one.
int OtherWindowsDuring(const QWidget& window, const std::function<void()>& action) {
    int others = 0;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (other != nullptr && other != &window) {
            ++others;
            other->reject();
        }
    });
    poll.start();
    action();
    return others;
}

class OpenAndCloseTest : public tmt::test::EveryWindowTest,
                         public ::testing::WithParamInterface<Ways> {
protected:
    void SetUp() override {
        EveryWindowTest::SetUp();
        // Something for every window to change, had it acted on the way out.
        tmt::test::WriteFile(game / "Temp" / "a.log", "a");
        tmt::test::WriteFile(game / "covers.cache", "c");
        tmt::test::WriteFile(game / "config.ini", "[Graphics]\r\nFullScreen=On\r\n");
        tmt::test::WriteFile(game / "Profiles" / "Bob" / "profile.prf",
                             "[profile]\r\nname=Bob\r\n");
    }

    // The checked state of every checkable control, by name.
    static std::map<QString, bool> Checks(const QWidget& window) {
        std::map<QString, bool> checks;
        for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
            if (button->isCheckable()) {
                checks[NameOf(*button)] = button->isChecked();
            }
        }
        return checks;
    }

    QDialog& OpenDialog() {
        auto* dialog = qobject_cast<QDialog*>(&Open(GetParam().window));
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }

    // Opens the window afresh with every box and choice changed, leaves it by `way` and checks
    // that it ended with Cancel and did nothing else.
    void LeaveBy(const char* label, const std::function<void(QDialog&)>& way) {
        SCOPED_TRACE(label);
        QDialog& window = OpenDialog();
        for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
            if (button->isCheckable() && button->isEnabled()) {
                button->setChecked(true);
            }
        }
        const auto before = Files(game);
        EXPECT_EQ(OtherWindowsDuring(window, [&] { way(window); }), 0);
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(window.result(), tmt::ui::mrCancel);
        EXPECT_TRUE(MessageBox::TakeShown().empty());
        EXPECT_EQ(Files(game), before);
    }
};

TEST_P(OpenAndCloseTest, CancelEscapeAndTheCloseBoxEndWithCancelAndChangeNothing) {
    LeaveBy("cancel button", [this](QDialog& window) {
        QTest::mouseClick(window.findChild<QPushButton*>(GetParam().cancel), Qt::LeftButton);
    });
    LeaveBy("Escape", [](QDialog& window) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window,
                        Qt::Key_Escape);
    });
    if (GetParam().closeBox) {
        LeaveBy("close box", [](QDialog& window) { window.close(); });
    }
}

TEST_P(OpenAndCloseTest, TheFrameOffersOnlyWhatTheWindowAllows) {
    QDialog& window = OpenDialog();
    EXPECT_FALSE(window.windowIcon().isNull());
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_EQ(flags.testFlag(Qt::WindowCloseButtonHint), GetParam().closeBox);
    if (!GetParam().closeBox) {
        EXPECT_FALSE(flags.testFlag(Qt::WindowSystemMenuHint));
    }
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    if (GetParam().fixedSize) {
        const QSize size = window.size();
        window.resize(size + QSize(50, 50));
        EXPECT_EQ(window.size(), size);
    }
}

TEST_P(OpenAndCloseTest, EnterActsWhereTheFocusIsOnOpening) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(key == Qt::Key_Return ? "Return" : "Enter");
        QDialog& window = OpenDialog();
        for (int box = 0; box < GetParam().enterBoxes; ++box) {
            MessageBox::SetNextAnswer(MessageBox::IdNo);
        }
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_EQ(OtherWindowsDuring(window, [&] { QTest::keyClick(focus, key); }), 0);
        EXPECT_EQ(MessageBox::TakeShown().size(), static_cast<std::size_t>(GetParam().enterBoxes));
        EXPECT_EQ(window.isVisible(), GetParam().enterResult < 0);
        if (GetParam().enterResult >= 0) {
            EXPECT_EQ(window.result(), GetParam().enterResult);
        }
    }
}

// Each opening is a new window, modal over the main window and in the middle of the screen, not
// of the main window, which the user may have moved into a corner; afterwards nothing of it
// stays.
class MainWindowOpensTest : public OpenAndCloseTest {};

TEST_P(MainWindowOpensTest, AFreshWindowEachTime) {
    const Ways& ways = GetParam();
    const QRect screen = main->screen()->availableGeometry();
    main->show();
    main->move(screen.topLeft());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    std::map<QString, bool> asOpened;
    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening == 0 ? "first opening" : "second opening");
        const bool shown = tmt::test::WhileShown<QDialog>(
            [&] {
                QTest::mouseClick(main->findChild<QPushButton*>(ways.openedBy), Qt::LeftButton);
            },
            [&](QDialog& window) {
                EXPECT_EQ(window.metaObject()->className(), ways.window);
                EXPECT_EQ(&window, ways.reference());
                EXPECT_EQ(window.parentWidget(), main.get());
                EXPECT_TRUE(window.isModal());
                // The window is placed before the window system frames it, so the frame may
                // shift it by as much as the frame is thick.
                const QRect placed = window.frameGeometry();
                const int frame = placed.height() - window.height();
                const QPoint off = placed.center() - screen.center();
                EXPECT_LE(std::abs(off.x()), frame + 1) << off.x();
                EXPECT_LE(std::abs(off.y()), frame + 1) << off.y();
                if (opening == 0) {
                    asOpened = Checks(window);
                    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
                        if (button->isCheckable() && button->isEnabled()) {
                            button->setChecked(!button->isChecked());
                        }
                    }
                } else {
                    EXPECT_EQ(Checks(window), asOpened) << "the window of the first opening";
                }
            });
        EXPECT_TRUE(shown);
        EXPECT_EQ(ways.reference(), nullptr);
        EXPECT_TRUE(main->findChildren<QDialog*>().isEmpty());
    }
}

std::vector<Ways> OpenedByTheMainWindow() {
    std::vector<Ways> opened;
    std::copy_if(kWays.begin(), kWays.end(), std::back_inserter(opened),
                 [](const Ways& ways) { return ways.openedBy != nullptr; });
    return opened;
}

INSTANTIATE_TEST_SUITE_P(EveryWindow, OpenAndCloseTest, ::testing::ValuesIn(kWays),
                         [](const auto& testInfo) { return testInfo.param.window; });
INSTANTIATE_TEST_SUITE_P(EveryToolButton, MainWindowOpensTest,
                         ::testing::ValuesIn(OpenedByTheMainWindow()),
                         [](const auto& testInfo) { return testInfo.param.window; });

} // namespace
