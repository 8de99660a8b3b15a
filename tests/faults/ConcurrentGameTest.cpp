// The game may rewrite config.ini while the tool saves: a second process rewrites the file in
// place, as the game's profile functions do (truncate, then write), while the tool saves again and
// again. Without a lock both sides share, a write of either can still overtake the other; this
// measures how often, and holds the tool to completing or failing each save cleanly.
#include "core/Error.h"
#include "settings/GameSettings.h"
#include "settings/IniFile.h"
#include "tests/support/FaultInjection.h"
#include "tests/support/TempDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

int SavesToMake() {
    const char* asked = std::getenv("TM_CONCURRENT_SAVES");
    return asked != nullptr ? std::atoi(asked) : 200;
}

struct GameState {
    std::atomic<long> committed{0}; // the last counter the game finished writing
    std::atomic<bool> writing{false};
};

// The game's own key, last in the file, so a read that catches the game half-way misses it.
long GameCounter(const std::string& text) {
    const std::size_t at = text.find("[Game]\r\nCounter=");
    return at == std::string::npos ? -1 : std::atol(text.c_str() + at + 16);
}

std::string WithCounter(std::string text, long counter) {
    const std::string line = "[Game]\r\nCounter=" + std::to_string(counter) + "\r\n";
    const std::size_t at = text.find("[Game]\r\nCounter=");
    if (at == std::string::npos) {
        return text + line;
    }
    const std::size_t end = text.find("\r\n", at + 16);
    return text.replace(at, end == std::string::npos ? std::string::npos : end + 2 - at, line);
}

// Reads, changes its own key and writes back in two pieces, round after round.
[[noreturn]] void RunGame(const fs::path& config, GameState& state) {
    for (long counter = 1;; ++counter) {
        state.writing = true;
        const std::string text = WithCounter(tmt::test::ReadFile(config), counter);
        const int fd = ::open(config.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd >= 0) {
            const std::size_t half = text.size() / 2;
            bool whole = ::write(fd, text.data(), half) == static_cast<ssize_t>(half);
            ::sched_yield();
            whole = whole && ::write(fd, text.data() + half, text.size() - half) ==
                                 static_cast<ssize_t>(text.size() - half);
            ::close(fd);
            if (whole) {
                state.committed = counter;
            }
        }
        state.writing = false;
        ::usleep(static_cast<useconds_t>(counter * 7919 % 10000));
    }
}

// Stops the game between two of its writes, so the file can be looked at as it stands.
void StopGameAtRest(pid_t game, GameState& state) {
    for (;;) {
        ::kill(game, SIGSTOP);
        int status = 0;
        ::waitpid(game, &status, WUNTRACED);
        if (!state.writing) {
            return;
        }
        ::kill(game, SIGCONT);
        ::sched_yield();
    }
}

TEST(ConcurrentGame, EverySaveCompletesOrFailsAndTheLossRateIsMeasured) {
    tmt::test::TempDir folder;
    const fs::path config = folder.Path() / "config.ini";
    std::string settings = "; TuneMora\r\n[Graphics]\r\nVSync=On\r\n[Path]\r\nSkins=C:\\Skins\r\n";
    for (int i = 0; i < 60; ++i) {
        settings += "[Track" + std::to_string(i) + "]\r\nBest=" + std::to_string(i * 1000) + "\r\n";
    }
    tmt::test::WriteFile(config, WithCounter(settings, 0));

    void* shared = ::mmap(nullptr, sizeof(GameState), PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(shared, MAP_FAILED);
    GameState& state = *std::construct_at(static_cast<GameState*>(shared));
    const pid_t game = ::fork();
    ASSERT_GE(game, 0);
    if (game == 0) {
        RunGame(config, state);
    }

    const tmt::GameSettingsChoice choices[] = {{"800", "600", "C:\\Songs", false, 2, 1},
                                               {"1024", "768", "C:\\Music", true, 1, 0}};
    const int saves = SavesToMake();
    int completed = 0;
    int failed = 0;
    int gameLinesLost = 0;
    int savesOvertaken = 0;
    for (int i = 0; i < saves; ++i) {
        const tmt::GameSettingsChoice& choice = choices[i % 2];
        const long before = state.committed;
        tmt::IniFile ini(config.string());
        try {
            tmt::SaveGameSettings(ini, choice);
            ++completed;
        } catch (const tmt::Error& error) {
            EXPECT_EQ(std::string(error.what()), "Unable to write to " + config.string());
            ++failed;
            continue;
        }
        StopGameAtRest(game, state);
        const std::string now = tmt::test::ReadFile(config);
        // The game only counts up, so a smaller counter is a game write the save threw away.
        gameLinesLost += GameCounter(now) < before ? 1 : 0;
        // The game writes what it read; one that read before the save ends undoes it.
        const bool ours =
            ini.ReadString("Graphics", "Resolution", "") == choice.width + "x" + choice.height &&
            ini.ReadString("Path", "Songs", "") == choice.songsFolder &&
            ini.ReadInteger("Net", "UpdateChannel", -1) == choice.updateChannel;
        savesOvertaken += ours ? 0 : 1;
        ::kill(game, SIGCONT);
    }
    ::kill(game, SIGKILL);
    ::waitpid(game, nullptr, 0);
    const long gameWrites = state.committed;
    ::munmap(shared, sizeof(GameState));

    std::printf("[ game     ] %d saves against %ld game writes: %d completed, %d failed; %d "
                "completed saves lost game lines, %d were overwritten by the game\n",
                saves, gameWrites, completed, failed, gameLinesLost, savesOvertaken);
    EXPECT_EQ(completed + failed, saves);
    EXPECT_GT(completed, 0);
}

// The same race made certain: the file changes while the tool's new file is being flushed.
TEST(ConcurrentGame, AChangeMadeDuringTheWriteIsReadAgainNotLost) {
    tmt::test::TempDir folder;
    const fs::path config = folder.Path() / "config.ini";
    tmt::test::WriteFile(config, "[Graphics]\r\nVSync=On\r\n");
    int flushes = 0;
    {
        const tmt::test::CallCounter counter([&](tmt::test::Call call) {
            if (call == tmt::test::Call::Flush && ++flushes == 1) {
                tmt::test::WriteFile(config, "[Graphics]\r\nVSync=Off\r\n[Game]\r\nCounter=1\r\n");
            }
        });
        tmt::IniFile(config.string()).WriteInteger("Graphics", "Screens", 2);
    }
    EXPECT_EQ(flushes, 2) << "the first new file was given up";
    EXPECT_EQ(tmt::test::ReadFile(config),
              "[Graphics]\r\nVSync=Off\r\nScreens=2\r\n[Game]\r\nCounter=1\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

} // namespace
