#include "platform/qt/MessageBox.h"
#include "app/ApplicationMessages.h"

#include "app/ApplicationTitle.h"
#include "platform/qt/DesignFont.h"
#include "platform/qt/PlainToolTip.h"
#include "tests/support/LabelPixels.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WhileShown.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace {

using tmt::ui::MessageBox;

// Real boxes on the screen, in the windows' own font, instead of the test seam.
class RealMessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::SetTestMode(false);
        ASSERT_TRUE(tmt::ui::UseDesignFont()) << "fonts-wine is not installed";
    }
    void TearDown() override {
        MessageBox::SetTestMode(true);
        QFontDatabase::removeAllApplicationFonts();
        QApplication::setFont(appFont_);
    }

    // Shows a box with `show` and hands it and its text label to `look`.
    static void Look(const std::function<void()>& show,
                     const std::function<void(QMessageBox&, QLabel&)>& look) {
        const bool shown = tmt::test::WhileShown<QMessageBox>(show, [&](QMessageBox& box) {
            auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            ASSERT_NE(label, nullptr);
            look(box, *label);
        });
        EXPECT_TRUE(shown);
    }

private:
    const QFont appFont_ = QApplication::font();
};

TEST_F(RealMessageBoxTest, MarkupAndEntitiesAreShownAsTheCharactersTheyAre) {
    const QString text = "Found in Tune&amp;Mora: version 1.0 <i>beta</i>";
    const struct {
        const char* kind;
        std::function<void()> show;
        QString shown;
    } cases[] = {
        // The typed boxes are the same; the profile manager's deletion question shows one.
        {"plain", [&] { tmt::ui::ShowMessage(nullptr, text); }, text},
        // ">" comes after "." in the character codes, so the report adds a full stop.
        {"error report", [&] { tmt::ui::ShowErrorReport(nullptr, text); }, text + "."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        Look(c.show, [&](QMessageBox&, QLabel& label) {
            // Where the box is narrow the lines break at blanks; joined they give the text again.
            EXPECT_EQ(label.text().split(u'\n').join(u' '), c.shown);
            EXPECT_TRUE(tmt::test::ShowsPlainText(label));
        });
    }
}

// The box's text is laid out as a document, which is cut off at the top of its first line
// however much room the box has around it.
TEST_F(RealMessageBoxTest, AccentsOnCapitalsAreDrawnWhole) {
    const QString accents = QString::fromUtf8("\u00dc\u00d6\u00c5");
    Look([&] { tmt::ui::ShowMessage(nullptr, accents); },
         [](QMessageBox&, QLabel& label) { EXPECT_EQ(tmt::test::RowsCutOff(label), 0); });
    Look([&] { tmt::ui::ShowErrorReport(nullptr, accents); },
         [](QMessageBox&, QLabel& label) { EXPECT_EQ(tmt::test::RowsCutOff(label), 0); });
}

TEST_F(RealMessageBoxTest, ABlanklessPathWrapsWhereTheLineIsFullInsideTheScreen) {
    const QString path = "C:\\Games\\" + QString(400, u'x') + "\\profile.prf";
    Look([&] { tmt::ui::ShowErrorReport(nullptr, "Unable to write to " + path); },
         [&](QMessageBox& box, QLabel& label) {
             const QStringList lines = label.text().split(u'\n');
             ASSERT_GT(lines.size(), 2);
             EXPECT_EQ(lines.first(), "Unable to write to");
             EXPECT_EQ(lines.mid(1).join(QString()), path + ".");
             EXPECT_LE(box.frameGeometry().width(), box.screen()->availableGeometry().width());
         });
}

// The error box of the start-up comes while the main window is made and not yet shown, in the
// corner where a window stands before it is placed; the box stands in the middle of the screen.
TEST_F(RealMessageBoxTest, ABoxWhoseOwnerIsNotOnTheScreenStandsInTheMiddleOfTheScreen) {
    QWidget hidden;
    hidden.setGeometry(0, 0, 640, 480);
    for (QWidget* owner : {&hidden, static_cast<QWidget*>(nullptr)}) {
        SCOPED_TRACE(owner != nullptr ? "hidden owner" : "no owner");
        Look(
            [&] {
                MessageBox::Typed(owner, MessageBox::Kind::Error, "No game here.", MessageBox::Ok,
                                  MessageBox::Ok);
            },
            [](QMessageBox& box, QLabel&) {
                const QPoint middle = box.screen()->availableGeometry().center();
                const QPoint boxMiddle = box.frameGeometry().center();
                EXPECT_LE(std::abs(boxMiddle.x() - middle.x()), 1);
                EXPECT_LE(std::abs(boxMiddle.y() - middle.y()), 1);
            });
    }
}

} // namespace

namespace {

// What a tool tip shows: Qt takes text that looks like markup for markup.
QString ShownToolTipText(const QString& toolTip) {
    QTextDocument document;
    if (Qt::mightBeRichText(toolTip)) {
        document.setHtml(toolTip);
    } else {
        document.setPlainText(toolTip);
    }
    return document.toPlainText();
}

TEST(PlainToolTipTest, ShowsMarkupEntitiesAndLineBreaksAsWritten) {
    for (const QString& text : {QStringLiteral("Steam: <b>Tune</b>Mora\nPrefix: /home/a&amp;b"),
                                QStringLiteral("/games/1 < 2 > 0"), QStringLiteral("plain")}) {
        EXPECT_EQ(ShownToolTipText(tmt::ui::PlainToolTip(text)), text);
    }
}

} // namespace
