#include "platform/qt/DesignFont.h"

#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QFontDatabase>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;

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
    EXPECT_TRUE(QFontDatabase::styles("Tahoma").contains("Bold"));
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
