#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/ProfileStrings.h"
#include "tests/support/FaultInjection.h"
#include "tests/support/TempDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <string>

namespace {

namespace fs = std::filesystem;
using tmt::test::ReadFile;
using tmt::test::WriteFile;

std::string Attribute(const fs::path& path, const char* name) {
    char value[256] = {};
    const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? "(none)" : std::string(value, static_cast<std::size_t>(size));
}

struct stat Stat(const fs::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info;
}

class FileReplacementTest : public ::testing::Test {
protected:
    tmt::test::TempDir temp;
    fs::path file = temp.Path() / "config.ini";
};

TEST_F(FileReplacementTest, ReadOnlyAsWineSeesItIsNotDeleted) {
    // DeleteFileW under Wine 8, run as root: refused for modes without any write bit, and for a
    // link to such a file; the DOS read-only bit in user.DOSATTRIB counts for nothing.
    const std::pair<fs::perms, bool> modes[] = {
        {fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read, false},
        {fs::perms::none, false},
        {fs::perms::owner_read | fs::perms::group_write, true},
        {fs::perms::owner_read | fs::perms::others_write, true},
        {fs::perms::owner_write, true},
    };
    for (const auto& [mode, deleted] : modes) {
        WriteFile(file, "x");
        fs::permissions(file, mode);
        EXPECT_EQ(tmt::platform::DeleteFile(file.string()), deleted) << static_cast<int>(mode);
        EXPECT_EQ(fs::exists(file), !deleted);
        if (fs::exists(file)) {
            fs::permissions(file, fs::perms::owner_all);
            fs::remove(file);
        }
    }
    WriteFile(file, "x");
    ASSERT_EQ(::setxattr(file.c_str(), "user.DOSATTRIB", "0x21", 4, 0), 0);
    EXPECT_TRUE(tmt::platform::DeleteFile(file.string()));

    WriteFile(temp.Path() / "target", "x");
    fs::permissions(temp.Path() / "target", fs::perms::owner_read);
    fs::create_symlink("target", temp.Path() / "link");
    EXPECT_FALSE(tmt::platform::DeleteFile((temp.Path() / "link").string()));
    EXPECT_TRUE(fs::is_symlink(temp.Path() / "link"));
}

TEST_F(FileReplacementTest, DeletingALinkRemovesTheLinkAndNeverWhatItPointsTo) {
    // Wine would delete the file a link points to, wherever that lies, and refuse the others.
    const fs::path outside = temp.Path() / "outside";
    fs::create_directories(outside / "folder");
    WriteFile(outside / "file", "x");
    fs::create_symlink(outside / "file", temp.Path() / "to-file");
    fs::create_symlink(outside / "folder", temp.Path() / "to-folder");
    fs::create_symlink("nowhere", temp.Path() / "broken");
    for (const char* link : {"to-file", "to-folder", "broken"}) {
        EXPECT_TRUE(tmt::platform::DeleteFile((temp.Path() / link).string())) << link;
        EXPECT_FALSE(fs::exists(fs::symlink_status(temp.Path() / link))) << link;
    }
    EXPECT_EQ(ReadFile(outside / "file"), "x");
    EXPECT_TRUE(fs::is_directory(outside / "folder"));
}

TEST_F(FileReplacementTest, ReplacementKeepsWhatLiesBesideTheBytes) {
    WriteFile(file, "old");
    ASSERT_EQ(::setxattr(file.c_str(), "user.DOSATTRIB", "0x22", 4, 0), 0);
    ASSERT_EQ(::setxattr(file.c_str(), "user.note", "kept", 4, 0), 0);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    }
    ASSERT_TRUE(tmt::platform::ReplaceFileContents(file.string(), "new"));
    EXPECT_EQ(ReadFile(file), "new");
    EXPECT_EQ(Attribute(file, "user.DOSATTRIB"), "0x22");
    EXPECT_EQ(Attribute(file, "user.note"), "kept");
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    if (root) {
        EXPECT_EQ(Stat(file).st_uid, 65534u);
        EXPECT_EQ(Stat(file).st_gid, 65534u);
    }
}

