#include "platform/Installations.h"
#include "platform/Registry.h"
#include "platform/linux/ServerDeadline.h"
#include "tests/support/FakeHome.h"
#include "tests/support/FakeRunners.h"
#include "tests/support/linux/FakeWineServer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using tmt::platform::ServerDeadline;
using tmt::test::FakeWineServer;
using tmt::test::ProcessEnds;
using tmt::test::ServerFolder;
using tmt::test::UpstreamSocket;

constexpr char kKey[] = "SOFTWARE\\\\TuneMora";

// What `reg export` writes for the key an installer has just created.
const std::string kExport = "Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TuneMora]\r\n"
                            "\"InstallDir\"=\"C:\\\\Games\\\\TuneMora\"\r\n"
                            "\"InstallVer\"=\"1.0 M\xc3\xbcnster\"\r\n\r\n";

class WineServerTest : public ::testing::Test {
protected:
    WineServerTest() {
        home.MakeEmptyPrefix(prefix);
        runners.Install(wine, kExport);
    }
    void TearDown() override {
        tmt::platform::UseInstallation(nullptr);
        ServerDeadline::SetLimit(limit_);
    }

    tmt::test::FakeRunners runners;
    tmt::test::FakeHome home;
    fs::path prefix = home.Path() / ".wine";
    fs::path wine = home.Path() / "bin" / "wine";

private:
    std::chrono::milliseconds limit_ = ServerDeadline::Limit();
};

TEST_F(WineServerTest, KeyNotYetSavedIsAskedOfTheRunningServer) {
    home.Set("WINE", wine.string());
    const FakeWineServer server(UpstreamSocket(prefix));
    const auto found = tmt::platform::FindInstallations(kKey);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].installDir, "C:\\Games\\TuneMora");
    EXPECT_EQ(found[0].installVer, "1.0 M\u00fcnster");

    const auto asked = runners.Starts();
    ASSERT_EQ(asked.size(), 1u) << "asked right away, not detached";
    EXPECT_EQ(asked[0].program, wine);
    EXPECT_EQ(asked[0].environment.at("WINEPREFIX"), prefix.string());
    EXPECT_EQ(asked[0].environment.at("WINESERVERSOCKET"), "3")
        << "handed the connection, so that it cannot start a server of its own";
    ASSERT_EQ(asked[0].arguments.size(), 6u);
    EXPECT_EQ(asked[0].arguments[2], "HKEY_LOCAL_MACHINE\\SOFTWARE\\TuneMora");
    EXPECT_EQ(asked[0].arguments[3].substr(0, 3), "Z:\\") << "the export file through drive Z:";
    EXPECT_EQ(asked[0].arguments[4], "/reg:32");

    tmt::platform::UseInstallation(&found[0]);
    tmt::platform::Registry registry;
    ASSERT_TRUE(registry.OpenKey(kKey));
    EXPECT_EQ(registry.ReadString("InstallDir"), "C:\\Games\\TuneMora");
}

TEST_F(WineServerTest, DebiansServerFolderIsFoundThroughThePrefix) {
    home.Set("WINE", wine.string());
    const std::string folder = "wine-" + home.Path().filename().string();
    tmt::test::WriteFile(prefix / "wineserver", folder);
    const FakeWineServer server(fs::path("/tmp") / folder / ServerFolder(prefix) / "socket");
    EXPECT_EQ(tmt::platform::FindInstallations(kKey).size(), 1u);
}

TEST_F(WineServerTest, NoServerAStaleSocketOrAnOpenFolderIsNeverAsked) {
    home.Set("WINE", wine.string());
    EXPECT_TRUE(tmt::platform::FindInstallations(kKey).empty());
    {
        FakeWineServer server(UpstreamSocket(prefix));
        server.Stop();
        EXPECT_TRUE(tmt::platform::FindInstallations(kKey).empty());
    }
    const FakeWineServer open(UpstreamSocket(prefix));
    fs::permissions(UpstreamSocket(prefix).parent_path(), fs::perms::group_exec,
                    fs::perm_options::add);
    EXPECT_TRUE(tmt::platform::FindInstallations(kKey).empty());
    EXPECT_TRUE(runners.Starts().empty()) << "no wine may start a server of its own";
}

