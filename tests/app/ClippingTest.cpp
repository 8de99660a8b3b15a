#include "platform/qt/DesignFont.h"
#include "platform/qt/WindowPosition.h"
#include "tests/app/EveryWindow.h"
#include "tests/support/LabelPixels.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLayout>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

namespace {

enum class Font { Tahoma, DesktopSans };

using Param = std::tuple<std::string, Font>;

// The main window's value labels have a fixed width and clip longer texts by design.
const std::set<std::pair<std::string, QString>> kClippedOnPurpose = {{"TFormMain", "lVersion"},
                                                                     {"TFormMain", "lDefaultDir"}};

// Labels that show a picture rather than a text.
const std::set<QString> kPictures = {"Image1", "iAvatar"};

// Every window at the scale of the run (the test runs again with QT_SCALE_FACTOR=2), both with
// Wine's Tahoma and with the desktop's sans-serif that stands in when fonts-wine is missing.
class ClippingTest : public tmt::test::EveryWindowTest,
                     public ::testing::WithParamInterface<Param> {
protected:
    void SetUp() override {
        appFont_ = QApplication::font();
        if (std::get<Font>(GetParam()) == Font::Tahoma) {
            ASSERT_TRUE(tmt::ui::UseDesignFont()) << "fonts-wine is not installed";
        }
        EveryWindowTest::SetUp();
    }
    void TearDown() override {
        EveryWindowTest::TearDown();
        QFontDatabase::removeAllApplicationFonts();
        QApplication::setFont(appFont_);
    }

private:
    QFont appFont_;
};

// What a control needs to show its text whole: a word-wrapped label only its height at its
// width and room for its longest word, anything else its size hint.
QSize Needed(const QWidget& widget) {
    if (widget.hasHeightForWidth()) {
        return {widget.minimumSizeHint().width(), widget.heightForWidth(widget.width())};
    }
    return widget.sizeHint();
}

TEST_P(ClippingTest, EveryButtonAndLabelIsAtLeastAsLargeAsItsText) {
    const auto& [className, font] = GetParam();
    QWidget& window = Open(className);
    if (font == Font::Tahoma) {
        ASSERT_EQ(QFontInfo(window.font()).family(), "Tahoma");
    }
    int checked = 0;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window) ||
            (!qobject_cast<QAbstractButton*>(widget) && !qobject_cast<QLabel*>(widget)) ||
            kClippedOnPurpose.contains({className, widget->objectName()})) {
            continue;
        }
        ++checked;
        const QSize needed = Needed(*widget);
        EXPECT_TRUE(needed.width() <= widget->width() && needed.height() <= widget->height())
            << NameOf(*widget).toStdString() << " needs " << needed.width() << "x"
            << needed.height() << " but has " << widget->width() << "x" << widget->height();
    }
    EXPECT_GT(checked, 1);
}

TEST_P(ClippingTest, AccentedCapitalsAreDrawnWholeInEveryLabel) {
    QWidget& window = Open(std::get<std::string>(GetParam()));
    // Windows without labels (the maintenance window, say) pass by having nothing to cut.
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->isVisibleTo(&window) || kPictures.contains(label->objectName())) {
            continue;
        }
        label->setText(QString::fromUtf8("\u00dc\u00d6\u00c5"));
        tmt::ui::SettleLayouts(*label);
        EXPECT_EQ(tmt::test::RowsCutOff(*label), 0)
            << NameOf(*label).toStdString() << " cuts off the top or bottom of its text";
    }
}

INSTANTIATE_TEST_SUITE_P(EveryWindow, ClippingTest,
                         ::testing::Combine(::testing::ValuesIn(tmt::test::EveryWindowName()),
                                            ::testing::Values(Font::Tahoma, Font::DesktopSans)),
                         [](const auto& testInfo) {
                             return std::get<0>(testInfo.param) +
                                    (std::get<1>(testInfo.param) == Font::Tahoma ? "_Tahoma"
                                                                                 : "_DesktopSans");
                         });

} // namespace
