#include "platform/Folders.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

class FoldersTest : public ::testing::Test {
protected:
    // The path in the program's form, UTF-8.
    std::string Native(const std::string& relative) const {
        return tmt::test::Utf8Of(Path(relative));
    }
    fs::path Path(const std::string& relative) const {
        return temp.Path() / tmt::test::PathFromUtf8(relative);
    }
    void MakeFolder(const std::string& relative) const { fs::create_directories(Path(relative)); }
    void MarkDos(const std::string& relative, unsigned attributes) const {
        ASSERT_TRUE(tmt::test::SetDosAttributes(Path(relative), attributes));
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
    }
    // On Windows "..." and " . " name the folder itself, so only its listing can tell that
    // nothing was made.
    EXPECT_TRUE(fs::is_empty(temp.Path()));
    const std::string accepted[] = {" lead", "a.b",     "COM0",   "LPT",      "Mü ñ",
                                    ".dot",  "CONSOLE", "clock$", " con.txt", "conin"};
    for (const std::string& name : accepted) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(tmt::platform::CreateDirectory(Native(name)));
        EXPECT_TRUE(fs::is_directory(Path(name)));
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
    constexpr unsigned kHidden = 0x2;
    constexpr unsigned kSystem = 0x4;
    constexpr unsigned kArchive = 0x20;
    MakeFolder("Plain");
    MakeFolder("Archived");
    MarkDos("Archived", kArchive);
    MakeFolder("Hidden");
    MarkDos("Hidden", kHidden);
    MakeFolder("HiddenArchived");
    MarkDos("HiddenArchived", kHidden | kArchive);
    MakeFolder("System");
    MarkDos("System", kSystem);
    MakeFolder(".dotted");
    MakeFolder("Nested/Deeper");
    tmt::test::WriteFile(temp.Path() / "file.prf", "[profile]\n");
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Archived", "Nested", "Plain"}));
}

TEST_F(FoldersTest, ListingOfAMissingOrPlainFileIsEmpty) {
    EXPECT_TRUE(tmt::platform::ListVisibleFolders(Native("missing")).empty());
    tmt::test::WriteFile(temp.Path() / "file", "x");
    EXPECT_TRUE(tmt::platform::ListVisibleFolders(Native("file")).empty());
}

TEST_F(FoldersTest, ListingIgnoresCaseLikeWine) {
    for (const char* name : {"Carol", "dave", "Anna", "bob"}) {
        MakeFolder(name);
    }
    EXPECT_EQ(tmt::platform::ListVisibleFolders(Native("")),
              (std::vector<std::string>{"Anna", "bob", "Carol", "dave"}));
}

} // namespace
