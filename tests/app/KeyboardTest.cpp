#include "platform/qt/MessageBox.h"
#include "tests/app/EveryWindow.h"
#include "tests/support/QtPrinters.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using tmt::ui::MessageBox;

struct Chain {
    std::string window;
    // The focused control on opening first, then each Tab's next stop.
    std::vector<QString> stops;
};

void PrintTo(const Chain& chain, std::ostream* out) {
    *out << chain.window;
}

const std::vector<Chain> kChains = {
    {"TFormMain",
     {"bProfileManager", "bConfig", "bMaintenance", "bRunSpecial", "bRun", "bAbout", "bExit"}},
    // A group of radio buttons is one stop, at its checked button; the disabled "Developer" is
    // none.
    {"TFConfigure",
     {"bClose", "bResetSettings", "bSave", "rbStable", "rbMonitor1", "rbFullON", "eResW", "eResH",
      "bSongsDir", "bSetDefSongsDir"}},
    {"TFProfileManager", {"lbSupport", "bAdd", "bDel", "bModyfi", "bExit"}},
    {"TFProfile", {"eName", "eLogin", "cbLocked", "Button2", "Button1", "Button3", "Button4"}},
    // Top to bottom as on screen, row by row from the left.
    {"TFRunSpecial",
     [] {
         std::vector<QString> stops = {
             "rgRender:Default",  "rgRes:Default", "rgDetails:Default", "rgMidiDelay:Default",
             "rgWaveVol:Default", "CheckBox13",    "cbMusicAsync"};
         for (int box = 1; box <= 12; ++box) {
             stops.push_back("CheckBox" + QString::number(box));
         }
         stops.insert(stops.end(), {"bRun", "bCancel"});
         return stops;
     }()},
    {"TFMaintenance", {"CheckBox1", "CheckBox2", "bClear", "bCancel"}},
    {"TFormAbout", {"bOK", "bMagic"}},
    {"TFChooseInstallation", {"lvInstallations", "bOk", "bCancel"}},
};

class TabOrderTest : public tmt::test::EveryWindowTest,
                     public ::testing::WithParamInterface<Chain> {};

TEST_P(TabOrderTest, TabWalksTheStopsInOrderAndComesBackToTheFirst) {
    Open(GetParam().window);
    std::vector<QString> walked;
    for (std::size_t i = 0; i <= GetParam().stops.size(); ++i) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr) << "after " << i << " presses of Tab";
        walked.push_back(NameOf(*focused));
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    std::vector<QString> expected = GetParam().stops;
    expected.push_back(expected.front());
    EXPECT_EQ(walked, expected);
}

INSTANTIATE_TEST_SUITE_P(EveryWindow, TabOrderTest, ::testing::ValuesIn(kChains),
                         [](const auto& testInfo) { return testInfo.param.window; });

// The access keys of the message boxes' buttons, on a real box rather than the test seam's.
class AccessKeyTest : public ::testing::Test {
protected:
    void SetUp() override { MessageBox::SetTestMode(false); }
    void TearDown() override { MessageBox::SetTestMode(true); }
};

TEST_F(AccessKeyTest, AltWithTheUnderlinedLetterAnswersTheBox) {
    struct Case {
        int buttons;
        Qt::Key key;
        int answer;
    };
    const Case cases[] = {
        {MessageBox::Yes | MessageBox::No, Qt::Key_Y, MessageBox::IdYes},
        {MessageBox::Yes | MessageBox::No, Qt::Key_N, MessageBox::IdNo},
        {MessageBox::Yes | MessageBox::Abort, Qt::Key_A, MessageBox::IdAbort},
        {MessageBox::Yes | MessageBox::Abort, Qt::Key_Y, MessageBox::IdYes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QKeySequence(c.key).toString().toStdString());
        bool pressedByKey = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !QTest::qWaitForWindowActive(box)) {
                return;
            }
            QTest::keyClick(box, c.key, Qt::AltModifier);
            // An access key presses its button at once and clicks it when the press has been
            // seen, which ends the box with that button's answer.
            for (const QAbstractButton* button : box->buttons()) {
                pressedByKey |= button->isDown();
            }
            if (!pressedByKey) {
                box->reject();
            }
        });
        const int answer = MessageBox::Typed(nullptr, MessageBox::Kind::Warning, "Sure?", c.buttons,
                                             MessageBox::Yes);
        EXPECT_TRUE(pressedByKey);
        EXPECT_EQ(answer, c.answer);
    }
}

} // namespace
