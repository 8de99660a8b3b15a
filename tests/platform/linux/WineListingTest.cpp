// What only the Linux backend meets when it lists folders as Wine does: attributes that Wine cannot
// read, links, which Wine follows, and names that differ only in letter case.
#include "platform/Folders.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

TEST(WineListingTest, UnreadableAttributesHideNothingAndLinksToFoldersCount) {
    const tmt::test::TempDir temp;
    fs::create_directories(temp.Path() / "Plain");
    fs::create_directories(temp.Path() / "Garbage");
    ASSERT_EQ(::setxattr((temp.Path() / "Garbage").c_str(), "user.DOSATTRIB", "zz", 2, 0), 0);
    tmt::test::WriteFile(temp.Path() / "file.prf", "[profile]\n");
    fs::create_directory_symlink(temp.Path() / "Plain", temp.Path() / "LinkToFolder");
    fs::create_symlink(temp.Path() / "file.prf", temp.Path() / "LinkToFile");
    fs::create_directory_symlink(temp.Path() / "nowhere", temp.Path() / "Dangling");
    EXPECT_EQ(tmt::platform::ListVisibleFolders(temp.Path().string()),
              (std::vector<std::string>{"Garbage", "LinkToFolder", "Plain"}));
}

TEST(WineListingTest, ListingComesInWinesOrder) {
    // Names that differ only in letter case are different folders on Linux, and Wine lists
    // them all; a Windows program cannot make them.
    const tmt::test::TempDir temp;
    // The order FindFirstFileW gave for these folders under Wine 8: by the names upper-cased as
    // Wine does (every letter it knows, not only a to z), compared unit by unit in UTF-16, and
    // names equal that way by their units as they are.
    const std::vector<std::string> wineOrder = {
        "!a", "#a", "-a",  "02",  "1",  "10", "2",          "@a",         "A",      "a",     "a b",
        "a!", "a'", "a-b", "a.b", "AB", "Ab", "aB",         "ab",         "ABC",    "abc",   "a_b",
        "a~", "B",  "b",   "E",   "e",  "f",  "I",          "i",          "K",      "SS",    "ss",
        "y",  "Z",  "z",   "Zz",  "zZ", "[a", "]a",         "^a",         "_a",     "`a",    "{a",
        "}a", "~a", "Ä",   "ä",   "Å",  "É",  "é",          "ß",          "İ",      "ı",     "ÿ",
        "Ÿ",  "Ǆ",  "ǆ",   "ǅ",   "Ω",  "ω",  "\U0001D400", "\U0001F600", "\uFF21", "\uFF41"};
    for (auto name = wineOrder.rbegin(); name != wineOrder.rend(); ++name) {
        fs::create_directories(temp.Path() / *name);
    }
    EXPECT_EQ(tmt::platform::ListVisibleFolders(temp.Path().string()), wineOrder);
}

} // namespace
