#include "platform/PathMap.h"
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using tmt::platform::ToNativePath;
using tmt::platform::ToWindowsPath;

class PathMapTest : public ::testing::Test {
protected:
    fs::path Real(const fs::path& path) { return fs::weakly_canonical(path); }
    tmt::test::TestPrefix prefix;
};

TEST_F(PathMapTest, DriveLettersMapOntoTheirLinks) {
    fs::create_directories(prefix.DriveC() / "Games" / "TuneMora");
    EXPECT_EQ(Real(ToNativePath("C:\\Games\\TuneMora")),
              Real(prefix.DriveC() / "Games" / "TuneMora"));
    EXPECT_EQ(Real(ToNativePath("c:/Games//TuneMora\\")),
              Real(prefix.DriveC() / "Games" / "TuneMora"));
    EXPECT_EQ(Real(ToNativePath("C:\\")), Real(prefix.DriveC()));
    EXPECT_EQ(Real(ToNativePath("C:")), Real(prefix.DriveC()));
    EXPECT_EQ(Real(ToNativePath("Z:\\tmp")), Real("/tmp"));
}

TEST_F(PathMapTest, ComponentsResolveWithoutCaseAsWineDoes) {
    fs::create_directories(prefix.DriveC() / "Games" / "TuneMora" / "Profiles");
    fs::create_directories(prefix.DriveC() / "Twice" / "abc");
    fs::create_directories(prefix.DriveC() / "Twice" / "ABC");
    EXPECT_EQ(Real(ToNativePath("C:\\GAMES\\tunemora\\profiles\\New\\File.txt")),
              Real(prefix.DriveC() / "Games" / "TuneMora" / "Profiles" / "New" / "File.txt"));
    EXPECT_EQ(Real(ToNativePath("C:\\Twice\\abc")), Real(prefix.DriveC() / "Twice" / "abc"))
        << "an exact match is taken as it is";
    EXPECT_EQ(Real(ToNativePath("C:\\Twice\\Abc")), Real(prefix.DriveC() / "Twice" / "Abc"))
        << "with two candidates the spelling given stays";
    fs::create_directories(prefix.DriveC() / "Games" / "Tunemor\u00e4");
    EXPECT_EQ(Real(ToNativePath("C:\\games\\TUNEMOR\u00c4")),
              Real(prefix.DriveC() / "Games" / "TUNEMOR\u00c4"))
        << "only a to z fold";
}

TEST_F(PathMapTest, NativePathsPassThroughWithBackslashesAsSeparators) {
    EXPECT_EQ(ToNativePath("/tmp\\a\\b"), fs::path("/tmp/a/b"));
    EXPECT_EQ(ToNativePath("/"), fs::path("/"));
}

TEST_F(PathMapTest, NativePathsBecomeTheLongestMatchingDrive) {
    fs::create_directories(prefix.DriveC() / "Games" / "Tune Mora");
    EXPECT_EQ(ToWindowsPath(prefix.DriveC() / "Games" / "Tune Mora"), "C:\\Games\\Tune Mora");
    EXPECT_EQ(ToWindowsPath(prefix.DriveC()), "C:\\");
    EXPECT_EQ(ToWindowsPath("/usr/share"), "Z:\\usr\\share");
    EXPECT_EQ(ToWindowsPath("/"), "Z:\\");
    for (const std::string windows : {"C:\\Games\\Tune Mora", "Z:\\usr\\share", "C:\\"}) {
        EXPECT_EQ(ToWindowsPath(ToNativePath(windows)), windows) << "round trip of " << windows;
    }
}

TEST_F(PathMapTest, BrokenDrivesNeitherHangNorMapAnything) {
    fs::remove(prefix.Root() / "dosdevices" / "z:");
    fs::create_symlink("d:", prefix.Root() / "dosdevices" / "e:");
    fs::create_symlink("e:", prefix.Root() / "dosdevices" / "d:");
    fs::create_symlink("/nowhere/at/all", prefix.Root() / "dosdevices" / "f:");
    std::error_code error;
    EXPECT_FALSE(fs::exists(ToNativePath("D:\\x"), error));
    EXPECT_FALSE(fs::exists(ToNativePath("F:\\x"), error));
    EXPECT_EQ(ToWindowsPath("/usr/share"), "/usr/share") << "no drive covers it";
    EXPECT_EQ(ToWindowsPath(prefix.DriveC() / "x"), "C:\\x");
}

TEST(PathMapWithoutPrefix, NativePathsStayNative) {
    tmt::test::TempDir empty;
    ::setenv("WINEPREFIX", (empty.Path() / "none").c_str(), 1);
    EXPECT_EQ(ToWindowsPath("/usr/share"), "/usr/share");
    EXPECT_FALSE(fs::exists(ToNativePath("C:\\Windows")));
    ::unsetenv("WINEPREFIX");
}

} // namespace
