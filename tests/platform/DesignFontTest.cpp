#include "platform/qt/DesignFont.h"
#include "platform/DesignFontFile.h"
#include "platform/qt/GdiLineMetrics.h"

#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;

// The number of dark pixels of a sample text drawn in the font.
int Ink(const QFont& font) {
    QImage image(400, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(image.rect(), Qt::AlignCenter, "C:\\Games\\TuneMora 1.1.3.0");
    painter.end();
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        }
    }
    return dark;
}

class DesignFontTest : public ::testing::Test {
protected:
    void TearDown() override {
        QFontDatabase::removeAllApplicationFonts();
        QApplication::setFont(appFont_);
    }

    const QFont appFont_ = QApplication::font();
};

TEST_F(DesignFontTest, TahomaFromTheFolderBecomesTheApplicationFontAtEightPoints) {
    ASSERT_TRUE(fs::exists(tmt::platform::DesignFontFile())) << "fonts-wine is not installed";
    ASSERT_TRUE(tmt::ui::UseDesignFont());
    EXPECT_EQ(QApplication::font().family(), "Tahoma");
    EXPECT_EQ(QApplication::font().pointSize(), 8);
    // The bold labels must look bold: more ink for the same text.
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_GT(Ink(bold), Ink(QApplication::font()) * 5 / 4);
}

// The rows above a line box of the font's height that the text, drawn into that box, inks.
int RowsAboveTheLine(const QFont& font, const QString& text) {
    // Measured on an image like the one drawn on, not on the screen, which may be scaled.
    const QImage device(1, 1, QImage::Format_RGB32);
    const QFontMetrics metrics(font, &device);
    const int pad = metrics.height();
    QImage image(metrics.horizontalAdvance(text) + 20, 2 * pad, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(10, pad, image.width() - 20, pad), Qt::AlignLeft | Qt::AlignTop, text);
    painter.end();
    int rows = 0;
    for (int y = 0; y < pad; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

TEST_F(DesignFontTest, LinesAreAsTallAsWindowsMakesThemAndHoldTheAccentsOnCapitals) {
    ASSERT_TRUE(tmt::ui::UseDesignFont()) << "fonts-wine is not installed";
    // Tahoma at 8 points (11 pixels), measured with GetTextMetrics under Wine: ascent 11,
    // height 13.
    const QFontMetrics design(QApplication::font());
    EXPECT_EQ(design.ascent(), 11);
    EXPECT_EQ(design.height(), 13);
    for (const int points : {8, 12, 24}) {
        for (const bool bold : {false, true}) {
            SCOPED_TRACE(testing::Message() << points << " points" << (bold ? ", bold" : ""));
            QFont font("Tahoma", points);
            font.setBold(bold);
            EXPECT_EQ(RowsAboveTheLine(font, QString::fromUtf8("\u00dc\u00d6\u00c5\u00c2\u00c9")),
                      0);
        }
    }
}

TEST_F(DesignFontTest, BytesThatAreNoTrueTypeFontAreLeftAlone) {
    for (const QByteArray& bytes :
         {QByteArray(), QByteArray("not a font at all"), QByteArray("\0\1\0\0\0\x40", 6),
          QByteArray("\0\1\0\0\0\1\0\0\0\0\0\0OS/2\0\0\0\0\0\0\0\x0c\0\0\0\x50", 28)}) {
        QByteArray changed = bytes;
        EXPECT_FALSE(tmt::ui::UseGdiLineMetrics(changed));
        EXPECT_EQ(changed, bytes);
    }
}

TEST_F(DesignFontTest, WithoutAUsableTahomaTheDesktopFontStays) {
    const fs::path fontFolder = tmt::platform::DesignFontFile().parent_path();
    const struct {
        const char* what;
        std::function<void(const fs::path&)> prepare;
    } cases[] = {
        {"no folder",
         [](const fs::path& at) {
             fs::remove(at);
         }},
        {"only the bold face",
         [&](const fs::path& at) {
             fs::copy_file(fontFolder / "tahomabd.ttf", at / "tahomabd.ttf");
         }},
        {"not a font",
         [](const fs::path& at) {
             tmt::test::WriteFile(at / "tahoma.ttf", "x");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const tmt::test::TempDir fonts;
        c.prepare(fonts.Path());
        EXPECT_FALSE(
            tmt::ui::UseDesignFont(QString::fromStdString((fonts.Path() / "tahoma.ttf").string())));
        EXPECT_EQ(QApplication::font(), appFont_);
        EXPECT_FALSE(QFontDatabase::families().contains("Tahoma")) << "nothing stays loaded";
    }
}

} // namespace
