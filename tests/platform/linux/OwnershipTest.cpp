#include "tests/support/FakeHome.h"
#include "tests/support/FakeRunners.h"
#include "tests/support/linux/Accounts.h"
#include "tests/support/linux/FakeWineServer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

namespace {

namespace fs = std::filesystem;
using tmt::test::AccountRun;
using tmt::test::FakeWineServer;
using tmt::test::GiveTo;
using tmt::test::kPlayer;
using tmt::test::kStranger;
using tmt::test::WriteFile;

// The search as another account sees it: the fake home is the player's, and what the stranger
// left in it stays the stranger's.
class OwnershipTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!tmt::test::CanActAsAccounts()) {
            GTEST_SKIP() << "only root can act as the two accounts";
        }
    }

    fs::path Home() const { return home.Path(); }

    // The home becomes the player's, but for `theirs`, which becomes the stranger's.
    void GiveHome(const std::vector<fs::path>& theirs) {
        GiveTo(Home(), kPlayer);
        for (const fs::path& path : theirs) {
            GiveTo(path, kStranger);
        }
    }

    // Runs the search as the player, with the debug log on.
    AccountRun Search(const std::vector<std::string>& arguments = {}) {
        std::vector<std::string> command{TM_DISCOVERY_PROBE};
        command.insert(command.end(), arguments.begin(), arguments.end());
        AccountRun run =
            tmt::test::RunAs(kPlayer, command,
                             {"HOME=" + Home().string(), "PATH=" + std::string(std::getenv("PATH")),
                              "TMT_DEBUG_DISCOVERY=1"});
        EXPECT_FALSE(run.timedOut) << "the search did not end:\n" << run.err;
        EXPECT_EQ(run.status, 0) << run.err;
        return run;
    }

    // The sources of the installations a run printed.
    static std::vector<std::string> Sources(const AccountRun& run) {
        std::vector<std::string> sources;
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) {
            if (line.find('\t') != std::string::npos) {
                sources.push_back(line.substr(0, line.find('\t')));
            }
        }
        return sources;
    }

    // Games disks are shared as /tmp is: everyone may add, only the owner may remove. So are the
    // folders from `folder` up to the home, which stay root's.
    void ShareLikeTmp(fs::path folder) const {
        for (; folder != Home(); folder = folder.parent_path()) {
            ASSERT_EQ(::chown(folder.c_str(), 0, 0), 0);
            fs::permissions(folder, fs::perms::all | fs::perms::sticky_bit);
        }
    }

    // What the debug log says of `path`, which the stranger owns.
    static std::string SkippedAsTheirs(const fs::path& path) {
        return path.string() + ": skipped: not owned by you (owner " +
               std::to_string(kStranger.uid) + ")";
    }

    tmt::test::FakeRunners runners;
    tmt::test::FakeHome home;
};

TEST_F(OwnershipTest, AnotherAccountsPrefixesAndRecordsAreSkipped) {
    const fs::path pol = Home() / ".PlayOnLinux" / "wineprefix";
    home.MakePrefix(pol / "Mine");
    home.MakePrefix(pol / "Theirs");
    home.MakePrefix(Home() / "Games" / "lutris");
    WriteFile(Home() / ".config/lutris/games/players-1.yml", "game:\n  prefix: ~/Games/lutris\n");
    WriteFile(Home() / ".config/lutris/games/strangers-2.yml", "game:\n  prefix: ~/Games/lutris\n");
    const fs::path bottle = Home() / ".local/share/bottles/bottles/Music";
    home.MakePrefix(bottle);
    WriteFile(bottle / "bottle.yml", "Name: Music\n");
    home.MakePrefix(Home() / "Games" / "heroic");
    WriteFile(Home() / ".config/heroic/GamesConfig/h.json",
              R"({"h": {"winePrefix": "~/Games/heroic"}})");

    const std::vector<fs::path> theirs = {
        pol / "Theirs", Home() / ".config/lutris/games/strangers-2.yml", bottle / "bottle.yml",
        Home() / ".config/heroic/GamesConfig/h.json"};
    GiveHome(theirs);
    const AccountRun run = Search();
    EXPECT_EQ(Sources(run), (std::vector<std::string>{"Lutris: players", "PlayOnLinux: Mine"}));
    for (const fs::path& skipped : theirs) {
        EXPECT_NE(run.err.find(SkippedAsTheirs(skipped)), std::string::npos) << run.err;
    }
}