TEST_F(FileReplacementTest, AnAclStaysWithTheFile) {
    WriteFile(file, "old");
    // An access ACL granting user 65534 read and write, as setfacl -m u:65534:rw writes it.
    const unsigned char acl[] = {2,    0, 0, 0,                          // version
                                 1,    0, 6, 0, 0xFF, 0xFF, 0xFF, 0xFF,  // owner rw
                                 2,    0, 6, 0, 0xFE, 0xFF, 0,    0,     // user 65534 rw
                                 4,    0, 4, 0, 0xFF, 0xFF, 0xFF, 0xFF,  // group r
                                 0x10, 0, 6, 0, 0xFF, 0xFF, 0xFF, 0xFF,  // mask rw
                                 0x20, 0, 4, 0, 0xFF, 0xFF, 0xFF, 0xFF}; // other r
    if (::setxattr(file.c_str(), "system.posix_acl_access", acl, sizeof acl, 0) != 0) {
        GTEST_SKIP() << "the file system takes no ACLs here";
    }
    ASSERT_TRUE(tmt::platform::ReplaceFileContents(file.string(), "new"));
    unsigned char kept[sizeof acl] = {};
    ASSERT_EQ(::getxattr(file.c_str(), "system.posix_acl_access", kept, sizeof kept),
              static_cast<ssize_t>(sizeof acl));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(kept), sizeof kept),
              std::string(reinterpret_cast<const char*>(acl), sizeof acl));
}

TEST_F(FileReplacementTest, AHardLinkedFileStaysOneFileForAllItsNames) {
    WriteFile(file, "[S]\r\nk=1\r\nlong=" + std::string(100, 'x') + "\r\n");
    const fs::path other = temp.Path() / "other.ini";
    fs::create_hard_link(file, other);
    const ino_t inode = Stat(file).st_ino;
    ASSERT_TRUE(tmt::platform::ReplaceFileContents(file.string(), "[S]\r\nk=2\r\n"));
    EXPECT_EQ(ReadFile(other), "[S]\r\nk=2\r\n") << "shorter contents leave no tail behind";
    EXPECT_EQ(Stat(file).st_ino, inode);
    EXPECT_EQ(Stat(file).st_nlink, 2u);
    ASSERT_TRUE(tmt::platform::ReplaceFileContents(other.string(), "[S]\r\nk=3 and longer\r\n"));
    EXPECT_EQ(ReadFile(file), "[S]\r\nk=3 and longer\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path()), fs::directory_iterator()), 2)
        << "nothing left beside them";
}

TEST_F(FileReplacementTest, AHardLinkedFileKeepsItsOldBytesWhenTheWriteFails) {
    const std::string old = "[S]\r\nk=1\r\nlong=" + std::string(100, 'x') + "\r\n";
    WriteFile(file, old);
    fs::create_hard_link(file, temp.Path() / "other.ini");
    int writes = 0;
    {
        const tmt::test::CallCounter counter;
        ASSERT_TRUE(tmt::platform::ReplaceFileContents(file.string(), old));
        writes = counter.Count(tmt::platform::fileops::Call::Write);
    }
    // The reservation, the journal's, the write in place and the truncation.
    ASSERT_GE(writes, 4);
    for (int n = 1; n <= writes; ++n) {
        const tmt::test::FailNthCall fault(tmt::platform::fileops::Call::Write, n, ENOSPC);
        EXPECT_FALSE(tmt::platform::ReplaceFileContents(file.string(), "[S]\r\nk=2\r\n")) << n;
        EXPECT_EQ(ReadFile(temp.Path() / "other.ini"), old) << n;
        EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path()), fs::directory_iterator()), 2)
            << "no journal or temporary file stays: " << n;
    }
}

std::size_t OpenDescriptors() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

