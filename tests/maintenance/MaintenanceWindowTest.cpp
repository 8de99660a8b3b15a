#include "maintenance/UMaintenance.h"

#include "app/ModalResult.h"
#include "app/UMain.h"
#include "platform/OwnExecutable.h"
#include "platform/qt/MessageBox.h"
#include "tests/maintenance/MaintenanceTest.h"
#include "tests/support/Undeletable.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

namespace fs = std::filesystem;
using tmt::ui::MessageBox;

class MaintenanceWindowTest : public tmt::test::MaintenanceTest {
protected:
    void MakeTemp() {
        tmt::test::WriteFile(game / "Temp" / "a.log", "a");
        tmt::test::WriteFile(game / "Temp" / "deep" / "er" / ".hidden", "b");
    }
    bool TempIsEmpty() const {
        return fs::is_directory(game / "Temp") && fs::is_empty(game / "Temp");
    }
};

// Which message each outcome gives, and whether the window then closes, is the rules' business
// (TemporaryDataTest); here the window asks the platform about the real folder and files.
TEST_F(MaintenanceWindowTest, NothingCheckedClearsNothingAndStaysOpen) {
    MakeTemp();
    tmt::test::WriteFile(game / "covers.cache", "c");
    EXPECT_EQ(Clear(false, false), std::vector<QString>{"Nothing checked. Not clearing."});
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(fs::exists(game / "Temp" / "a.log"));
    EXPECT_TRUE(fs::exists(game / "covers.cache"));
}

TEST_F(MaintenanceWindowTest, TempIsEmptiedAndKeptAndTheCacheDeleted) {
    MakeTemp();
    tmt::test::WriteFile(game / "covers.cache", "c");
    EXPECT_EQ(Clear(true, true),
              (std::vector<QString>{"Temp directory cleanup complete!", "Covers cache deleted!"}));
    EXPECT_TRUE(TempIsEmpty());
    EXPECT_FALSE(fs::exists(game / "covers.cache"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), tmt::ui::mrCancel);
}

TEST_F(MaintenanceWindowTest, WhatCannotBeDeletedIsReportedAndTheRestGoes) {
    // A read-only cache stays, as DeleteFileW leaves it under Wine.
    tmt::test::WriteFile(game / "covers.cache", "c");
    fs::permissions(game / "covers.cache", fs::perms::owner_read | fs::perms::others_read);
    EXPECT_EQ(Clear(false, true), std::vector<QString>{"Covers cache could not be deleted!"});
    EXPECT_EQ(tmt::test::ReadFile(game / "covers.cache"), "c");

    MakeTemp();
    tmt::test::WriteFile(game / "Temp" / "held" / "stuck.dat", "s");
    const tmt::test::Undeletable stuck(game / "Temp" / "held" / "stuck.dat");
    if (!stuck.ok()) {
        GTEST_SKIP() << "the file system cannot keep a file from deletion here";
    }
    EXPECT_EQ(Clear(true, false), std::vector<QString>{"Temp directory cleanup incomplete: some "
                                                       "files could not be deleted."});
    EXPECT_TRUE(fs::exists(game / "Temp" / "held" / "stuck.dat"));
    EXPECT_FALSE(fs::exists(game / "Temp" / "a.log"));
    EXPECT_FALSE(fs::exists(game / "Temp" / "deep"));
}

// Temp must be a folder and the cache a file.
TEST_F(MaintenanceWindowTest, TargetsOfTheOtherKindCountAsMissing) {
    tmt::test::WriteFile(game / "Temp", "a file named Temp");
    fs::create_directories(game / "covers.cache");
    EXPECT_EQ(Clear(true, true),
              (std::vector<QString>{"Temp directory not found.", "Covers cache not found."}));
    EXPECT_TRUE(fs::is_regular_file(game / "Temp"));
    EXPECT_TRUE(fs::is_directory(game / "covers.cache"));
}

} // namespace