TEST_F(OwnershipTest, ASharedSteamLibraryGivesOnlyTheUsersOwnPrefixes) {
    const fs::path steam = Home() / ".steam" / "steam";
    const fs::path shared = home.Path() / "Games Disk" / "SteamLibrary";
    tmt::test::WriteLibraryFolders(steam / "steamapps", steam, shared);
    const fs::path compatdata = shared / "steamapps" / "compatdata";
    home.MakePrefix(compatdata / "3000000001" / "pfx");
    home.MakePrefix(compatdata / "3000000002" / "pfx");
    const fs::path theirProton = shared / "steamapps" / "common" / "Theirs" / "proton";
    tmt::test::WriteConfigInfo(compatdata / "3000000001", theirProton, steam);
    runners.AddToPath("steam");
    GiveHome({compatdata / "3000000001"});
    ASSERT_NO_FATAL_FAILURE(ShareLikeTmp(compatdata));

    const AccountRun run = Search({"start", "Steam: Non-Steam game 3000000002", ""});
    ASSERT_EQ(Sources(run), std::vector<std::string>{"Steam: Non-Steam game 3000000002"});
    EXPECT_NE(run.err.find(SkippedAsTheirs(compatdata / "3000000001")), std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("started"), std::string::npos) << run.out << run.err;
    const auto starts = runners.WaitForStarts(1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].program.filename(), "steam");
}

TEST_F(OwnershipTest, ARunnerThatAnotherAccountOwnsOrMayChangeNeverRuns) {
    const fs::path lutrisRunners = Home() / ".local/share/lutris/runners/wine";
    const struct {
        const char* version;
        std::string reason;
    } cases[] = {
        {"theirs", "the program " + (lutrisRunners / "theirs/bin/wine").string() +
                       " belongs to another account"},
        {"writable",
         "other accounts may change the program " + (lutrisRunners / "writable/bin/wine").string()},
        {"open-folder", "other accounts may change the folder " +
                            (lutrisRunners / "open-folder/bin").string() + " of the program " +
                            (lutrisRunners / "open-folder/bin/wine").string()},
        {"their-folder",
         "the folder " + (lutrisRunners / "their-folder").string() + " of the program " +
             (lutrisRunners / "their-folder/bin/wine").string() + " belongs to another account"},
    };
    for (const auto& runner : cases) {
        SCOPED_TRACE(runner.version);
        home.MakePrefix(Home() / "Games" / runner.version);
        WriteFile(Home() / ".config/lutris/games" / (std::string(runner.version) + "-1.yml"),
                  std::string("game:\n  prefix: ~/Games/") + runner.version +
                      "\nwine:\n  version: " + runner.version + "\n");
        runners.Install(lutrisRunners / runner.version / "bin" / "wine");
    }
    GiveHome({lutrisRunners / "theirs" / "bin" / "wine"});
    ASSERT_EQ(::chown((lutrisRunners / "their-folder").c_str(), kStranger.uid, kStranger.gid), 0);
    fs::permissions(lutrisRunners / "writable/bin/wine", fs::perms::others_write,
                    fs::perm_options::add);
    fs::permissions(lutrisRunners / "open-folder/bin", fs::perms::all);

    for (const auto& runner : cases) {
        SCOPED_TRACE(runner.version);
        const AccountRun run = Search({"start", std::string("Lutris: ") + runner.version, ""});
        EXPECT_NE(run.out.find("not started: Wine is not started: " + runner.reason + "."),
                  std::string::npos)
            << run.out;
    }
    EXPECT_TRUE(runners.Starts().empty());
}

