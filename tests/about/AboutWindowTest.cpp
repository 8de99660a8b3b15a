#include "about/UAbout.h"

#include "app/ModalResult.h"
#include "app/UMain.h"
#include "core/Random.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/MillisecondTimer.h"
#include "tests/support/ManualTicks.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/WaitForSearch.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using tmt::ui::MessageBox;
using tmt::ui::MillisecondTimer;
using Names = std::vector<std::string>;

const Names kLabelsInOrder = {"lVersionText", "lVersion", "Label3", "Label4", "Label5", "Label6"};

// A label of a class of its own, which the colour step must leave alone.
class DerivedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
};

// Notes which labels get a new colour, in order, and lets a test act in the middle of a step.
class RecolourLog : public QObject {
public:
    explicit RecolourLog(const QWidget& window) {
        for (QLabel* label : window.findChildren<QLabel*>()) {
            label->installEventFilter(this);
        }
    }

    Names names;
    std::function<void(const std::string&)> onRecolour;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PaletteChange) {
            names.push_back(watched->objectName().toStdString());
            if (onRecolour) {
                onRecolour(names.back());
            }
        }
        return false;
    }
};

// Six colour draws, each followed by an interval draw.
std::vector<std::uint32_t> Draws(const std::vector<std::uint32_t>& colours,
                                 const std::vector<std::uint32_t>& intervals) {
    std::vector<std::uint32_t> draws;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        draws.push_back(colours[i]);
        draws.push_back(intervals[i]);
    }
    return draws;
}

const std::vector<std::uint32_t> kSomeColours = {0x102030, 0x405060, 0x708090,
                                                 0xA0B0C0, 0xD0E0F0, 0x010203};

class AboutWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        prefix.MakeGameFolder("Games/TuneMora");
        prefix.WriteInstallKey(R"("C:\\Games\\TuneMora")", R"("9.9.9.9")");
        main = std::make_unique<TFormMain>();
        tmt::test::WaitForSearch(*main);
        MessageBox::TakeShown();
    }
    void TearDown() override {
        tmt::SetRandomSequenceForTesting({});
        EXPECT_TRUE(MessageBox::TakeShown().empty());
    }

    // An About window on screen, as the main window's button shows it, its animation counting
    // on `ticks`.
    std::unique_ptr<TFormAbout> Open() {
        auto form = std::make_unique<TFormAbout>(main.get());
        ticks = &tmt::test::ManualTicks::Into(Timer(*form));
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return form;
    }

    template <typename T> static T* Child(const QWidget& form, const char* name) {
        T* child = form.findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    static QColor Colour(const QWidget& form, const char* name) {
        return Child<QWidget>(form, name)->palette().color(QPalette::WindowText);
    }
    static MillisecondTimer& Timer(const QWidget& form) {
        return *Child<MillisecondTimer>(form, "tMagicColor");
    }

    tmt::test::TestPrefix prefix;
    std::unique_ptr<TFormMain> main;
    tmt::test::ManualTicks* ticks = nullptr;
};

TEST_F(AboutWindowTest, ShowsTheProgramsOwnVersionWithTheAnimationOff) {
    const auto form = Open();
    EXPECT_EQ(Child<QLabel>(*form, "lVersion")->text(), "1.1.3.0");
    EXPECT_FALSE(Timer(*form).Enabled());
    EXPECT_EQ(Timer(*form).Interval(), 1);
}

// The labels are recoloured in the order the window definition creates them.
TEST_F(AboutWindowTest, AStepRecoloursExactlyTheSixLabelsInOrder) {
    const auto form = Open();
    auto* derived = new DerivedLabel("derived", Child<QGroupBox>(*form, "GroupBox8"));
    derived->setObjectName("derived");
    RecolourLog log(*form);
    const QPalette buttonPalette = Child<QWidget>(*form, "bOK")->palette();
    // Draws at and above the bounds show that they are drawn below 0xFF0000 and below 1000.
    tmt::SetRandomSequenceForTesting(Draws(
        {0x0000FF, 0x00FF00, 0xFEFFFF, 0x123456, 0xFF0000 + 0x05, 0}, {5, 6, 7, 8, 9, 1000 + 7}));
    emit Timer(*form).Timer();

    EXPECT_EQ(log.names, kLabelsInOrder);
    const std::pair<const char*, QColor> colours[] = {
        {"lVersionText", QColor(0xFF, 0, 0)}, {"lVersion", QColor(0, 0xFF, 0)},
        {"Label3", QColor(0xFF, 0xFF, 0xFE)}, {"Label4", QColor(0x56, 0x34, 0x12)},
        {"Label5", QColor(0x05, 0, 0)},       {"Label6", QColor(0, 0, 0)},
    };
    for (const auto& [name, colour] : colours) {
        EXPECT_EQ(Colour(*form, name), colour) << name;
    }
    EXPECT_EQ(Timer(*form).Interval(), 7);
    for (const char* untouched : {"bOK", "bMagic", "GroupBox8", "derived"}) {
        EXPECT_FALSE(Child<QWidget>(*form, untouched)->testAttribute(Qt::WA_SetPalette))
            << untouched;
        EXPECT_EQ(Child<QWidget>(*form, untouched)->palette(), buttonPalette) << untouched;
    }
}

