#include "tests/wine/Compare.h"

#include <gtest/gtest.h>

namespace {

using tmt::wine::Case;
using tmt::wine::CompareFolderChange;
using tmt::wine::CompareResult;
using tmt::wine::CompareWrite;
using tmt::wine::FolderRun;
using tmt::wine::Verdict;
using tmt::wine::WriteRun;

const std::string kFile = "[s]\r\nk=1\r\n";
const std::string kDump = "[s]{k=2}";

// A write of k=2 into a file in Wine's own form, done alike by both sides.
WriteRun AgreeingRun() {
    WriteRun run;
    run.write = Case{"m1", "write", {"w/1.ini", "s", "k", "2"}};
    run.ours = run.wine = "ok";
    run.before = run.normalized = kFile;
    run.oursFile = run.wineFile = "[s]\r\nk=2\r\n";
    run.oursDump = run.wineDump = kDump;
    return run;
}

TEST(CompareWriteTest, AFileInWinesFormMustComeOutByteForByte) {
    WriteRun run = AgreeingRun();
    EXPECT_EQ(CompareWrite(run).kind, Verdict::Agree);

    run.oursFile = "[s]\nk=2\n"; // reads back the same, but Wine would have kept CRLF
    const Verdict verdict = CompareWrite(run);
    EXPECT_EQ(verdict.kind, Verdict::Differ);
    EXPECT_EQ(verdict.name, "write-bytes");

    run = AgreeingRun();
    run.before.reset(); // a new file has Wine's form too
    run.normalized.reset();
    run.oursFile = "[s]\r\nk=2";
    EXPECT_EQ(CompareWrite(run).name, "write-bytes");
}

TEST(CompareWriteTest, AnyOtherFileMustReadBackAlikeInTheSameEncoding) {
    WriteRun run = AgreeingRun();
    run.before = "; note\n\n[s]\nk=1\n";
    run.normalized = "; note\r\n[s]\r\nk=1\r\n";
    run.oursFile = "; note\n\n[s]\nk=2\n";
    run.wineFile = "; note\r\n[s]\r\nk=2\r\n";
    EXPECT_EQ(CompareWrite(run).kind, Verdict::Agree);

    run.oursDump = "[s]{k=1;k=2}";
    EXPECT_EQ(CompareWrite(run).name, "write-readback");

    run.oursDump = kDump;
    run.oursFile = "\xEF\xBB\xBF" + *run.oursFile;
    EXPECT_EQ(CompareWrite(run).name, "write-encoding");
}

TEST(CompareWriteTest, OutcomesMustMatchAndAFailureChangesNothing) {
    WriteRun run = AgreeingRun();
    run.ours = "fail";
    run.oursFile = kFile;
    EXPECT_EQ(CompareWrite(run).name, "write-result");

    run.wine = "fail";
    run.wineFile = kFile;
    EXPECT_EQ(CompareWrite(run).kind, Verdict::Agree);

    run.oursFile = "";
    EXPECT_EQ(CompareWrite(run).name, "write-bytes");
}

TEST(CompareWriteTest, RefusingAReadOnlyFileIsAMendOnlyWhenTheFileStaysAsItWas) {
    WriteRun run = AgreeingRun();
    run.readOnly = true; // Wine, run as root, writes it
    run.ours = "fail";
    run.oursFile = kFile;
    EXPECT_EQ(CompareWrite(run).name, "write-refuses-read-only");

    run.oursFile = "";
    EXPECT_EQ(CompareWrite(run).name, "write-result");

    run = AgreeingRun();
    run.readOnly = true; // both refuse, as for anyone but root
    run.ours = run.wine = "fail";
    run.oursFile = run.wineFile = kFile;
    EXPECT_EQ(CompareWrite(run).kind, Verdict::Agree);
}

TEST(CompareWriteTest, RefusingALineBreakingChangeIsAMendOnlyWhenTheFileStaysAsItWas) {
    WriteRun run = AgreeingRun();
    run.write.fields[3] = "2\r\nInjected=1";
    run.ours = "fail";
    run.oursFile = kFile;
    run.wineFile = "[s]\r\nk=2\r\nInjected=1\r\n";
    EXPECT_EQ(CompareWrite(run).kind, Verdict::Mend);
    EXPECT_EQ(CompareWrite(run).name, "write-refuses-unsafe");

    run.oursFile = "";
    EXPECT_EQ(CompareWrite(run).kind, Verdict::Differ);

    for (const char* key : {"", "  ", "a=b", "[k", " ;k"}) {
        run = AgreeingRun();
        run.write.fields[2] = key;
        run.ours = "fail";
        run.oursFile = kFile;
        EXPECT_EQ(CompareWrite(run).name, "write-refuses-unsafe") << key;
    }
}

TEST(CompareWriteTest, ATextTheCodePageCannotHoldIsRefusedOnlyForAnExistingAnsiFile) {
    WriteRun run = AgreeingRun();
    run.fits = false;
    run.ours = "error:w/1.ini cannot store these characters: \xE2\x82\xAC";
    run.oursFile = kFile;
    EXPECT_EQ(CompareWrite(run).name, "write-refuses-unstorable");

    // A UTF-8 file holds every character: refusing there is a plain difference.
    run.before = run.normalized = run.oursFile = "\xEF\xBB\xBF" + kFile;
    EXPECT_EQ(CompareWrite(run).name, "write-result");
}

TEST(CompareWriteTest, ANewFileForSuchATextIsUtf16AsWineWritesIt) {
    WriteRun run = AgreeingRun();
    run.fits = false;
    run.before.reset();
    run.normalized.reset();
    run.wineFile = "[s]\r\nk=?\r\n";
    run.utf16File = std::string("\xFF\xFE[\0s\0]\0", 8);
    run.oursFile = run.utf16File;
    EXPECT_EQ(CompareWrite(run).name, "write-new-file-utf16");

    run.oursFile = std::string("\xFF\xFE[\0S\0]\0", 8);
    EXPECT_EQ(CompareWrite(run).name, "write-bytes");
}

TEST(CompareResultTest, NamesWineCannotHoldAreAMendOnlyWhereTheCallerSaysSo) {
    const Case c{"r1", "list", {"list/1"}};
    EXPECT_EQ(CompareResult(c, "a|b", "a|b", false).kind, Verdict::Agree);
    EXPECT_EQ(CompareResult(c, "b|a", "a|b", false).name, "list");
    EXPECT_EQ(CompareResult(c, "\xC3\xA9", "C)", true).name, "names-outside-utf8-locale");
    EXPECT_TRUE(tmt::wine::IsNarrowLocale("C"));
    EXPECT_FALSE(tmt::wine::IsNarrowLocale("ja_JP.UTF-8"));
}

TEST(CompareResultTest, SurrogatesAreAMendOnlyInTheirOwnForm) {
    const Case read{"r1", "read", {"ini/a.ini", "s", "k", "def"}};
    EXPECT_EQ(CompareResult(read, "=xx", "=xx\\u{D83D}", false).name, "value-cut-before-pair");
    EXPECT_EQ(CompareResult(read, "=x", "=xx\\u{D83D}", false).name, "read");
    EXPECT_EQ(CompareResult(read, "=xx", "=xx\\u{DE00}", false).name, "read")
        << "a cut leaves the first half of a pair, never the second";
    EXPECT_EQ(CompareResult(read, "=xx\\\\", "=xx\\\\u{D83D}", false).name, "read")
        << "a doubled backslash is no escape";

    const Case reg{"r2", "regget", {"Software\\Key", "v"}};
    EXPECT_EQ(
        CompareResult(reg, "sz:x\xEF\xBF\xBDy\xEF\xBF\xBD", "sz:x\\u{D800}y\\u{DFFF}", false).name,
        "lone-surrogate-as-replacement");
    EXPECT_EQ(CompareResult(reg, "sz:x\xEF\xBF\xBDy", "sz:x\\u{D800}y\\u{DFFF}", false).name,
              "regget");
    EXPECT_EQ(CompareResult(reg, "sz:x\xEF\xBF\xBDy", "sz:x\\u{E000}y", false).name, "regget");
}

FolderRun MkdirRun(const std::string& name) {
    FolderRun run;
    run.change = Case{"m1", "mkdir", {"mk/1/" + name}};
    run.entry = name;
    run.before = run.oursAfter = run.wineAfter = {"existing/", "file"};
    run.ours = "fail";
    run.wine = "ok";
    return run;
}

TEST(CompareFolderChangeTest, ARefusedFolderIsAMendOnlyWhereWinesSuccessIsFalseOrUnsafe) {
    EXPECT_EQ(CompareFolderChange(MkdirRun("nul"), false).name, "mkdir-success-without-folder");

    FolderRun made = MkdirRun("a:b");
    made.wineAfter = {"a:b/", "existing/", "file"};
    EXPECT_EQ(CompareFolderChange(made, false).name, "mkdir-refuses-invalid-name");
    made = MkdirRun("a.");
    made.wineAfter = {"a/", "existing/", "file"};
    EXPECT_EQ(CompareFolderChange(made, false).name, "mkdir");
    made = MkdirRun("a:b");
    made.oursAfter = {"file"};
    EXPECT_EQ(CompareFolderChange(made, false).name, "mkdir") << "ours changed the folder";

    FolderRun agreeing = MkdirRun("x");
    agreeing.ours = "ok";
    agreeing.oursAfter = agreeing.wineAfter = {"existing/", "file", "x/"};
    EXPECT_EQ(CompareFolderChange(agreeing, false).kind, Verdict::Agree);
}

TEST(CompareFolderChangeTest, DeletingALinkMayRemoveTheLinkAndNothingElse) {
    FolderRun run;
    run.change = Case{"m2", "delete", {"del/1/link"}};
    run.entry = "link";
    run.before = {"link@", "target"};
    run.ours = run.wine = "ok";
    run.oursAfter = {"target"};
    run.wineAfter = {"link@"};
    EXPECT_EQ(CompareFolderChange(run, false).name, "delete-removes-link-only");
    run.oursAfter = {};
    EXPECT_EQ(CompareFolderChange(run, false).name, "delete") << "the target went too";
    run.before = {"link", "target"};
    run.oursAfter = {"target"};
    EXPECT_EQ(CompareFolderChange(run, false).name, "delete") << "no link: Wine's way holds";
}

TEST(CompareTest, MendsAreListedByKindWithTheirReasons) {
    const auto mends = tmt::wine::ReadMends("# comment\n\nkind-a\tbecause\nkind-b\n");
    ASSERT_EQ(mends.size(), 2u);
    EXPECT_EQ(mends.at("kind-a"), "because");
    EXPECT_EQ(mends.at("kind-b"), "");
}

} // namespace
