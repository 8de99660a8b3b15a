// The folder cleanup as every backend gives it, on the files of the system the tests run on.
#include "platform/FolderCleanup.h"

#include "tests/support/TempDir.h"
#include "tests/support/Undeletable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;
using tmt::platform::CleanupDir;
using tmt::platform::IsFolderEmpty;
using tmt::test::Utf8Of;
using tmt::test::WriteFile;

constexpr unsigned kHidden = 0x2;
constexpr unsigned kSystem = 0x4;

class CleanupDirTest : public ::testing::Test {
protected:
    // A read-only file, a hidden system file, a nested tree, an empty folder, a name beyond ASCII.
    void Fill() {
        WriteFile(temp / "read-only.txt", "r");
        fs::permissions(temp / "read-only.txt", fs::perms::owner_read);
        WriteFile(temp / "hidden.txt", "h");
        ASSERT_TRUE(tmt::test::SetDosAttributes(temp / "hidden.txt", kHidden | kSystem));
        WriteFile(temp / "deep" / "er" / "est" / "file.dat", "d");
        fs::create_directories(temp / "empty");
        WriteFile(temp / tmt::test::PathFromUtf8("\u00dcn\u00efcode \u00f1ame") / "x", "u");
    }

    std::set<std::string> Remaining() const {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(temp)) {
            names.insert(fs::relative(entry.path(), temp).generic_string());
        }
        return names;
    }

    tmt::test::TempDir root;
    fs::path temp = root.Path() / "Temp";
};

TEST_F(CleanupDirTest, EmptiesTheWholeTreeAndKeepsTheFolderWithOrWithoutItsBackslash) {
    for (const std::string suffix : {"", "\\"}) {
        SCOPED_TRACE("suffix \"" + suffix + "\"");
        Fill();
        CleanupDir(Utf8Of(temp) + suffix);
        EXPECT_TRUE(fs::is_directory(temp));
        EXPECT_TRUE(Remaining().empty());
        EXPECT_TRUE(IsFolderEmpty(Utf8Of(temp)));
    }
}

TEST_F(CleanupDirTest, AFileThatCannotGoStaysWithTheFoldersAboveIt) {
    Fill();
    const tmt::test::Undeletable held(temp / "deep" / "er" / "est" / "file.dat");
    if (!held.ok()) {
        GTEST_SKIP() << "the file system cannot keep a file from deletion here";
    }
    CleanupDir(Utf8Of(temp));
    EXPECT_EQ(Remaining(),
              (std::set<std::string>{"deep", "deep/er", "deep/er/est", "deep/er/est/file.dat"}));
    EXPECT_FALSE(IsFolderEmpty(Utf8Of(temp)));
}

TEST(CleanupDirAloneTest, AMissingFolderIsLeftAloneAndIsNotEmpty) {
    const tmt::test::TempDir root;
    CleanupDir(Utf8Of(root.Path() / "missing"));
    EXPECT_FALSE(fs::exists(root.Path() / "missing"));
    EXPECT_FALSE(IsFolderEmpty(Utf8Of(root.Path() / "missing")));
}

} // namespace