TEST(FileReadingTest, AFileTooLargeToHoldLeavesNoDescriptorOpen) {
    // A sparse file larger than any memory: the buffer cannot be had once the file is open, and
    // the error must not take the descriptor with it. tmpfs holds such a file where the temporary
    // folder's file system may not.
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer ends the program at an allocation this large";
#endif
    const fs::path huge = fs::path("/dev/shm") / ("tmtest-huge-" + std::to_string(::getpid()));
    WriteFile(huge, "");
    if (::truncate(huge.c_str(), std::numeric_limits<off_t>::max()) != 0) {
        fs::remove(huge);
        GTEST_SKIP() << "no file system here holds a file that large";
    }
    const std::size_t before = OpenDescriptors();
    std::string bytes;
    EXPECT_THROW(tmt::platform::ReadFileContents(huge.string(), bytes), std::bad_alloc);
    EXPECT_EQ(OpenDescriptors(), before);
    fs::remove(huge);
}

// A rewrite in place cut off by a crash: a child starts the rewrite and dies once its journal
// stands, before the first byte of the file changes.
class InterruptedRewriteTest : public FileReplacementTest {
protected:
    void SetUp() override {
        WriteFile(file, kOld);
        fs::create_hard_link(file, other);
        inode = Stat(file).st_ino;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            bool committed = false;
            const tmt::test::CallCounter dieAfterTheJournal([&](tmt::platform::fileops::Call c) {
                if (c == tmt::platform::fileops::Call::Rename) {
                    committed = true;
                } else if (committed && c == tmt::platform::fileops::Call::Write) {
                    ::_exit(0);
                }
            });
            tmt::platform::ReplaceFileContents(file.string(), kNew);
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_EQ(WEXITSTATUS(status), 0) << "the child died where it should";
        ASSERT_TRUE(fs::exists(Journal()));
        ASSERT_EQ(ReadFile(file), kOld);
    }

    fs::path Journal() const { return temp.Path() / ".config.ini.journal"; }

    // Every name still the one file, and nothing beside them.
    void ExpectOneFileHolding(const std::string& bytes) const {
        EXPECT_EQ(ReadFile(file), bytes);
        EXPECT_EQ(Stat(other).st_ino, inode);
        EXPECT_EQ(Stat(file).st_ino, inode);
        EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path()), fs::directory_iterator()), 2);
    }

    const std::string kOld = "[S]\r\nk=1\r\nlong=" + std::string(5000, 'o') + "\r\n";
    const std::string kNew = "[S]\r\nk=2\r\nlong=" + std::string(3000, 'n') + "\r\n";
    fs::path other = temp.Path() / "other.ini";
    ino_t inode = 0;
};

TEST_F(InterruptedRewriteTest, TheNextReadFinishesIt) {
    EXPECT_EQ(tmt::platform::GetProfileString("S", "k", "", file.string()), "2");
    ExpectOneFileHolding(kNew);
}

TEST_F(InterruptedRewriteTest, AFileTornHalfWayIsFinished) {
    // As a crash in the middle of the write leaves it: the first part new, the rest old.
    std::fstream(file, std::ios::binary | std::ios::in | std::ios::out) << kNew.substr(0, 2000);
    ASSERT_EQ(ReadFile(file), kNew.substr(0, 2000) + kOld.substr(2000));
    EXPECT_TRUE(tmt::platform::ReplaceFileContents(file.string(), kNew + "more"))
        << "a write finishes it first, too";
    ExpectOneFileHolding(kNew + "more");
}

TEST_F(InterruptedRewriteTest, ContentsSomeoneElseWroteSinceStay) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << "[S]\r\nthe game wrote this\r\n";
    tmt::platform::FinishInterruptedRewrite(file.string());
    ExpectOneFileHolding("[S]\r\nthe game wrote this\r\n");
}

TEST_F(InterruptedRewriteTest, AJournalWhoseWriterStillRunsIsLeftToIt) {
    const int held = ::open(Journal().c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    tmt::platform::FinishInterruptedRewrite(file.string());
    EXPECT_EQ(ReadFile(file), kOld);
    EXPECT_TRUE(fs::exists(Journal()));
    EXPECT_FALSE(tmt::platform::ReplaceFileContents(file.string(), "mine"))
        << "no second rewrite starts while one is under way";
    ::close(held);
    tmt::platform::FinishInterruptedRewrite(file.string());
    ExpectOneFileHolding(kNew);
}

} // namespace
