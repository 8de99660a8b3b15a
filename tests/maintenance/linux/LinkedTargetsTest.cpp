// Links stand where the game keeps its Temp folder and cover cache: made by the player, followed as
// Wine follows them. Wine 8 makes no links for a Windows program, so this is the Linux build's
// case.
#include "maintenance/UMaintenance.h"

#include "platform/qt/MessageBox.h"
#include "tests/support/GameWindowTest.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

namespace fs = std::filesystem;
using tmt::ui::MessageBox;

class LinkedTargetsTest : public tmt::test::GameWindowTest {
protected:
    std::vector<QString> Clear(bool temp, bool cache) {
        window = std::make_unique<TFMaintenance>(main.get());
        window->show();
        window->findChild<QCheckBox*>("CheckBox1")->setChecked(temp);
        window->findChild<QCheckBox*>("CheckBox2")->setChecked(cache);
        QTest::mouseClick(window->findChild<QPushButton*>("bClear"), Qt::LeftButton);
        std::vector<QString> texts;
        for (const auto& shown : MessageBox::TakeShown()) {
            texts.push_back(shown.text);
        }
        return texts;
    }

    std::unique_ptr<TFMaintenance> window;
};

TEST_F(LinkedTargetsTest, LinkedTargetsAreFollowed) {
    tmt::test::TempDir elsewhere;
    tmt::test::WriteFile(elsewhere.Path() / "temp" / "x.tmp", "x");
    tmt::test::WriteFile(elsewhere.Path() / "cache", "c");
    fs::create_directory_symlink(elsewhere.Path() / "temp", game / "Temp");
    fs::create_symlink(elsewhere.Path() / "cache", game / "covers.cache");
    EXPECT_EQ(Clear(true, true),
              (std::vector<QString>{"Temp directory cleanup complete!", "Covers cache deleted!"}));
    EXPECT_TRUE(fs::is_empty(elsewhere.Path() / "temp"));
    EXPECT_TRUE(fs::is_symlink(game / "Temp"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(game / "covers.cache")));
}

} // namespace