TEST_F(WineServerTest, AServerWithoutTheKeyOrWithoutItsWineGivesNothing) {
    const fs::path silent = home.Path() / "bin" / "silent-wine";
    runners.Install(silent);
    home.Set("WINE", silent.string());
    const FakeWineServer server(UpstreamSocket(prefix));
    EXPECT_TRUE(tmt::platform::FindInstallations(kKey).empty());
    EXPECT_EQ(runners.Starts().size(), 1u);
    home.Set("WINE", (home.Path() / "bin" / "missing-wine").string());
    EXPECT_TRUE(tmt::platform::FindInstallations(kKey).empty());
}

TEST_F(WineServerTest, ServersThatNeverAnswerShareOneDeadlineAndLeaveNothingBehind) {
    ServerDeadline::SetLimit(std::chrono::milliseconds(1500));
    const fs::path pids = home.Path() / "pids";
    // A wine that starts a child that never ends, then never ends itself or leaves at once.
    const auto hanging = [&](const char* name, const char* end) {
        const fs::path script = home.Path() / "bin" / name;
        tmt::test::WriteFile(script, "#!/bin/sh\necho $$ >> '" + pids.string() +
                                         "'\n/bin/sleep 1000 &\necho $! >> '" + pids.string() +
                                         "'\n" + end + "\n");
        fs::permissions(script, fs::perms::owner_all);
        return script.string();
    };
    std::vector<std::unique_ptr<FakeWineServer>> servers;
    for (const char* name : {"a", "b", "c"}) {
        const fs::path other = home.Path() / ".PlayOnLinux" / "wineprefix" / name;
        home.MakeEmptyPrefix(other);
        servers.push_back(std::make_unique<FakeWineServer>(UpstreamSocket(other)));
    }
    for (const char* end : {"exec /bin/sleep 1000", "exit 0"}) {
        SCOPED_TRACE(end);
        fs::remove(pids);
        home.Set("WINE", hanging("hanging-wine", end));
        EXPECT_TRUE(tmt::platform::FindInstallations(kKey).empty());
        std::ifstream lines(pids);
        std::vector<pid_t> started;
        for (pid_t pid = 0; lines >> pid;) {
            started.push_back(pid);
        }
        if (std::string(end) == "exit 0") {
            EXPECT_GE(started.size(), 2u);
        } else {
            // A wine that never ends takes all the time, and the other prefixes are not asked.
            EXPECT_EQ(started.size(), 2u);
        }
        for (const pid_t pid : started) {
            EXPECT_TRUE(ProcessEnds(pid)) << pid;
        }
    }
}

// Every process whose environment names `prefix` as its WINEPREFIX, as a Wine server of it has.
std::vector<pid_t> ProcessesOf(const fs::path& prefix) {
    std::vector<pid_t> found;
    const std::string wanted = "WINEPREFIX=" + prefix.string();
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(name) == ::getpid()) {
            continue;
        }
        std::ifstream environ(entry.path() / "environ", std::ios::binary);
        std::stringstream bytes;
        bytes << environ.rdbuf();
        std::string variable;
        while (std::getline(bytes, variable, '\0')) {
            if (variable == wanted) {
                found.push_back(std::stoi(name));
            }
        }
    }
    return found;
}

// Every file below `root` with its size and a hash of its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> snapshot;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string bytes = entry.is_regular_file() ? tmt::test::ReadFile(entry.path()) : "";
        snapshot[entry.path().string()] =
            std::to_string(bytes.size()) + " " + std::to_string(std::hash<std::string>{}(bytes));
    }
    return snapshot;
}

TEST_F(WineServerTest, WineItselfAskedWhereNoServerAnswersStartsNoServerAndWritesNothing) {
    if (!fs::exists("/usr/bin/wine")) {
        GTEST_SKIP() << "Debian's wine is not installed";
    }
    ServerDeadline::SetLimit(std::chrono::milliseconds(1500));
    home.Set("WINE", "/usr/bin/wine");
    // A socket in the folder of upstream Wine, where Debian's Wine would never look.
    const FakeWineServer server(UpstreamSocket(prefix));
    const auto before = Snapshot(prefix);

    EXPECT_TRUE(tmt::platform::FindInstallations(kKey).empty());
    const std::vector<pid_t> left = ProcessesOf(prefix);
    for (const pid_t pid : left) {
        ::kill(pid, SIGKILL);
    }
    EXPECT_TRUE(left.empty()) << "a Wine server or program of the prefix was left running";
    EXPECT_EQ(Snapshot(prefix), before) << "system.reg and the prefix stay as they were";
}

} // namespace
