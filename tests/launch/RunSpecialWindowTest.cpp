#include "launch/URunSpecial.h"

#include "app/ModalResult.h"
#include "app/UMain.h"
#include "launch/RadioGroup.h"
#include "platform/OwnExecutable.h"
#include "platform/qt/MessageBox.h"
#include "tests/support/GameStarts.h"
#include "tests/support/GameWindowTest.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WhileShown.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>

namespace {

namespace fs = std::filesystem;
using tmt::ui::MessageBox;
using tmt::ui::RadioGroup;

const QString kDefaultText = "TuneMora will run with default parametrs!";
const QString kChosenText = "TuneMora will run with this parametrs:\n\r";

class RunSpecialWindowTest : public tmt::test::GameWindowTest {
protected:
    RunSpecialWindowTest() : GameWindowTest("Program Files/Tune Mora") {}

    void SetUp() override {
        GameWindowTest::SetUp();
        window = std::make_unique<TFRunSpecial>(main.get());
        window->show();
    }

    RadioGroup& Group(const char* name) const { return *window->findChild<RadioGroup*>(name); }
    QCheckBox& Box(const char* name) const { return *window->findChild<QCheckBox*>(name); }
    QPushButton& Button(const char* name) const { return *window->findChild<QPushButton*>(name); }

    // Presses Run, answers the confirmation and returns the texts of every box shown.
    std::vector<QString> Run(int answer) {
        MessageBox::SetNextAnswer(answer);
        QTest::mouseClick(&Button("bRun"), Qt::LeftButton);
        std::vector<QString> texts;
        for (const auto& shown : MessageBox::TakeShown()) {
            texts.push_back(shown.text);
        }
        return texts;
    }

    void ChooseTheWorkedExample() {
        Group("rgRender").setItemIndex(1);
        Group("rgRes").setItemIndex(8);
        Group("rgMidiDelay").setItemIndex(2);
        Group("rgWaveVol").setItemIndex(4);
        Group("rgDetails").setItemIndex(4);
        for (const char* name :
             {"CheckBox2", "CheckBox5", "CheckBox12", "cbMusicAsync", "CheckBox13"}) {
            Box(name).setChecked(true);
        }
    }

    // The switches of every start so far (`expected` of them), one per argument; every start must
    // be the game of the test's folder, in that folder.
    std::vector<std::vector<std::string>> SwitchesStarted(std::size_t expected) const {
        std::vector<std::vector<std::string>> switches;
        for (const auto& start : recorder.Starts(expected)) {
            EXPECT_EQ(fs::canonical(start.workingDirectory), fs::canonical(game));
            if (start.arguments.empty() ||
                fs::canonical(start.arguments[0]) != fs::canonical(game / "Tunemora.exe")) {
                ADD_FAILURE() << "another program was started";
                continue;
            }
            switches.emplace_back(start.arguments.begin() + 1, start.arguments.end());
        }
        return switches;
    }

    tmt::test::GameStarts recorder;
    std::unique_ptr<TFRunSpecial> window;
};

const char* const kWorkedExample = " -OpenGL -1280x720 -editmididelay100 -editwavevolume75 "
                                   "-filtering3 -logsongerrors -drawfgoff -nolimit -musicasync "
                                   "-newprocessor";

TEST_F(RunSpecialWindowTest, RunAsksFirstAndEachYesStartsTheGameOnceFromItsFolder) {
    EXPECT_EQ(Run(tmt::ui::mrYes), std::vector<QString>{kDefaultText});

    ChooseTheWorkedExample();
    MessageBox::SetNextAnswer(tmt::ui::mrNo);
    QTest::mouseClick(&Button("bRun"), Qt::LeftButton);
    const auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, MessageBox::Kind::Information);
    EXPECT_EQ(shown[0].buttons, MessageBox::Yes | MessageBox::No);
    EXPECT_EQ(shown[0].defaultButton, MessageBox::Yes);
    EXPECT_EQ(shown[0].text, kChosenText + kWorkedExample);
    EXPECT_TRUE(window->isVisible());

