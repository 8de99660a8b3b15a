#include "tests/wine/CaseFormat.h"
#include "tests/wine/Corpus.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using tmt::wine::Case;
using tmt::wine::EscapeResult;
using tmt::wine::ParseCase;

TEST(CaseFormatTest, EveryFieldSurvivesTheCaseLine) {
    const std::string lone = "x\xED\xA0\x80y"; // a lone surrogate, as WTF-8
    const Case c{"r7",
                 "write",
                 {"w/1.ini", "tab\there\\and\r\nbreaks", std::string("nul\0in", 6), lone,
                  std::nullopt, "\\N", "\xE6\x97\xA5\xF0\x9F\x8E\xB5"}};
    const std::string line = tmt::wine::FormatCase(c);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 8);
    const auto parsed = ParseCase(line);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->id, c.id);
    EXPECT_EQ(parsed->operation, c.operation);
    EXPECT_EQ(parsed->fields, c.fields);
}

TEST(CaseFormatTest, ResultsShowWhatIsNotPlainTextAsTheProbePrintsIt) {
    EXPECT_EQ(EscapeResult("a|b\\c\x01\x7F\xC2\x85"), "a\\u{7C}b\\\\c\\u{1}\\u{7F}\\u{85}");
    EXPECT_EQ(EscapeResult("\xC3\xA4\xE6\x97\xA5"), "\xC3\xA4\xE6\x97\xA5");
    EXPECT_EQ(EscapeResult("\xED\xA0\x80"), "\\u{D800}");
    // Bytes that are not UTF-8 can never look like anything Wine prints.
    EXPECT_EQ(EscapeResult("\xFC\xC3"), "\\x{FC}\\x{C3}");
    EXPECT_EQ(EscapeResult("[a];", "[];"), "\\u{5B}a\\u{5D}\\u{3B}");
}

TEST(CorpusTest, OneSeedGivesTheSameCasesOnEveryRun) {
    const auto generate = [](const std::filesystem::path& folder, std::uint64_t seed) {
        tmt::wine::Rng rng(seed);
        tmt::wine::Corpus corpus(folder);
        tmt::wine::AddIniCorpus(corpus, rng);
        tmt::wine::AddIniWriteCorpus(corpus, rng);
        corpus.Save();
        return tmt::test::ReadFile(folder / "read.cases") +
               tmt::test::ReadFile(folder / "mutate.cases");
    };
    const tmt::test::TempDir first;
    const tmt::test::TempDir second;
    const tmt::test::TempDir third;
    const std::string cases = generate(first.Path(), 7);
    EXPECT_EQ(cases, generate(second.Path(), 7));
    EXPECT_NE(cases, generate(third.Path(), 8));
    EXPECT_EQ(tmt::test::ReadFile(first.Path() / "ro/ini/random-3.ini"),
              tmt::test::ReadFile(second.Path() / "ro/ini/random-3.ini"));
}

TEST(CorpusTest, FilesAreWrittenWithTheirMarks) {
    using tmt::wine::EncodeFile;
    using tmt::wine::Encoding;
    EXPECT_EQ(EncodeFile("\xC3\xA4", Encoding::Bytes), "\xC3\xA4");
    EXPECT_EQ(EncodeFile("a", Encoding::Utf8Bom), "\xEF\xBB\xBF"
                                                  "a");
    EXPECT_EQ(EncodeFile("\xF0\x9F\x8E\xB5", Encoding::Utf16Le),
              std::string("\xFF\xFE\x3C\xD8\xB5\xDF", 6));
    EXPECT_EQ(EncodeFile("a", Encoding::Utf16Be), std::string("\xFE\xFF\0a", 4));
    EXPECT_EQ(EncodeFile("a", Encoding::Utf16LeNoBom), std::string("a\0", 2));
}

} // namespace