TEST_F(AboutWindowTest, TwoQuickPressesLeaveTheAnimationOffWithTheColoursReached) {
    for (const bool stepBetween : {false, true}) {
        SCOPED_TRACE(stepBetween ? "a step between the presses" : "no step between the presses");
        const auto form = Open();
        RecolourLog log(*form);
        const QColor design = Colour(*form, "Label3");
        tmt::SetRandomSequenceForTesting(Draws(kSomeColours, {300, 300, 300, 300, 300, 300}));
        auto* bMagic = Child<QPushButton>(*form, "bMagic");
        QTest::mouseClick(bMagic, Qt::LeftButton);
        if (stepBetween) {
            ticks->Advance(1);
            ASSERT_EQ(log.names.size(), 6u);
        }
        QTest::mouseClick(bMagic, Qt::LeftButton);
        EXPECT_FALSE(Timer(*form).Enabled());
        EXPECT_FALSE(ticks->Running());
        ticks->Advance(400);

        EXPECT_EQ(log.names, stepBetween ? kLabelsInOrder : Names{});
        EXPECT_EQ(Colour(*form, "Label3"), stepBetween ? QColor(0x90, 0x80, 0x70) : design);
    }
}

TEST_F(AboutWindowTest, ALastIntervalOfZeroFreezesTheAnimation) {
    const auto form = Open();
    RecolourLog log(*form);
    tmt::SetRandomSequenceForTesting(Draws(kSomeColours, {1, 1, 1, 1, 1, 0}));
    auto* bMagic = Child<QPushButton>(*form, "bMagic");
    QTest::mouseClick(bMagic, Qt::LeftButton);
    ticks->Advance(1);
    ASSERT_EQ(log.names.size(), 6u);
    EXPECT_TRUE(Timer(*form).Enabled());
    EXPECT_FALSE(ticks->Running());
    ticks->Advance(60);
    QTest::mouseClick(bMagic, Qt::LeftButton);
    EXPECT_FALSE(Timer(*form).Enabled());
    QTest::mouseClick(bMagic, Qt::LeftButton);
    EXPECT_TRUE(Timer(*form).Enabled());
    EXPECT_FALSE(ticks->Running());
    ticks->Advance(60);
    EXPECT_EQ(log.names, kLabelsInOrder);
}

TEST_F(AboutWindowTest, ATickDueDuringAStepStartsNoSecondPass) {
    const auto form = Open();
    RecolourLog log(*form);
    // Each recolour outlasts the interval, so the countdown runs out again while the step is
    // under way.
    int ticksDuringTheStep = 0;
    QObject::connect(&Timer(*form), &MillisecondTimer::Timer, [&] { ++ticksDuringTheStep; });
    log.onRecolour = [this](const std::string&) {
        ticks->Advance(5);
    };
    tmt::SetRandomSequenceForTesting(Draws(kSomeColours, {2, 2, 2, 2, 2, 0}));
    QTest::mouseClick(Child<QPushButton>(*form, "bMagic"), Qt::LeftButton);
    ticks->Advance(1);
    EXPECT_GT(ticksDuringTheStep, 1);
    ticks->Advance(60);
    EXPECT_EQ(log.names, kLabelsInOrder);
}

TEST_F(AboutWindowTest, PressesDuringAStepTakeEffectAndTheStepFinishes) {
    for (const char* pressed : {"bMagic", "bOK"}) {
        SCOPED_TRACE(pressed);
        const auto form = Open();
        RecolourLog log(*form);
        bool visibleAtLastLabel = false;
        log.onRecolour = [&](const std::string& name) {
            if (name == "lVersionText") {
                auto* button = Child<QPushButton>(*form, pressed);
                QMetaObject::invokeMethod(
                    button, [button] { button->click(); }, Qt::QueuedConnection);
            } else if (name == "Label6") {
                visibleAtLastLabel = form->isVisible();
            }
        };
        tmt::SetRandomSequenceForTesting(Draws(kSomeColours, {1, 1, 1, 1, 1, 1}));
        QTest::mouseClick(Child<QPushButton>(*form, "bMagic"), Qt::LeftButton);
        ticks->Advance(1);
        ASSERT_EQ(log.names.size(), 6u);

        EXPECT_TRUE(visibleAtLastLabel);
        if (std::string(pressed) == "bMagic") {
            EXPECT_FALSE(Timer(*form).Enabled());
            ticks->Advance(60);
            EXPECT_TRUE(form->isVisible());
        } else {
            EXPECT_FALSE(form->isVisible());
            EXPECT_EQ(form->result(), tmt::ui::mrCancel);
        }
        EXPECT_EQ(log.names, kLabelsInOrder);
    }
}

// Enter presses the focused button, so on bMagic it starts the animation; Escape presses OK
// wherever the focus is, also while the labels change colour.
TEST_F(AboutWindowTest, EnterOnMagicAnimatesAndEscapeThenClosesThroughOk) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(key == Qt::Key_Return ? "Return" : "Enter");
        const auto form = Open();
        Child<QWidget>(*form, "bMagic")->setFocus();
        QSignalSpy okPresses(Child<QPushButton>(*form, "bOK"), &QPushButton::clicked);
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_TRUE(form->isVisible());
        EXPECT_TRUE(Timer(*form).Enabled());
        EXPECT_EQ(okPresses.count(), 0);
        ticks->Advance(20);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(okPresses.count(), 1);
        EXPECT_EQ(form->result(), tmt::ui::mrCancel);
    }
}

} // namespace

#include "AboutWindowTest.moc"
