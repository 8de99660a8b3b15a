#include "tests/wine/Comparison.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

namespace fs = std::filesystem;
using tmt::test::ReadFile;
using tmt::test::WriteFile;

// A work folder as the stage leaves it, for one locale: "C", where Wine cannot hold non-ASCII
// names.
class ComparisonTest : public ::testing::Test {
protected:
    ComparisonTest() {
        WriteFile(Path("corpus/read.cases"), "r1\tread\tini/a.ini\ts\tk\tdef\n"
                                             "r2\tread\tini/a.ini\ts\tq\tdef\n"
                                             "r3\texists\tcase/\xC3\xA9\n");
        WriteFile(Path("corpus/mutate.cases"), "m1\twrite\tw/1.ini\ts\tk\\u{A}x\t1\n"
                                               "m2\tmkdir\tmk/1/a.\n");
        for (const char* tree : {"corpus/mut", "C/ours", "C/wine"}) {
            WriteFile(Path(tree) / "w/1.ini", kIni);
            fs::create_directories(Path(tree) / "mk/1");
            fs::create_symlink("nowhere", Path(tree) / "mk/1/link");
        }
        WriteFile(Path("C/wine/w/1.ini"), "[s]\r\nk\r\nx=1\r\n");
        fs::create_directory(Path("C/wine/mk/1/a"));
        WriteFile(Path("C/ours.read"), "r1\t=1\nr2\t=\"x\"\nr3\tfile\n");
        WriteFile(Path("C/wine.read"), "r1\t=1\nr2\t=x\nr3\tnone\n");
        WriteFile(Path("C/ours.mutate"), "m1\tfail\nm2\tfail\n");
        WriteFile(Path("C/wine.mutate"), "m1\tok\nm2\tok\n");
    }

    fs::path Path(const std::string& relative) const { return work.Path() / relative; }

    // The report, and whether it passed.
    std::pair<std::string, int> Compare(std::map<std::string, std::string> listed) const {
        tmt::wine::Comparison comparison(work.Path(), std::move(listed));
        comparison.Locale("C");
        std::ostringstream out;
        const int status = comparison.Report(out);
        return {out.str(), status};
    }

    static constexpr char kIni[] = "[s]\r\nk=1\r\n";
    tmt::test::TempDir work;
    const std::map<std::string, std::string> mends = {{"write-refuses-unsafe", "why"},
                                                      {"names-outside-utf8-locale", "why"}};
};

TEST_F(ComparisonTest, EveryCaseIsCountedAndEveryDifferenceShown) {
    const auto [report, status] = Compare(mends);
    EXPECT_EQ(status, 1);
    EXPECT_NE(report.find("1/2"), std::string::npos) << report; // the two reads
    EXPECT_NE(report.find("1/1 (1m)"), std::string::npos);      // the exists case, by a mend
    EXPECT_NE(report.find("3 of 5 cases agree (2 by a decided mend), 2 differ"), std::string::npos);

    const std::string differences = ReadFile(Path("differences.txt"));
    EXPECT_NE(differences.find("DIFFERS read\tr2"), std::string::npos);
    EXPECT_NE(differences.find("mended names-outside-utf8-locale\tr3"), std::string::npos);
    EXPECT_NE(differences.find("mended write-refuses-unsafe\tm1"), std::string::npos);
    // A made folder shows in the case folder's contents, a link as a link.
    EXPECT_NE(differences.find("ours fail [link@] | Wine ok [a/|link@]"), std::string::npos)
        << differences;
}

TEST_F(ComparisonTest, AMendThatIsNotListedIsADifference) {
    WriteFile(Path("C/ours.read"), "r1\t=1\nr2\t=x\nr3\tfile\n");
    WriteFile(Path("C/ours.mutate"), "m1\tfail\nm2\tok\n");
    fs::create_directory(Path("C/ours/mk/1/a"));
    EXPECT_EQ(Compare(mends).second, 0);

    const auto [report, status] = Compare({{"names-outside-utf8-locale", "why"}});
    EXPECT_EQ(status, 1);
    EXPECT_NE(report.find("write-refuses-unsafe: C 1"), std::string::npos) << report;
}

} // namespace
