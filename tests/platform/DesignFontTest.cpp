#include "platform/qt/DesignFont.h"

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
    const fs::path wine = tmt::ui::kWineFontFolder;
    ASSERT_TRUE(fs::exists(wine / "tahoma.ttf")) << "fonts-wine is not installed";
    ASSERT_TRUE(tmt::ui::UseDesignFont());
    EXPECT_EQ(QApplication::font().family(), "Tahoma");
    EXPECT_EQ(QApplication::font().pointSize(), 8);
    // The bold labels must look bold: more ink for the same text.
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_GT(Ink(bold), Ink(QApplication::font()) * 5 / 4);
}

TEST_F(DesignFontTest, WithoutAUsableTahomaTheDesktopFontStays) {
    const fs::path wine = tmt::ui::kWineFontFolder;
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
             fs::copy_file(wine / "tahomabd.ttf", at / "tahomabd.ttf");
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
        EXPECT_FALSE(tmt::ui::UseDesignFont(QString::fromStdString(fonts.Path().string())));
        EXPECT_EQ(QApplication::font(), appFont_);
        EXPECT_FALSE(QFontDatabase::families().contains("Tahoma")) << "nothing stays loaded";
    }
}

} // namespace
