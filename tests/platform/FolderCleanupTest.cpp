#include "platform/FolderCleanup.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using tmt::platform::CleanupDir;
using tmt::platform::IsFolderEmpty;
using tmt::test::ReadFile;
using tmt::test::WriteFile;

class FolderCleanupTest : public ::testing::Test {
protected:
    tmt::test::TempDir root;
    fs::path temp = root.Path() / "Temp";
    fs::path outside = root.Path() / "outside";
};

TEST_F(FolderCleanupTest, EmptiesEverythingBelowAndKeepsTheFolder) {
    WriteFile(temp / "read-only.txt", "r");
    fs::permissions(temp / "read-only.txt", fs::perms::owner_read);
    WriteFile(temp / ".hidden", "h");
    WriteFile(temp / "closed" / "inside.txt", "c");
    fs::permissions(temp / "closed", fs::perms::owner_read | fs::perms::owner_exec);
    WriteFile(temp / "unreadable" / "inside.txt", "u");
    fs::permissions(temp / "unreadable", fs::perms::none);
    WriteFile(temp / "1" / "2" / "3" / "4" / "5" / "deep.txt", "d");
    fs::create_directories(temp / "empty");

    WriteFile(outside / "keep.txt", "outside data");
    WriteFile(root.Path() / "file-outside.txt", "file data");
    fs::create_directory_symlink(outside, temp / "link-to-folder");
    fs::create_symlink(root.Path() / "file-outside.txt", temp / "link-to-file");
    fs::create_symlink(root.Path() / "nowhere", temp / "dangling");
    fs::create_directory_symlink("..", temp / "1" / "up");

    CleanupDir(temp.string() + "\\");

    EXPECT_TRUE(fs::is_directory(temp));
    EXPECT_TRUE(fs::is_empty(temp));
    EXPECT_TRUE(IsFolderEmpty(temp.string()));
    EXPECT_EQ(ReadFile(outside / "keep.txt"), "outside data");
    EXPECT_EQ(ReadFile(root.Path() / "file-outside.txt"), "file data");
}

TEST_F(FolderCleanupTest, TrailingBackslashOrNotAndAMissingFolder) {
    for (const std::string suffix : {"", "\\", "/"}) {
        WriteFile(temp / "a" / "b.txt", "b");
        CleanupDir(temp.string() + suffix);
        EXPECT_TRUE(fs::is_directory(temp)) << suffix;
        EXPECT_TRUE(fs::is_empty(temp)) << suffix;
    }
    CleanupDir((root.Path() / "missing").string());
    EXPECT_FALSE(fs::exists(root.Path() / "missing"));
    EXPECT_FALSE(IsFolderEmpty((root.Path() / "missing").string()));
}

TEST_F(FolderCleanupTest, AFolderGivenAsALinkIsFollowed) {
    WriteFile(outside / "cached.tmp", "x");
    fs::create_directory_symlink(outside, temp);
    CleanupDir(temp.string());
    EXPECT_TRUE(fs::is_symlink(temp));
    EXPECT_TRUE(fs::is_empty(outside));
}

TEST_F(FolderCleanupTest, WhatCannotGoStaysWithItsFoldersAndTheRestGoes) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to hand the tree to another user";
    }
    // The cleanup runs as an unprivileged user over a tree it owns, except for one folder that
    // belongs to root and holds a file: that file cannot be deleted, nor its rights be changed.
    constexpr uid_t kNobody = 65534;
    fs::permissions(root.Path(), fs::perms::all);
    WriteFile(temp / "mine.txt", "m");
    WriteFile(temp / "sub" / "theirs" / "stuck.txt", "s");
    WriteFile(temp / "sub" / "also-mine.txt", "m");
    for (const fs::path& path :
         {temp, temp / "mine.txt", temp / "sub", temp / "sub" / "also-mine.txt"}) {
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(kNobody) == 0 && ::setuid(kNobody) == 0) {
            CleanupDir(temp.string());
            ::_exit(IsFolderEmpty(temp.string()) ? 1 : 0);
        }
        ::_exit(2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the folder must not read as empty";
    EXPECT_EQ(ReadFile(temp / "sub" / "theirs" / "stuck.txt"), "s");
    EXPECT_FALSE(fs::exists(temp / "mine.txt"));
    EXPECT_FALSE(fs::exists(temp / "sub" / "also-mine.txt"));
}

} // namespace
