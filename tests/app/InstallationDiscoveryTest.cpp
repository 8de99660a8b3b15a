#include "app/InstallationDiscovery.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using Source = tmt::InstallationFolder::Source;

struct Case {
    const char* what;
    std::string recorded;
    std::string ownExecutable;
    std::set<std::string> gameFolders; // the folders that hold Tunemora.exe
    Source source;
    std::string folder;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.what;
}

class InstallationDiscoveryTest : public ::testing::TestWithParam<Case> {};

TEST_P(InstallationDiscoveryTest, TakesTheFolderTheDecisionTableGives) {
    const Case& c = GetParam();
    const std::string executable = "\\Tunemora.exe";
    const auto fileExists = [&c, &executable](const std::string& path) {
        return path.ends_with(executable) &&
               c.gameFolders.contains(path.substr(0, path.size() - executable.size()));
    };
    const tmt::InstallationFolder found =
        tmt::DiscoverInstallationFolder(c.recorded, c.ownExecutable, fileExists);
    EXPECT_EQ(found.source, c.source);
    EXPECT_EQ(found.folder, c.folder);
}

INSTANTIATE_TEST_SUITE_P(
    Discovery, InstallationDiscoveryTest,
    ::testing::Values(
        Case{"recorded folder holds the game",
             "C:\\Games\\TuneMora",
             "C:\\Tools\\tunemora-tools",
             {"C:\\Games\\TuneMora"},
             Source::Recorded,
             "C:\\Games\\TuneMora"},
        Case{"recorded folder without the game",
             "C:\\Games\\TuneMora",
             "C:\\Tools\\tunemora-tools",
             {},
             Source::Missing,
             "C:\\Games\\TuneMora"},
        Case{"no key and no game beside the tool",
             "",
             "C:\\Tools\\tunemora-tools",
             {"C:\\Games\\TuneMora"},
             Source::Missing,
             ""},
        Case{"no key but a game beside the tool",
             "",
             "C:\\Other\\TuneMora\\tunemora-tools",
             {"C:\\Other\\TuneMora"},
             Source::ToolFolder,
             "C:\\Other\\TuneMora"},
        Case{"the tool's own game folder wins over the recorded one",
             "C:\\Games\\TuneMora",
             "C:\\Other\\TuneMora\\tunemora-tools",
             {"C:\\Games\\TuneMora", "C:\\Other\\TuneMora"},
             Source::ToolFolder,
             "C:\\Other\\TuneMora"},
        Case{"the recorded folder in other letter case and with its backslash is the same",
             "C:\\Games\\TuneMora\\",
             "c:\\games\\tunemora\\tunemora-tools",
             {"c:\\games\\tunemora"},
             Source::Recorded,
             "C:\\Games\\TuneMora\\"},
        Case{"accented letters keep their case",
             "C:\\Games\\tunemor\u00e4",
             "C:\\Games\\TUNEMOR\u00c4\\tunemora-tools",
             {"C:\\Games\\tunemor\u00e4", "C:\\Games\\TUNEMOR\u00c4"},
             Source::ToolFolder,
             "C:\\Games\\TUNEMOR\u00c4"},
        Case{"a drive root keeps its backslash",
             "D:\\Games\\TuneMora",
             "C:\\tunemora-tools",
             {"C:\\", "D:\\Games\\TuneMora"},
             Source::ToolFolder,
             "C:\\"}),
    [](const auto& testInfo) { return "Case" + std::to_string(testInfo.index); });

TEST(VersionTextTest, FourNumbersFromTheFileVersion) {
    EXPECT_EQ(tmt::VersionText(tmt::platform::FixedFileInfo{0x00010001, 0x00030000, 0x00020000, 0}),
              "1.1.3.0");
    EXPECT_EQ(tmt::VersionText(tmt::platform::FixedFileInfo{0xFFFF0000, 0x0000FFFF, 0, 0}),
              "65535.0.0.65535");
    EXPECT_EQ(tmt::VersionText(std::nullopt), "0.0.0.0");
}

} // namespace
