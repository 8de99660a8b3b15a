#include "platform/Shell.h"
#include "platform/linux/Launcher.h"
#include "tests/support/FakeRunners.h"
#include "tests/support/TestPrefix.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;
using tmt::platform::ShellOpen;
using namespace std::chrono_literals;

// Children of this process that have ended but were never waited for.
int Zombies() {
    int zombies = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state, parent;
        if (stat >> pid >> name >> state >> parent && state == "Z" &&
            parent == std::to_string(::getpid())) {
            ++zombies;
        }
    }
    return zombies;
}

// A stand-in for wine on PATH that records how it was started.
struct FakeWine : tmt::test::FakeRunners {
    FakeWine() { AddToPath("wine"); }
};

class ShellTest : public ::testing::Test {
protected:
    tmt::test::TestPrefix prefix;
    fs::path game = prefix.MakeGameFolder("Program Files/Tune Mora");
};

TEST_F(ShellTest, StartsTheGameThroughWineWithItsFolderAndTail) {
    FakeWine wine;
    const auto result = ShellOpen("\"C:\\Program Files\\Tune Mora\\Tunemora.exe\"",
                                  " -OpenGL  -debug", "\"C:\\Program Files\\Tune Mora\"");
    ASSERT_TRUE(result.started) << result.reason;
    EXPECT_TRUE(
        ShellOpen("C:\\Program Files\\Tune Mora\\Tunemora.exe", "", "C:\\Program Files\\Tune Mora")
            .started)
        << "unquoted paths serve as well";
    const auto starts = wine.WaitForStarts(2, 10s);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(fs::canonical(starts[0].arguments.at(0)), fs::canonical(game / "Tunemora.exe"));
    EXPECT_EQ(std::vector<std::string>(starts[0].arguments.begin() + 1, starts[0].arguments.end()),
              (std::vector<std::string>{"-OpenGL", "-debug"}));
    EXPECT_EQ(fs::canonical(starts[0].workingDirectory), fs::canonical(game));
    EXPECT_EQ(starts[1].arguments.size(), 1u);
    EXPECT_EQ(Zombies(), 0);
}

TEST_F(ShellTest, FailedStartsSayWhy) {
    {
        FakeWine wine;
        const auto missing = ShellOpen("\"C:\\Nowhere\\Tunemora.exe\"", "", "\"C:\\Nowhere\"");
        EXPECT_FALSE(missing.started);
        EXPECT_EQ(missing.reason, "The file was not found.");
        const auto noFolder =
            ShellOpen("\"C:\\Program Files\\Tune Mora\\Tunemora.exe\"", "", "\"C:\\Nowhere\"");
        EXPECT_FALSE(noFolder.started);
        EXPECT_NE(noFolder.reason.find("cannot be entered"), std::string::npos) << noFolder.reason;
    }
    const char* path = std::getenv("PATH");
    const std::string saved = path != nullptr ? path : "";
    ::setenv("PATH", "/nonexistent", 1);
    const auto noWine = ShellOpen("\"C:\\Program Files\\Tune Mora\\Tunemora.exe\"", "", "\"C:\\\"");
    ::setenv("PATH", saved.c_str(), 1);
    EXPECT_FALSE(noWine.started);
    EXPECT_EQ(noWine.reason, "Wine is not installed: the program wine was not found.");
}

TEST_F(ShellTest, ARunnerThatEndsAtOnceWithAFailureIsReportedWithItsLastLine) {
    tmt::test::FakeRunners wine;
    wine.AddRefusingToPath("wine", {3, "warning: something\nwine: cannot find the game\n\n"});
    const auto result = ShellOpen("\"C:\\Program Files\\Tune Mora\\Tunemora.exe\"", "",
                                  "\"C:\\Program Files\\Tune Mora\"");
    EXPECT_FALSE(result.started);
    EXPECT_EQ(result.reason,
              "wine ended at once with exit status 3, saying: wine: cannot find the game");
    EXPECT_EQ(wine.Starts().size(), 1u);
    EXPECT_EQ(Zombies(), 0);
}

TEST_F(ShellTest, ARunnerStillRunningWhenTheWatchEndsCountsAsStarted) {
    tmt::platform::Launcher sleeper = tmt::platform::Launcher::SystemWine(prefix.Root());
    // Its output goes nowhere, so that nobody waits for it to end.
    sleeper.programs = {"/bin/sh"};
    sleeper.arguments =
        tmt::platform::Launcher::Fixed({"-c", "exec >/dev/null 2>&1; exec /usr/bin/sleep 3"});
    // A descriptor of the tool's that the game does not inherit: nobody may hold it once the
    // tool lets go, however long the game runs.
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    const auto result = sleeper.Start(game / "Tunemora.exe", "", game, 0ms);
    ::close(ends[1]);
    EXPECT_TRUE(result.started) << result.reason;
    EXPECT_EQ(Zombies(), 0);
    pollfd readEnd{ends[0], POLLIN, 0};
    ASSERT_EQ(::poll(&readEnd, 1, 0), 1);
    EXPECT_NE(readEnd.revents & POLLHUP, 0) << "the pipe's write end is still open somewhere";
    ::close(ends[0]);
}

} // namespace
