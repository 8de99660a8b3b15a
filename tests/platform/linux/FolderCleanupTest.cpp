#include "platform/FolderCleanup.h"
#include "platform/linux/UniqueFd.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;
using tmt::platform::CleanupDir;
using tmt::platform::IsFolderEmpty;
using tmt::platform::UniqueFd;
using tmt::test::ReadFile;
using tmt::test::WriteFile;

constexpr uid_t kNobody = 65534;

// Runs the cleanup as a user without privileges, where rights matter: as root in a child process
// that drops to nobody (the tree must then belong to nobody), otherwise right here.
bool RunUnprivileged(const std::function<void()>& work) {
    if (::geteuid() != 0) {
        work();
        return true;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0) {
            work();
            ::_exit(0);
        }
        ::_exit(1);
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void HandToNobody(const fs::path& root) {
    if (::geteuid() != 0) {
        return;
    }
    ASSERT_EQ(::lchown(root.c_str(), kNobody, kNobody), 0);
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        ASSERT_EQ(::lchown(entry.path().c_str(), kNobody, kNobody), 0) << entry.path();
    }
}

std::set<std::string> Remaining(const fs::path& root) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        names.insert(entry.path().lexically_relative(root).string());
    }
    return names;
}

fs::perms PermsOf(const fs::path& path) {
    return fs::symlink_status(path).permissions();
}

