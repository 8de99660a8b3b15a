// Every window on the screen the test runs on: the test command runs these again on screens of
// 1280 x 800 and 1366 x 768 at scale 1 and of 1920 x 1080 at 150% and 200%.
#include "platform/qt/DesignFont.h"
#include "platform/qt/WindowPosition.h"
#include "tests/app/EveryWindow.h"
#include "tests/support/WindowFrame.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <string>

namespace {

// The button that Escape presses in each window.
const std::map<std::string, const char*> kCancelButtons = {
    {"TFormMain", "bExit"},   {"TFConfigure", "bClose"},           {"TFProfileManager", "bExit"},
    {"TFProfile", "Button1"}, {"TFRunSpecial", "bCancel"},         {"TFMaintenance", "bCancel"},
    {"TFormAbout", "bOK"},    {"TFChooseInstallation", "bCancel"},
};

// The list of installations grows with what is found, so its window may be resized.
const char kResizable[] = "TFChooseInstallation";

class ScreenFitTest : public tmt::test::EveryWindowTest,
                      public ::testing::WithParamInterface<std::string> {
protected:
    // In the font the program takes, which decides the windows' sizes.
    void SetUp() override {
        appFont_ = QApplication::font();
        tmt::ui::UseDesignFont();
        EveryWindowTest::SetUp();
    }
    void TearDown() override {
        EveryWindowTest::TearDown();
        QFontDatabase::removeAllApplicationFonts();
        QApplication::setFont(appFont_);
    }

    // Whether the whole control is seen: inside the free area of the screen, and nowhere cut off
    // by the controls it lies in, the scrolling part of its window among them.
    static bool Seen(const QWidget& control, const QRect& free) {
        if (!free.contains(QRect(control.mapToGlobal(QPoint(0, 0)), control.size()))) {
            return false;
        }
        for (const QWidget* outer = control.parentWidget(); outer != nullptr;
             outer = outer->isWindow() ? nullptr : outer->parentWidget()) {
            if (!outer->rect().contains(
                    QRect(control.mapTo(outer, QPoint(0, 0)), control.size()))) {
                return false;
            }
        }
        return true;
    }

private:
    QFont appFont_;
};

TEST_P(ScreenFitTest, TheWindowOpensInsideTheScreenWithItsButtonsInSight) {
    const std::string& className = GetParam();
    QWidget& window = Open(className);
    const QScreen* screen = window.screen();
    ASSERT_NE(screen, nullptr);
    const QRect free = screen->availableGeometry();
    const QRect frame = window.geometry().marginsAdded(tmt::ui::FrameMargins(window));
    std::cout << className << ": " << window.width() << "x" << window.height() << " in "
              << free.width() << "x" << free.height() << " at scale " << screen->devicePixelRatio()
              << "\n";
    EXPECT_TRUE(free.contains(frame))
        << "frame " << frame.x() << "," << frame.y() << " " << frame.width() << "x"
        << frame.height() << " on " << free.width() << "x" << free.height();

    for (const QPushButton* button : window.findChildren<QPushButton*>()) {
        if (button->isDefault()) {
            EXPECT_TRUE(Seen(*button, free)) << button->objectName().toStdString();
        }
    }
    const auto* cancel = window.findChild<QPushButton*>(kCancelButtons.at(className));
    ASSERT_NE(cancel, nullptr);
    EXPECT_TRUE(Seen(*cancel, free)) << cancel->objectName().toStdString();
}

TEST_P(ScreenFitTest, EveryControlCanBeBroughtIntoSight) {
    QWidget& window = Open(GetParam());
    const QRect free = window.screen()->availableGeometry();
    auto* scroller = window.findChild<QScrollArea*>();
    // A list's own parts (its header, its scroll bars) go with the list.
    const auto partOfAList = [&](const QWidget& control) {
        for (const QWidget* outer = control.parentWidget(); outer != &window;
             outer = outer->parentWidget()) {
            if (qobject_cast<const QAbstractScrollArea*>(outer) != nullptr && outer != scroller) {
                return true;
            }
        }
        return false;
    };
    for (QWidget* control : window.findChildren<QWidget*>()) {
        const bool used = qobject_cast<QAbstractButton*>(control) != nullptr ||
                          qobject_cast<QLineEdit*>(control) != nullptr ||
                          qobject_cast<QAbstractScrollArea*>(control) != nullptr;
        if (!used || control == scroller || !control->isVisibleTo(&window) ||
            partOfAList(*control)) {
            continue;
        }
        if (scroller != nullptr && scroller->widget()->isAncestorOf(control)) {
            scroller->ensureWidgetVisible(control, 0, 0);
        }
        EXPECT_TRUE(Seen(*control, free)) << NameOf(*control).toStdString();
    }
}

TEST_P(ScreenFitTest, AWindowOfFixedSizeHasAFrameThatCannotResizeIt) {
    QWidget& window = Open(GetParam());
    if (GetParam() == kResizable) {
        GTEST_SKIP() << "the list of installations may be resized";
    }
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(tmt::test::HasResizingFrame(window));
}

INSTANTIATE_TEST_SUITE_P(EveryWindow, ScreenFitTest,
                         ::testing::ValuesIn(tmt::test::EveryWindowName()),
                         [](const auto& testInfo) { return testInfo.param; });

} // namespace
