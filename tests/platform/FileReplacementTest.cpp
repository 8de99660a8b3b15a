#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "tests/support/FaultInjection.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
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
    ASSERT_TRUE(tmt::platform::ReplaceFileContents(file, "new"));
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
    ASSERT_TRUE(tmt::platform::ReplaceFileContents(file, "new"));
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
    ASSERT_TRUE(tmt::platform::ReplaceFileContents(file, "[S]\r\nk=2\r\n"));
    EXPECT_EQ(ReadFile(other), "[S]\r\nk=2\r\n") << "shorter contents leave no tail behind";
    EXPECT_EQ(Stat(file).st_ino, inode);
    EXPECT_EQ(Stat(file).st_nlink, 2u);
    ASSERT_TRUE(tmt::platform::ReplaceFileContents(other, "[S]\r\nk=3 and longer\r\n"));
    EXPECT_EQ(ReadFile(file), "[S]\r\nk=3 and longer\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path()), fs::directory_iterator()), 2)
        << "nothing left beside them";
}

TEST_F(FileReplacementTest, AHardLinkedFileKeepsItsOldBytesWhenTheWriteFails) {
    const std::string old = "[S]\r\nk=1\r\nlong=" + std::string(100, 'x') + "\r\n";
    WriteFile(file, old);
    fs::create_hard_link(file, temp.Path() / "other.ini");
    for (int n = 1; n <= 3; ++n) {
        // The reservation, the write and the truncation are the three writing calls.
        const tmt::test::FailNthCall fault(tmt::platform::fileops::Call::Write, n, ENOSPC);
        EXPECT_FALSE(tmt::platform::ReplaceFileContents(file, "[S]\r\nk=2\r\n")) << n;
        EXPECT_EQ(ReadFile(temp.Path() / "other.ini"), old) << n;
    }
}

} // namespace