// A chain of folders "d" inside each other, each holding a file, built relative to descriptors
// because its paths grow longer than the system takes.
void MakeChain(const fs::path& base, int depth) {
    UniqueFd folder(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (int level = 0; level < depth; ++level) {
        UniqueFd file(::openat(folder.Get(), "f", O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
        ASSERT_TRUE(file.IsOpen());
        ASSERT_EQ(::mkdirat(folder.Get(), "d", 0755), 0);
        folder = UniqueFd(::openat(folder.Get(), "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        ASSERT_TRUE(folder.IsOpen());
    }
}

int OpenDescriptors() {
    return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

class FolderCleanupTest : public ::testing::Test {
protected:
    tmt::test::TempDir root;
    fs::path temp = root.Path() / "Temp";
    fs::path outside = root.Path() / "outside";
};

TEST_F(FolderCleanupTest, EmptiesEverythingBelowAndLeavesLinkTargetsUntouched) {
    WriteFile(temp / "read-only.txt", "r");
    fs::permissions(temp / "read-only.txt", fs::perms::owner_read);
    WriteFile(temp / ".hidden", "h");
    WriteFile(temp / ".hidden-folder" / ".inside", "h");
    WriteFile(temp / "closed" / "inside.txt", "c");
    fs::permissions(temp / "closed", fs::perms::owner_read | fs::perms::owner_exec);
    WriteFile(temp / "1" / "2" / "3" / "4" / "5" / "deep.txt", "d");
    fs::create_directories(temp / "empty");

    WriteFile(outside / "keep.txt", std::string("outside\0data\n", 13));
    fs::create_directories(outside / "sub");
    fs::permissions(outside, fs::perms::owner_read | fs::perms::owner_exec);
    WriteFile(root.Path() / "file-outside.txt", "file data");
    fs::create_directory_symlink(outside, temp / "link-to-folder");
    fs::create_directory_symlink(outside, temp / "1" / "2" / "link-to-folder");
    fs::create_symlink(root.Path() / "file-outside.txt", temp / "link-to-file");
    fs::create_symlink(root.Path() / "nowhere", temp / "dangling");
    fs::create_directory_symlink("..", temp / "up");
    fs::create_directory_symlink("..", temp / "1" / "up");

    CleanupDir(temp.string() + "\\");

    EXPECT_TRUE(fs::is_directory(temp));
    EXPECT_THAT(Remaining(temp), ::testing::IsEmpty());
    EXPECT_TRUE(IsFolderEmpty(temp.string()));
    EXPECT_THAT(Remaining(outside), ::testing::ElementsAre("keep.txt", "sub"));
    EXPECT_EQ(ReadFile(outside / "keep.txt"), std::string("outside\0data\n", 13));
    EXPECT_EQ(PermsOf(outside), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(ReadFile(root.Path() / "file-outside.txt"), "file data");
}

TEST_F(FolderCleanupTest, TrailingSeparatorOrNotAndAMissingFolder) {
    for (const std::string suffix : {"", "\\", "/", "\\\\"}) {
        WriteFile(temp / "a" / "b.txt", "b");
        CleanupDir(temp.string() + suffix);
        EXPECT_TRUE(fs::is_directory(temp)) << suffix;
        EXPECT_TRUE(fs::is_empty(temp)) << suffix;
    }
    CleanupDir((root.Path() / "missing").string());
    CleanupDir((root.Path() / "missing").string() + "\\");
    EXPECT_FALSE(fs::exists(root.Path() / "missing"));
    EXPECT_FALSE(IsFolderEmpty((root.Path() / "missing").string()));
}

TEST_F(FolderCleanupTest, AFolderGivenAsALinkIsFollowed) {
    WriteFile(outside / "cached" / "cover.tmp", "x");
    fs::create_directory_symlink(outside, temp);
    CleanupDir(temp.string() + "\\");
    EXPECT_TRUE(fs::is_symlink(temp));
    EXPECT_TRUE(fs::is_directory(outside));
    EXPECT_TRUE(fs::is_empty(outside));
}

TEST_F(FolderCleanupTest, FoldersWithoutRightsGetTheirOwnersRights) {
    using P = fs::perms;
    WriteFile(temp / "read-only.txt", "r");
    fs::permissions(temp / "read-only.txt", P::owner_read);
    WriteFile(temp / "no-rights" / "inner-no-rights" / "file.txt", "n");
    WriteFile(temp / "read-only" / "file.txt", "r");
    WriteFile(temp / "search-only" / "file.txt", "s");
    WriteFile(temp / "list-only" / "file.txt", "l");
    WriteFile(outside / "keep.txt", "k");
    fs::create_directory_symlink(outside, temp / "no-rights" / "link-to-outside");
    HandToNobody(root.Path());
    fs::permissions(root.Path(), P::owner_all | P::others_exec);
    fs::permissions(outside, P::owner_read | P::owner_exec);
    fs::permissions(temp / "no-rights" / "inner-no-rights", P::none);
    fs::permissions(temp / "no-rights", P::none);
    fs::permissions(temp / "read-only", P::owner_read | P::owner_exec);
    fs::permissions(temp / "search-only", P::owner_exec);
    fs::permissions(temp / "list-only", P::owner_read);
    fs::permissions(temp, P::owner_read | P::owner_exec);

    ASSERT_TRUE(RunUnprivileged([&] { CleanupDir(temp.string()); }));

    EXPECT_THAT(Remaining(temp), ::testing::IsEmpty());
    EXPECT_EQ(ReadFile(outside / "keep.txt"), "k");
    EXPECT_EQ(PermsOf(outside), P::owner_read | P::owner_exec);
}

TEST_F(FolderCleanupTest, WhatCannotGoStaysWithItsFoldersAndTheRestGoes) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "an entry that its owner cannot delete needs a second user, so root";
    }
    // Everything belongs to the unprivileged user except one folder, which belongs to root and
    // holds a file: that file cannot be deleted, nor the folder's rights be changed.
    WriteFile(temp / "mine.txt", "m");
    WriteFile(temp / "a" / "sibling" / "x.txt", "x");
    WriteFile(temp / "a" / "b" / "also-mine.txt", "m");
    WriteFile(temp / "a" / "b" / "theirs" / "stuck.txt", "s");
    WriteFile(temp / "z" / "1" / "2" / "3.txt", "z");
    HandToNobody(root.Path());
    ASSERT_EQ(::chown((temp / "a" / "b" / "theirs").c_str(), 0, 0), 0);
    ASSERT_EQ(::chown((temp / "a" / "b" / "theirs" / "stuck.txt").c_str(), 0, 0), 0);

    ASSERT_TRUE(RunUnprivileged([&] { CleanupDir(temp.string()); }));

    EXPECT_FALSE(IsFolderEmpty(temp.string()));
    EXPECT_THAT(Remaining(temp),
                ::testing::ElementsAre("a", "a/b", "a/b/theirs", "a/b/theirs/stuck.txt"));
    EXPECT_EQ(ReadFile(temp / "a" / "b" / "theirs" / "stuck.txt"), "s");
}

TEST_F(FolderCleanupTest, DeepTreesDoNotRunOutOfDescriptors) {
    // Enough entries beside the chains that the walk leaves some unread when it lets go of an
    // outer folder.
    for (int i = 0; i < 600; ++i) {
        WriteFile(temp / ("a-rather-long-file-name-to-fill-listings-" + std::to_string(i)), "");
    }
    fs::create_directories(temp / "chain-long");
    fs::create_directories(temp / "chain-short");
    MakeChain(temp / "chain-long", 1100);
    MakeChain(temp / "chain-short", 40);

    // Each folder would hold a descriptor of its own if the walk kept them all.
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    const rlimit lowered{static_cast<rlim_t>(OpenDescriptors() + 64), limit.rlim_max};
    const int before = OpenDescriptors();
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
    CleanupDir(temp.string());
    ::setrlimit(RLIMIT_NOFILE, &limit);

    EXPECT_TRUE(IsFolderEmpty(temp.string()));
    EXPECT_EQ(OpenDescriptors(), before);
}

} // namespace