TEST_F(OwnershipTest, LutrisRunsOnlyTheUsersOwnProtonFromASharedSteamLibrary) {
    // The Steam library of a games disk that both accounts use, listed in the user's Steam: a
    // Proton of each account there, each the Wine version of one Lutris game.
    const fs::path steam = Home() / ".steam" / "steam";
    const fs::path shared = Home() / "Games Disk" / "SteamLibrary";
    fs::create_directories(steam / "steamapps");
    tmt::test::WriteLibraryFolders(steam / "config", steam, shared);
    const fs::path common = shared / "steamapps" / "common";
    for (const char* proton : {"Mine", "Theirs"}) {
        runners.Install(common / proton / "proton");
        runners.Install(common / proton / "files" / "bin" / "wine");
        const std::string game = std::string(proton) == "Mine" ? "mine" : "theirs";
        home.MakePrefix(Home() / "Games" / game);
        WriteFile(Home() / ".config/lutris/games" / (game + "-1.yml"),
                  "game:\n  prefix: ~/Games/" + game + "\nwine:\n  version: " + proton + "\n");
    }
    runners.AddToPath("umu-run");
    GiveHome({common / "Theirs"});
    ASSERT_NO_FATAL_FAILURE(ShareLikeTmp(common));

    const AccountRun theirs = Search({"start", "Lutris: theirs", ""});
    EXPECT_NE(theirs.out.find("not started: umu is not started: the program " +
                              (common / "Theirs" / "proton").string() +
                              " belongs to another account."),
              std::string::npos)
        << theirs.out;
    EXPECT_TRUE(runners.Starts().empty());
    const AccountRun mine = Search({"start", "Lutris: mine", ""});
    EXPECT_NE(mine.out.find("started"), std::string::npos) << mine.out << mine.err;
    const auto starts = runners.WaitForStarts(1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].program.filename(), "umu-run");
    EXPECT_EQ(starts[0].environment.at("PROTONPATH"), (common / "Mine").string());
}

// Hands a fake server's folders and socket to `account`, open for anyone to reach.
void OpenTo(const FakeWineServer& server, const tmt::test::Account& account) {
    for (const fs::path& path : server.Chain()) {
        GiveTo(path, account);
        fs::permissions(path,
                        fs::is_directory(path)
                            ? fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec
                            : fs::perms::all);
    }
}

TEST_F(OwnershipTest, AServerFolderOfAnotherAccountOrAServerThatTakesNoOneHoldsNothingUp) {
    const fs::path upstream = Home() / ".wine";
    const fs::path debian = Home() / ".PlayOnLinux" / "wineprefix" / "Debian";
    home.MakeEmptyPrefix(upstream);
    home.MakeEmptyPrefix(debian);
    const std::string ownFolder = "wine-own-" + Home().filename().string();
    WriteFile(debian / "wineserver", ownFolder);
    GiveHome({});
    // Made before the user first ran Wine: the stranger's folder where the user's server would
    // go, and a socket whose queue never moves.
    FakeWineServer theirs(tmt::test::UpstreamSocket(upstream, kPlayer.uid), 0);
    OpenTo(theirs, kStranger);
    theirs.Fill();
    // The user's own server, as Debian's Wine keeps it, that takes no connection.
    FakeWineServer own(fs::path("/tmp") / ownFolder / tmt::test::ServerFolder(debian) / "socket",
                       0);
    for (const fs::path& path : own.Chain()) {
        GiveTo(path, kPlayer);
    }
    own.Fill();

    const AccountRun run = Search();
    EXPECT_TRUE(Sources(run).empty());
    EXPECT_NE(run.err.find(SkippedAsTheirs("/tmp/.wine-" + std::to_string(kPlayer.uid))),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("skipped: timed out, the server takes no connection"), std::string::npos)
        << run.err;
}

TEST_F(OwnershipTest, AnotherAccountsPrefixIsNeverAskedThroughTheirWine) {
    const fs::path steam = Home() / ".steam" / "steam";
    const fs::path shared = Home() / "Games Disk" / "SteamLibrary";
    tmt::test::WriteLibraryFolders(steam / "steamapps", steam, shared);
    const fs::path compatData = shared / "steamapps" / "compatdata" / "1000";
    home.MakeEmptyPrefix(compatData / "pfx");
    tmt::test::WriteAppManifest(shared / "steamapps", "1000", "Their Game");
    const fs::path proton = shared / "steamapps" / "common" / "Theirs" / "proton";
    tmt::test::WriteConfigInfo(compatData, proton, steam);
    runners.Install(proton.parent_path() / "files" / "bin" / "wine");
    const std::string theirFolder = "wine-theirs-" + Home().filename().string();
    WriteFile(compatData / "pfx" / "wineserver", theirFolder);
    GiveHome({compatData, proton.parent_path()});
    FakeWineServer theirs(fs::path("/tmp") / theirFolder /
                          tmt::test::ServerFolder(compatData / "pfx") / "socket");
    OpenTo(theirs, kStranger);

    const AccountRun run = Search();
    EXPECT_TRUE(Sources(run).empty());
    EXPECT_TRUE(runners.Starts().empty()) << "their wine ran as the user";
}

} // namespace
