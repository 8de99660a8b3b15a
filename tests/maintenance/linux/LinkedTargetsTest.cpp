// Links stand where the game keeps its Temp folder and cover cache: made by the player, followed as
// Wine follows them. Wine 8 makes no links for a Windows program, so this is the Linux build's
// case.
#include "maintenance/UMaintenance.h"

#include "tests/maintenance/MaintenanceTest.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

using LinkedTargetsTest = tmt::test::MaintenanceTest;

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
