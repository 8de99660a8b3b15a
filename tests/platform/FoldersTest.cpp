#include "platform/Folders.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

class FoldersTest : public ::testing::Test {
protected:
    std::string Native(const std::string& relative) const {
        return (temp.Path() / relative).string();
    }
    void MakeFolder(const std::string& relative) const {
        fs::create_directories(temp.Path() / relative);
    }
    void MarkDos(const std::string& relative, const std::string& attributes) const {
        ASSERT_EQ(::setxattr(Native(relative).c_str(), "user.DOSATTRIB", attributes.data(),
                             attributes.size(), 0),
                  0);
    }
    std::vector<std::string> Listed() const {
        std::vector<std::string> names = tmt::platform::ListVisibleFolders(Native(""));
        std::sort(names.begin(), names.end());
        return names;
    }

    tmt::test::TempDir temp;
};

TEST_F(FoldersTest, NamesWindowsCannotHoldAreNeverMade) {
    const std::string refused[] = {"a:b",      "a*b",     "a?b",     "a\"b",     "a<b",
                                   "a>b",      "a|b",     "tab\t",   "nl\nx",    "...",
                                   "CON",      "nul.txt", "Lpt1",    "com9.jpg", " . ",
                                   "con .txt", "CONIN$",  "conout$", "aux  .x.y"};
    for (const std::string& name : refused) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(tmt::platform::CreateDirectory(Native(name)));
        EXPECT_FALSE(fs::exists(temp.Path() / name));
    }
    const std::string accepted[] = {" lead", "a.b",     "COM0",   "LPT",      "Mü ñ",
                                    ".dot",  "CONSOLE", "clock$", " con.txt", "conin"};
    for (const std::string& name : accepted) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(tmt::platform::CreateDirectory(Native(name)));
        EXPECT_TRUE(fs::is_directory(temp.Path() / name));
    }
}

TEST_F(FoldersTest, DotsAndBlanksThatEndANameAreDroppedAsWindowsDoes) {
    EXPECT_TRUE(tmt::platform::CreateDirectory(Native("Jr.")));
    EXPECT_TRUE(tmt::platform::CreateDirectory(Native("Sp ")));
    EXPECT_TRUE(tmt::platform::CreateDirectory(Native("mixed. .")));
    EXPECT_FALSE(tmt::platform::CreateDirectory(Native("Jr..")))
        << "names the folder Jr, which exists";
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Jr", "Sp", "mixed"}));
}

TEST_F(FoldersTest, CreationMakesOneLevelAndNeverReplaces) {
    EXPECT_FALSE(tmt::platform::CreateDirectory(Native("missing/child")));
    EXPECT_FALSE(fs::exists(temp.Path() / "missing"));
    EXPECT_TRUE(tmt::platform::CreateDirectory(Native("new") + "\\"));
    EXPECT_FALSE(tmt::platform::CreateDirectory(Native("new")));
    tmt::test::WriteFile(temp.Path() / "file", "x");
    EXPECT_FALSE(tmt::platform::CreateDirectory(Native("file")));
    EXPECT_EQ(tmt::test::ReadFile(temp.Path() / "file"), "x");
}

TEST_F(FoldersTest, RemovalTakesOnlyEmptyFolders) {
    MakeFolder("full/inner");
    MakeFolder("empty");
    EXPECT_FALSE(tmt::platform::RemoveDirectory(Native("full")));
    EXPECT_TRUE(fs::exists(temp.Path() / "full" / "inner"));
    EXPECT_TRUE(tmt::platform::RemoveDirectory(Native("empty") + "\\"));
    EXPECT_FALSE(fs::exists(temp.Path() / "empty"));
    EXPECT_FALSE(tmt::platform::RemoveDirectory(Native("empty")));
}

TEST_F(FoldersTest, ListingShowsOnlyTheFoldersWineShows) {
    MakeFolder("Plain");
    MakeFolder("Archived");
    MarkDos("Archived", "0x20");
    MakeFolder("Hidden");
    MarkDos("Hidden", "0x2");
    MakeFolder("HiddenArchived");
    MarkDos("HiddenArchived", "0x22");
    MakeFolder("System");
    MarkDos("System", "0x4");
    MakeFolder("Garbage");
    MarkDos("Garbage", "zz");
    MakeFolder(".dotted");
    MakeFolder("Nested/Deeper");
    tmt::test::WriteFile(temp.Path() / "file.prf", "[profile]\n");
    fs::create_directory_symlink(temp.Path() / "Plain", temp.Path() / "LinkToFolder");
    fs::create_symlink(temp.Path() / "file.prf", temp.Path() / "LinkToFile");
    fs::create_directory_symlink(temp.Path() / "nowhere", temp.Path() / "Dangling");
    EXPECT_EQ(Listed(),
              (std::vector<std::string>{"Archived", "Garbage", "LinkToFolder", "Nested", "Plain"}));
}

TEST_F(FoldersTest, ListingOfAMissingOrPlainFileIsEmpty) {
    EXPECT_TRUE(tmt::platform::ListVisibleFolders(Native("missing")).empty());
    tmt::test::WriteFile(temp.Path() / "file", "x");
    EXPECT_TRUE(tmt::platform::ListVisibleFolders(Native("file")).empty());
}

TEST_F(FoldersTest, ListingComesInWinesOrder) {
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
        MakeFolder(*name);
    }
    EXPECT_EQ(tmt::platform::ListVisibleFolders(Native("")), wineOrder);
}

TEST_F(FoldersTest, ListingIgnoresCaseLikeWine) {
    for (const char* name : {"Carol", "dave", "Anna", "bob"}) {
        MakeFolder(name);
    }
    EXPECT_EQ(tmt::platform::ListVisibleFolders(Native("")),
              (std::vector<std::string>{"Anna", "bob", "Carol", "dave"}));
}

} // namespace
