#include "platform/qt/TextLines.h"

#include "tests/support/QtPrinters.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cmath>

namespace {

using tmt::ui::SplitLines;
using tmt::ui::WrapLines;

TEST(TextLinesTest, ALineFeedACarriageReturnOrAMixedPairEndsOneLine) {
    const struct {
        QString text;
        QStringList lines;
    } cases[] = {
        {"one", {"one"}},
        {"", {""}},
        {"a\nb", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},
        {"a\n\rb", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\r\n\rb", {"a", "", "b"}},
        {"a\n\r\n\rb", {"a", "", "b"}},
        {"a\n", {"a", ""}},
        {"\r\nb", {"", "b"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitLines(c.text), c.lines) << c.text.toStdString();
    }
}

class WrapLinesTest : public ::testing::Test {
protected:
    const QFontMetrics metrics{QApplication::font()};
    // A line's width as a label measures it: in whole pixels, rounded up.
    int Width(const QString& text) const {
        return static_cast<int>(std::ceil(QFontMetricsF(metrics).horizontalAdvance(text)));
    }
};

TEST_F(WrapLinesTest, SwitchesBreakOnlyAtTheirBlanksAndKeepTheLeadingOne) {
    const QString parameters = " -OpenGL -1280x720 -editmididelay100 -editwavevolume75 "
                               "-filtering3 -logsongerrors -drawfgoff -nolimit -musicasync "
                               "-newprocessor";
    const QString text = "TuneMora will run with this parametrs:\n\r" + parameters;
    const int first = Width("TuneMora will run with this parametrs:");
    for (const int width : {first, first + 3, first + 60, 4000}) {
        SCOPED_TRACE(width);
        const QStringList lines = WrapLines(text, metrics, width);
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(lines[0], "TuneMora will run with this parametrs:");
        // Nothing lost, nothing added: the lines joined by the blanks they broke at give the
        // parameters again, the first one with its leading blank.
        EXPECT_EQ(lines.mid(1).join(u' '), parameters);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            EXPECT_LE(Width(lines[i]), width) << lines[i].toStdString();
            for (const QString& word : lines[i].split(u' ', Qt::SkipEmptyParts)) {
                EXPECT_TRUE(word.startsWith(u'-') && word.size() > 1 && !word.endsWith(u'-'))
                    << "a switch broken apart: " << lines[i].toStdString();
            }
        }
    }
}

TEST_F(WrapLinesTest, BlanksAtABreakAreDroppedAndOthersKept) {
    const int width = Width("alpha  beta");
    EXPECT_EQ(WrapLines("alpha  beta   gamma", metrics, width),
              QStringList({"alpha  beta", "gamma"}));
    EXPECT_EQ(WrapLines("  indented", metrics, 4000), QStringList({"  indented"}));
    EXPECT_EQ(WrapLines("", metrics, 10), QStringList({""}));
}

TEST_F(WrapLinesTest, AWordWiderThanTheLineBreaksWhereTheLineIsFull) {
    const QString path = "C:\\Users\\Player\\Music\\" + QString(120, u'x') + "\\Songs";
    const int width = Width("C:\\Users\\Player\\Music");
    const QStringList lines = WrapLines("Songs in " + path, metrics, width);
    ASSERT_GT(lines.size(), 3);
    EXPECT_EQ(lines.first(), "Songs in");
    EXPECT_EQ(lines.mid(1).join(QString()), path);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        EXPECT_LE(Width(lines[i]), width);
        if (i + 1 < lines.size()) {
            // Full: one more character would not have fitted.
            EXPECT_GT(Width(lines[i] + lines[i + 1].front()), width);
        }
    }
    // A character never splits, even when not one fits the width.
    const QString pair = QString::fromUtf8("\xF0\x9D\x84\x9E\xF0\x9D\x84\x9E");
    EXPECT_EQ(WrapLines(pair, metrics, 1), QStringList({pair.left(2), pair.mid(2)}));
}

} // namespace
