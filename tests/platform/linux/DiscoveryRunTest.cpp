#include "platform/linux/OwnedFiles.h"
#include "tests/support/FakeHome.h"
#include "tests/support/linux/Accounts.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <regex>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using tmt::test::AccountRun;
using tmt::test::WriteFile;

// The search run as the program does it, in a process of its own, over a fake home.
class DiscoveryRunTest : public ::testing::Test {
protected:
    fs::path Home() const { return home.Path(); }

    AccountRun Search(bool debugLog = true, std::vector<std::string> wrapper = {}) const {
        wrapper.push_back(TM_DISCOVERY_PROBE);
        std::vector<std::string> environment{"HOME=" + Home().string(), "PATH=/usr/bin:/bin"};
        if (debugLog) {
            environment.push_back("TMT_DEBUG_DISCOVERY=1");
        }
        if (wrapper.size() > 1) {
            // The wrapper traces the search, and LeakSanitizer, in a sanitizer build, cannot
            // work under a tracer: it would end the search with a failure of its own.
            environment.push_back("ASAN_OPTIONS=detect_leaks=0");
        }
        AccountRun run = tmt::test::RunProgram(wrapper, environment);
        EXPECT_EQ(run.status, 0) << run.err;
        return run;
    }

    static bool Says(const AccountRun& run, const fs::path& place, const std::string& verdict) {
        return run.err.find("tunemora-tools: " + place.string() + ": " + verdict) !=
               std::string::npos;
    }

    // A file's times, put an hour back: written long before the search.
    static void Age(const fs::path& file) {
        fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(1));
    }

    tmt::test::FakeHome home;
};

TEST_F(DiscoveryRunTest, TheDebugLogSaysWhereItLookedAndWhy) {
    home.MakePrefix(Home() / ".wine");
    const fs::path empty = Home() / ".PlayOnLinux" / "wineprefix" / "Empty";
    home.MakeEmptyPrefix(empty);
    const fs::path large = Home() / ".config/lutris/games/large-1.yml";
    WriteFile(large, std::string(tmt::platform::limits::kLutrisConfig + 1, '#'));
    const fs::path fifo = Home() / ".local/share/bottles/bottles/Fifo/bottle.yml";
    fs::create_directories(fifo.parent_path());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    const AccountRun run = Search();
    EXPECT_TRUE(Says(run, Home() / ".wine", "taken (Wine)")) << run.err;
    EXPECT_TRUE(Says(run, empty, "skipped: no installation key (PlayOnLinux: Empty)")) << run.err;
    EXPECT_TRUE(
        Says(run, large,
             "skipped: too large (" + std::to_string(tmt::platform::limits::kLutrisConfig + 1) +
                 " bytes, at most " + std::to_string(tmt::platform::limits::kLutrisConfig) + ")"))
        << run.err;
    EXPECT_TRUE(Says(run, fifo, "skipped: not a regular file")) << run.err;
    EXPECT_EQ(Search(false).err, "") << "quiet without TMT_DEBUG_DISCOVERY=1";
}

TEST_F(DiscoveryRunTest, ARegistryWithoutTheKeyIsNotReadAgainUntilItChanges) {
    const fs::path prefix = Home() / ".PlayOnLinux" / "wineprefix" / "TuneMora";
    home.MakeEmptyPrefix(prefix);
    const fs::path registry = prefix / "system.reg";
    Age(registry);
    const std::string known = "no key, as an earlier search found";

    EXPECT_FALSE(Says(Search(), registry, known));
    const fs::path cache = Home() / ".cache" / "tunemora-tools" / "registries";
    ASSERT_TRUE(fs::exists(cache));
    EXPECT_EQ(fs::status(cache).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(Says(Search(), registry, known));

    // Wine saves the registry as a new file: the key it now holds is found.
    WriteFile(prefix / "system.reg.new",
              "WINE REGISTRY Version 2\n\n#arch=win64\n\n[Software\\\\Wow6432Node\\\\TuneMora] 1\n"
              "\"InstallDir\"=\"C:\\\\Games\\\\TuneMora\"\n");
    Age(prefix / "system.reg.new");
    fs::rename(prefix / "system.reg.new", registry);
    AccountRun run = Search();
    EXPECT_FALSE(Says(run, registry, known));
    EXPECT_NE(run.out.find("PlayOnLinux: TuneMora\t"), std::string::npos) << run.out;

    // Just written, it may be written again within the same tick of the clock: not remembered.
    home.MakeEmptyPrefix(Home() / ".PlayOnLinux" / "wineprefix" / "New");
    const fs::path fresh = Home() / ".PlayOnLinux" / "wineprefix" / "New" / "system.reg";
    fs::last_write_time(fresh, fs::file_time_type::clock::now() + std::chrono::hours(1));
    Search();
    EXPECT_FALSE(Says(Search(), fresh, known));
}

TEST_F(DiscoveryRunTest, ProtonsRecordIsReadUpToItsCap) {
    const fs::path steam = Home() / ".steam" / "steam";
    const fs::path compatData = steam / "steamapps" / "compatdata" / "3000000001";
    home.MakeEmptyPrefix(compatData / "pfx");
    const std::size_t cap = tmt::platform::limits::kSmallText;
    for (const std::size_t size : {cap, cap + 1}) {
        SCOPED_TRACE(size);
        tmt::test::WriteConfigInfo(compatData, steam / "steamapps/common/Proton 9.0/proton", steam);
        std::string text = tmt::test::ReadFile(compatData / "config_info") + "\n";
        text.resize(size, '#');
        WriteFile(compatData / "config_info", text);
        EXPECT_EQ(Says(Search(), compatData / "config_info", "skipped: too large"), size > cap);
    }
}

// How often the search opened each file, from strace's record of its openat calls.
std::map<std::string, int> Opens(const std::string& trace) {
    std::map<std::string, int> opens;
    static const std::regex call(R"re(openat\([^,]+, "([^"]+)")re");
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        std::smatch found;
        if (std::regex_search(line, found, call)) {
            ++opens[found[1]];
        }
    }
    return opens;
}

TEST_F(DiscoveryRunTest, EachRecordIsOpenedOnceHoweverManyGamesNameIt) {
    if (!fs::exists("/usr/bin/strace")) {
        GTEST_SKIP() << "strace is not installed";
    }
    const fs::path heroic = Home() / ".config" / "heroic";
    std::string games;
    for (const std::string name : {"a", "b", "c"}) {
        home.MakePrefix(Home() / "Games" / name);
        WriteFile(heroic / "GamesConfig" / (name + ".json"),
                  R"({")" + name + R"(": {"winePrefix": "~/Games/)" + name + R"("}})");
        games += std::string(games.empty() ? "" : ", ") + R"({"app_name": ")" + name +
                 R"(", "title": "Game )" + name + R"("})";
    }
    WriteFile(heroic / "sideload_apps" / "library.json", R"({"games": [)" + games + "]}");

    const fs::path trace = Home() / "trace";
    const AccountRun run =
        Search(false, {"/usr/bin/strace", "-e", "trace=openat", "-o", trace.string()});
    EXPECT_NE(run.out.find("Heroic: Game c"), std::string::npos) << run.out;
    const auto opens = Opens(tmt::test::ReadFile(trace));
    EXPECT_EQ(opens.at((heroic / "sideload_apps" / "library.json").string()), 1);
    for (const std::string name : {"a", "b", "c"}) {
        EXPECT_EQ(opens.at((heroic / "GamesConfig" / (name + ".json")).string()), 1);
    }
}

} // namespace