    // No kept every choice.
    EXPECT_EQ(Run(tmt::ui::mrYes), std::vector<QString>{kChosenText + kWorkedExample});
    EXPECT_EQ(Run(tmt::ui::mrYes).size(), 1u);
    EXPECT_TRUE(window->isVisible());
    const std::vector<std::string> workedExample = {
        "-OpenGL",        "-1280x720",  "-editmididelay100", "-editwavevolume75", "-filtering3",
        "-logsongerrors", "-drawfgoff", "-nolimit",          "-musicasync",       "-newprocessor"};
    EXPECT_THAT(SwitchesStarted(3), ::testing::UnorderedElementsAre(std::vector<std::string>{},
                                                                    workedExample, workedExample));
}

// A box's switch is its hint, not a tool tip.
TEST_F(RunSpecialWindowTest, EachBoxAloneGivesItsOwnSwitch) {
    const QList<QCheckBox*> boxes = window->findChildren<QCheckBox*>();
    ASSERT_FALSE(boxes.isEmpty());
    for (QCheckBox* box : boxes) {
        SCOPED_TRACE(box->objectName().toStdString());
        const QString hint = box->property("Hint").toString();
        EXPECT_TRUE(hint.startsWith(u'-'));
        EXPECT_TRUE(box->toolTip().isEmpty());
        EXPECT_FALSE(box->isChecked());
        box->setChecked(true);
        EXPECT_EQ(Run(tmt::ui::mrNo), std::vector<QString>{kChosenText + u' ' + hint});
        box->setChecked(false);
    }
    EXPECT_TRUE(SwitchesStarted(0).empty()) << "No starts nothing";
}

TEST_F(RunSpecialWindowTest, ForeignControlInAnOptionGroupEndsRunWithAnError) {
    auto label = std::make_unique<QLabel>(window->findChild<QGroupBox*>("gbLog"));
    const auto texts = Run(tmt::ui::mrYes);
    EXPECT_EQ(texts, std::vector<QString>{"Invalid class typecast."});
    EXPECT_TRUE(SwitchesStarted(0).empty());
}

// The real box, as the user reads it: the line feed and carriage return make one line break, and
// the many switches wrap at their blanks, never at a switch's dash, inside the screen.
TEST_F(RunSpecialWindowTest, ConfirmationShowsOneLineBreakAndWholeSwitches) {
    for (const char* group : {"rgRender", "rgRes", "rgMidiDelay", "rgWaveVol", "rgDetails"}) {
        const QList<QRadioButton*> items = Group(group).findChildren<QRadioButton*>();
        QTest::mouseClick(items.back(), Qt::LeftButton, {}, QPoint(6, items.back()->height() / 2));
    }
    for (QCheckBox* box : window->findChildren<QCheckBox*>()) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    const std::string expected = " -Direct3D -1920x1080 -editmididelay500 -editwavevolume85 "
                                 "-filtering4 -noerrors -logsongerrors -logsongwarnings -drawbgoff "
                                 "-drawfgoff -draweffectsoff -forceclearbackground -mouseoff "
                                 "-nobgmusic -debug -benchmark -nolimit -musicasync -newprocessor";
    ASSERT_EQ(Run(tmt::ui::mrNo), std::vector<QString>{kChosenText + expected.c_str()})
        << "the clicks did not choose every option";

    MessageBox::SetTestMode(false);
    const auto backToTestMode = qScopeGuard([] { MessageBox::SetTestMode(true); });
    const bool shown = tmt::test::WhileShown<QMessageBox>(
        [this] { QTest::mouseClick(&Button("bRun"), Qt::LeftButton); },
        [&](QMessageBox& box) {
            const auto* label = box.findChild<QLabel*>("qt_msgbox_label");
            ASSERT_NE(label, nullptr);
            EXPECT_FALSE(label->wordWrap()) << "the box breaks the lines by rules of its own";
            EXPECT_FALSE(label->text().contains(u'\r'));
            const QStringList lines = label->text().split(u'\n');
            ASSERT_GT(lines.size(), 2) << "the switches fit on one line of the box";
            EXPECT_EQ(lines[0], "TuneMora will run with this parametrs:");
            EXPECT_EQ(lines.mid(1).join(u' ').toStdString(), expected);
            for (const QString& line : lines.mid(1)) {
                for (const QString& word : line.split(u' ', Qt::SkipEmptyParts)) {
                    EXPECT_TRUE(word.startsWith(u'-') && !word.endsWith(u'-'))
                        << "a switch broken apart: " << line.toStdString();
                }
            }
            EXPECT_LE(box.frameGeometry().width(), box.screen()->availableGeometry().width());
            box.reject();
        });
    EXPECT_TRUE(shown);
}

} // namespace
