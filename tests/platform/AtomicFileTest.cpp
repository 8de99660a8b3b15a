// The replacement of game files as every backend gives it, on the files of the system the tests
// run on: what lies beside the bytes stays, a file with several names stays one file, and a
// rewrite that a crash cut off is finished from its journal, whose form is the same everywhere.
#include "platform/AtomicFile.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;
using tmt::platform::ReadFileContents;
using tmt::platform::ReadResult;
using tmt::platform::Replacement;
using tmt::test::ReadFile;
using tmt::test::Utf8Of;
using tmt::test::WriteFile;

constexpr unsigned kHidden = 0x2;
constexpr unsigned kArchive = 0x20;

class AtomicFileTest : public ::testing::Test {
protected:
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(temp.Path())) {
            names.insert(Utf8Of(entry.path().filename()));
        }
        return names;
    }

    tmt::test::TempDir temp;
    fs::path file = temp.Path() / "config.ini";
};

TEST_F(AtomicFileTest, ReplacementKeepsTheAttributesAndLeavesNothingBeside) {
    WriteFile(file, "[S]\r\nk=1\r\n");
    ASSERT_TRUE(tmt::test::SetDosAttributes(file, kHidden | kArchive));
    EXPECT_TRUE(tmt::platform::ReplaceFileContents(Utf8Of(file), "[S]\r\nk=2\r\n"));
    EXPECT_EQ(ReadFile(file), "[S]\r\nk=2\r\n");
    EXPECT_EQ(tmt::test::DosAttributes(file) & kHidden, kHidden);
    EXPECT_EQ(Names(), std::set<std::string>{"config.ini"});
}

TEST_F(AtomicFileTest, AMissingFileIsMadeAndAChangedOneIsLeftToBeReadAgain) {
    EXPECT_EQ(tmt::platform::ReplaceFileContentsIfUnchanged(Utf8Of(file), "new", ""),
              Replacement::Done);
    EXPECT_EQ(ReadFile(file), "new");
    EXPECT_EQ(tmt::platform::ReplaceFileContentsIfUnchanged(Utf8Of(file), "mine", "old"),
              Replacement::ChangedMeanwhile);
    EXPECT_EQ(ReadFile(file), "new");
    EXPECT_EQ(Names(), std::set<std::string>{"config.ini"});
}

TEST_F(AtomicFileTest, AFileWithTwoNamesStaysOneFile) {
    WriteFile(file, "old");
    fs::create_hard_link(file, temp.Path() / "other.ini");
    EXPECT_TRUE(tmt::platform::ReplaceFileContents(Utf8Of(file), "new contents"));
    EXPECT_EQ(ReadFile(temp.Path() / "other.ini"), "new contents");
    WriteFile(temp.Path() / "other.ini", "written through the other name");
    EXPECT_EQ(ReadFile(file), "written through the other name");
    EXPECT_EQ(Names(), (std::set<std::string>{"config.ini", "other.ini"}));
}

TEST_F(AtomicFileTest, ReadingTellsAFileFromAMissingOneAndAFolder) {
    std::string bytes;
    EXPECT_EQ(ReadFileContents(Utf8Of(file), bytes), ReadResult::Missing);
    EXPECT_EQ(ReadFileContents(Utf8Of(temp.Path()), bytes), ReadResult::Failed);
    WriteFile(file, std::string("a\0b", 3));
    ASSERT_EQ(ReadFileContents(Utf8Of(file), bytes), ReadResult::Read);
    EXPECT_EQ(bytes, std::string("a\0b", 3));
}

TEST_F(AtomicFileTest, ACopyReplacesItsDestinationAndACopyOntoItselfIsHarmless) {
    WriteFile(temp.Path() / "avatar.jpg", "picture");
    WriteFile(file, "old");
    EXPECT_TRUE(
        tmt::platform::CopyFileAtomically(Utf8Of(temp.Path() / "avatar.jpg"), Utf8Of(file)));
    EXPECT_EQ(ReadFile(file), "picture");
    EXPECT_TRUE(tmt::platform::CopyFileAtomically(Utf8Of(file), Utf8Of(file)));
    EXPECT_EQ(ReadFile(file), "picture");
}

TEST_F(AtomicFileTest, ARewriteThatACrashCutOffIsFinishedByTheNextRead) {
    const std::string old = "[S]\r\nk=1\r\nlong=" + std::string(500, 'o') + "\r\n";
    const std::string now = "[S]\r\nk=2\r\nlong=" + std::string(300, 'n') + "\r\n";
    // As the crash left it: the journal whole, the file's first part new and the rest old.
    WriteFile(file, now.substr(0, 200) + old.substr(200));
    fs::create_hard_link(file, temp.Path() / "other.ini");
    WriteFile(temp.Path() / ".config.ini.journal",
              "TuneMora rewrite journal 1\n" + std::to_string(now.size()) + " " +
                  std::to_string(old.size()) + "\n" + now + old);
    std::string bytes;
    ASSERT_EQ(ReadFileContents(Utf8Of(file), bytes), ReadResult::Read);
    EXPECT_EQ(bytes, now);
    EXPECT_EQ(ReadFile(temp.Path() / "other.ini"), now);
    EXPECT_EQ(Names(), (std::set<std::string>{"config.ini", "other.ini"}));
}

} // namespace
