#include "platform/linux/PathMap.h"
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
    const fs::path either = Real(ToNativePath("C:\\Twice\\Abc"));
    EXPECT_TRUE(either == Real(prefix.DriveC() / "Twice" / "abc") ||
                either == Real(prefix.DriveC() / "Twice" / "ABC"))
        << "with two candidates the first the folder lists is taken, as Wine does: " << either;
}

TEST_F(PathMapTest, EveryLetterWineFoldsMatchesWithoutCase) {
    fs::create_directories(prefix.DriveC() / "Games" / "Tune M\u00f6ra");
    fs::create_directories(prefix.DriveC() / "\u0414\u043e\u043c"); // Дом
    fs::create_directories(prefix.DriveC() / "\u00df\u0131\u01c5"); // ßıǅ, which Wine keeps
    EXPECT_EQ(Real(ToNativePath("C:\\GAMES\\TUNE M\u00d6RA")),
              Real(prefix.DriveC() / "Games" / "Tune M\u00f6ra"));
    EXPECT_EQ(Real(ToNativePath("C:\\\u0434\u041e\u041c")),
              Real(prefix.DriveC() / "\u0414\u043e\u043c"));
    EXPECT_EQ(Real(ToNativePath("C:\\SS\u0130\u01c4")), Real(prefix.DriveC() / "SS\u0130\u01c4"))
        << "Wine upper-cases none of \u00df, \u0131 and \u01c5 to these";
}

TEST_F(PathMapTest, PathsAreMadeFullAsGetFullPathNameMakesThem) {
    // What GetFullPathNameW returned for these under Wine 8: a folder name on the way loses one
    // dot at its end, the whole path loses its final dots and blanks, "." and ".." go.
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\t\\p\\Jr.\\profile.prf", "t/p/Jr/profile.prf"},
        {"C:\\t\\p\\Jr..\\x", "t/p/Jr./x"},
        {"C:\\t\\p\\Jr. \\x", "t/p/Jr. /x"},
        {"C:\\t\\p\\Jr .\\x", "t/p/Jr /x"},
        {"C:\\t\\p\\a.b.\\x", "t/p/a.b/x"},
        {"C:\\t\\p\\Jr.\\.\\x", "t/p/Jr/x"},
        {"C:\\t\\p\\Jr\\.", "t/p/Jr"},
        {"C:\\t\\p\\Jr\\x. .", "t/p/Jr/x"},
        {"C:\\t\\p\\Jr\\..", "t/p"},
        {"C:\\t\\p\\Jr\\...", "t/p/Jr"},
        {"C:\\t\\p\\Jr\\x\\..\\y", "t/p/Jr/y"},
        {"C:\\t\\p\\Jr\\x\\ .\\y", "t/p/Jr/x/ /y"},
        {"C:\\t\\p\\Jr\\ ", "t/p/Jr"},
        {"C:\\..\\..\\x", "x"},
    };
    for (const auto& [windows, native] : cases) {
        EXPECT_EQ(Real(ToNativePath(windows)), Real(prefix.DriveC() / native)) << windows;
    }
}

TEST_F(PathMapTest, ARootWithoutDriveIsTheRootOfTheCurrentDrive) {
    fs::create_directories(prefix.DriveC() / "Games" / "TuneMora");
    const fs::path before = fs::current_path();
    fs::current_path(prefix.DriveC() / "Games" / "TuneMora");
    const fs::path inGame = Real(ToNativePath("\\Tunemora.exe"));
    fs::current_path("/");
    const fs::path atRoot = Real(ToNativePath("\\Tunemora.exe"));
    fs::current_path(before);
    EXPECT_EQ(inGame, Real(prefix.DriveC() / "Tunemora.exe"))
        << "never the current folder's own Tunemora.exe";
    EXPECT_EQ(atRoot, Real("/Tunemora.exe")) << "Z: holds /";
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
