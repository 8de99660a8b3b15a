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
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
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

    // What the game of the test's folder was started with: its switches, one per argument, and
    // whether it started in its own folder.
    struct Started {
        std::vector<std::string> switches;
        bool fromGameFolder = false;
    };
    Started Of(const tmt::test::GameStarts::Start& start) const {
        Started started;
        if (start.arguments.empty() ||
            fs::canonical(start.arguments[0]) != fs::canonical(game / "Tunemora.exe")) {
            ADD_FAILURE() << "another program was started";
            return started;
        }
        started.switches.assign(start.arguments.begin() + 1, start.arguments.end());
        started.fromGameFolder = fs::canonical(start.workingDirectory) == fs::canonical(game);
        return started;
    }

    tmt::test::GameStarts recorder;
    std::unique_ptr<TFRunSpecial> window;
};

const char* const kWorkedExample = " -OpenGL -1280x720 -editmididelay100 -editwavevolume75 "
                                   "-filtering3 -logsongerrors -drawfgoff -nolimit -musicasync "
                                   "-newprocessor";

TEST_F(RunSpecialWindowTest, WorkedExampleStartsTheGameWithTenSwitchesFromItsFolder) {
    ChooseTheWorkedExample();
    MessageBox::SetNextAnswer(tmt::ui::mrYes);
    QTest::mouseClick(&Button("bRun"), Qt::LeftButton);
    const auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, MessageBox::Kind::Information);
    EXPECT_EQ(shown[0].buttons, MessageBox::Yes | MessageBox::No);
    EXPECT_EQ(shown[0].defaultButton, MessageBox::Yes);
    EXPECT_EQ(shown[0].text, kChosenText + kWorkedExample);

    const auto starts = recorder.WaitForStarts(1, 10s);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(Of(starts[0]).switches,
              (std::vector<std::string>{"-OpenGL", "-1280x720", "-editmididelay100",
                                        "-editwavevolume75", "-filtering3", "-logsongerrors",
                                        "-drawfgoff", "-nolimit", "-musicasync", "-newprocessor"}));
    EXPECT_TRUE(Of(starts[0]).fromGameFolder);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(RunSpecialWindowTest, DefaultsSaySoAndStartTheGameWithoutSwitches) {
    EXPECT_EQ(Run(tmt::ui::mrYes), std::vector<QString>{kDefaultText});
    const auto starts = recorder.WaitForStarts(1, 10s);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_TRUE(Of(starts[0]).switches.empty());
    EXPECT_TRUE(Of(starts[0]).fromGameFolder);
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
}

TEST_F(RunSpecialWindowTest, NoStartsNothingAndKeepsEveryChoice) {
    ChooseTheWorkedExample();
    EXPECT_EQ(Run(tmt::ui::mrNo), std::vector<QString>{kChosenText + kWorkedExample});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Run(tmt::ui::mrYes), std::vector<QString>{kChosenText + kWorkedExample});
    // Had the No started the game as well, its record would arrive alongside this one.
    const auto starts = recorder.WaitForStarts(2, 1s);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(Of(starts[0]).switches.size(), 10u);
}

TEST_F(RunSpecialWindowTest, RunTwiceWithYesStartsTwice) {
    Box("CheckBox8").setChecked(true);
    EXPECT_EQ(Run(tmt::ui::mrYes).size(), 1u);
    EXPECT_EQ(Run(tmt::ui::mrYes).size(), 1u);
    const auto starts = recorder.WaitForStarts(2, 10s);
    ASSERT_EQ(starts.size(), 2u);
    for (const auto& start : starts) {
        EXPECT_EQ(Of(start).switches, std::vector<std::string>{"-mouseoff"});
    }
    EXPECT_TRUE(window->isVisible());
}

TEST_F(RunSpecialWindowTest, ControlsAreCreatedInTheOrderThatOrdersTheSwitches) {
    QStringList created;
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->objectName().isEmpty()) {
            created << control->objectName();
        }
    }
    EXPECT_EQ(created, QStringList({"rgRender",     "rgRes",       "rgDetails", "gbLog",
                                    "CheckBox1",    "CheckBox2",   "CheckBox3", "gbGraphic",
                                    "CheckBox4",    "CheckBox5",   "CheckBox6", "CheckBox7",
                                    "gbOther",      "CheckBox8",   "CheckBox9", "CheckBox10",
                                    "CheckBox11",   "CheckBox12",  "GroupBox4", "bRun",
                                    "bCancel",      "rgMidiDelay", "rgWaveVol", "gbOptimizations",
                                    "cbMusicAsync", "CheckBox13"}));
    QStringList optionGroups;
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        if (control->property("Tag").toInt() == -1) {
            optionGroups << control->objectName();
        }
    }
    EXPECT_EQ(optionGroups, QStringList({"gbLog", "gbGraphic", "gbOther", "gbOptimizations"}));
}

TEST_F(RunSpecialWindowTest, BlocksStandFullWidthInScreenOrder) {
    const char* const onScreen[] = {"rgRender",  "rgRes",           "rgDetails", "rgMidiDelay",
                                    "rgWaveVol", "gbOptimizations", "gbLog",     "gbGraphic",
                                    "gbOther",   "GroupBox4"};
    int bottom = -1;
    for (const char* name : onScreen) {
        SCOPED_TRACE(name);
        const QRect block = window->findChild<QGroupBox*>(name)->geometry();
        EXPECT_GT(block.top(), bottom);
        EXPECT_EQ(block.left(), window->findChild<QGroupBox*>("rgRender")->geometry().left());
        EXPECT_EQ(block.width(), window->findChild<QGroupBox*>("rgRender")->width());
        bottom = block.bottom();
    }
    EXPECT_LT(Box("CheckBox13").x(), Box("cbMusicAsync").x());
    EXPECT_LT(Button("bRun").x(), Button("bCancel").x());
    EXPECT_FALSE(window->windowIcon().isNull());
}

TEST_F(RunSpecialWindowTest, ResolutionsStandFourToAColumn) {
    const auto buttons = Group("rgRes").findChildren<QRadioButton*>();
    ASSERT_EQ(buttons.size(), 12);
    for (int index = 0; index < buttons.size(); ++index) {
        SCOPED_TRACE(index);
        const QPoint first = buttons[index - index % 4]->pos();
        EXPECT_EQ(buttons[index]->x(), first.x());
        if (index % 4 > 0) {
            EXPECT_GT(buttons[index]->y(), buttons[index - 1]->y());
        } else if (index > 0) {
            EXPECT_GT(buttons[index]->x(), buttons[index - 1]->x());
            EXPECT_EQ(buttons[index]->y(), buttons[0]->y());
        }
    }
}

TEST_F(RunSpecialWindowTest, ForeignControlInAnOptionGroupEndsRunWithAnError) {
    auto label = std::make_unique<QLabel>(window->findChild<QGroupBox*>("gbLog"));
    const auto texts = Run(tmt::ui::mrYes);
    EXPECT_EQ(texts, std::vector<QString>{"Invalid class typecast."});
    EXPECT_TRUE(recorder.WaitForStarts(1, 200ms).empty());
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
