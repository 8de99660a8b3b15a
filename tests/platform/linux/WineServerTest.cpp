#include "platform/Installations.h"
#include "platform/Registry.h"
#include "tests/support/FakeHome.h"
#include "tests/support/FakeRunners.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

namespace fs = std::filesystem;

constexpr char kKey[] = "SOFTWARE\\\\TuneMora";

// What `reg export` writes for the key an installer has just created.
const std::string kExport = "Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TuneMora]\r\n"
                            "\"InstallDir\"=\"C:\\\\Games\\\\TuneMora\"\r\n"
                            "\"InstallVer\"=\"1.0 M\xc3\xbcnster\"\r\n\r\n";

// A listening socket where a Wine server of the prefix would listen; the folder it made is
// removed again.
class FakeWineServer {
public:
    explicit FakeWineServer(const fs::path& socket) : socket_(socket) {
        for (fs::path folder = socket.parent_path(); !fs::exists(folder);
             folder = folder.parent_path()) {
            made_.push_back(folder);
        }
        fs::create_directories(socket.parent_path());
        fs::permissions(socket.parent_path(), fs::perms::owner_all);
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(fd_, 4), 0);
    }
    ~FakeWineServer() {
        Stop();
        std::error_code error;
        fs::remove(socket_, error);
        for (const fs::path& folder : made_) {
            fs::remove(folder, error);
        }
    }
    FakeWineServer(const FakeWineServer&) = delete;
    FakeWineServer& operator=(const FakeWineServer&) = delete;

    // The server is gone; its socket file stays behind, as after a crash.
    void Stop() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

private:
    fs::path socket_;
    std::vector<fs::path> made_;
    int fd_ = -1;
};

std::string Hex(unsigned long long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%llx", value);
    return text;
}

std::string ServerFolder(const fs::path& prefix) {
    struct stat info {};
    EXPECT_EQ(::stat(prefix.c_str(), &info), 0);
    return "server-" + Hex(info.st_dev) + "-" + Hex(info.st_ino);
}

class WineServerTest : public ::testing::Test {
protected:
    WineServerTest() {
        home.MakeEmptyPrefix(prefix);
        runners.Install(wine, kExport);
    }
    void TearDown() override { tmt::platform::UseInstallation(nullptr); }

    fs::path UpstreamSocket() const {
        return fs::path("/tmp") / (".wine-" + std::to_string(::getuid())) / ServerFolder(prefix) /
               "socket";
    }

    tmt::test::FakeRunners runners;
    tmt::test::FakeHome home;
    fs::path prefix = home.Path() / ".wine";
    fs::path wine = home.Path() / "bin" / "wine";
};

TEST_F(WineServerTest, KeyNotYetSavedIsAskedOfTheRunningServer) {
    home.Set("WINE", wine.string());
    const FakeWineServer server(UpstreamSocket());
    const auto found = tmt::platform::FindInstallations(kKey);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].installDir, "C:\\Games\\TuneMora");
    EXPECT_EQ(found[0].installVer, "1.0 M\u00fcnster");

    const auto asked = runners.Starts();
    ASSERT_EQ(asked.size(), 1u) << "asked right away, not detached";
    EXPECT_EQ(asked[0].program, wine);
    EXPECT_EQ(asked[0].environment.at("WINEPREFIX"), prefix.string());
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

TEST_F(WineServerTest, NoServerOrAStaleSocketIsNeverAsked) {
    home.Set("WINE", wine.string());
    EXPECT_TRUE(tmt::platform::FindInstallations(kKey).empty());
    FakeWineServer server(UpstreamSocket());
    server.Stop();
    EXPECT_TRUE(tmt::platform::FindInstallations(kKey).empty());
    EXPECT_TRUE(runners.Starts().empty()) << "no wine may start a server of its own";
}

TEST_F(WineServerTest, AServerWithoutTheKeyOrWithoutItsWineGivesNothing) {
    const fs::path silent = home.Path() / "bin" / "silent-wine";
    runners.Install(silent);
    home.Set("WINE", silent.string());
    const FakeWineServer server(UpstreamSocket());
    EXPECT_TRUE(tmt::platform::FindInstallations(kKey).empty());
    EXPECT_EQ(runners.Starts().size(), 1u);
    home.Set("WINE", (home.Path() / "bin" / "missing-wine").string());
    EXPECT_TRUE(tmt::platform::FindInstallations(kKey).empty());
}

} // namespace
