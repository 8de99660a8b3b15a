// A write that is killed at any moment leaves the game's file whole: either as it was or as the
// write made it, never half of each, and the next successful write leaves no debris beside it.
#include "platform/AtomicFile.h"
#include "settings/IniFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <set>
#include <thread>

namespace {

namespace fs = std::filesystem;

std::set<std::string> Leftovers(const fs::path& folder, const fs::path& keep) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path() != keep) {
            names.insert(entry.path().filename().string());
        }
    }
    return names;
}

// Runs `work` over and over in a child and kills it `kills` times at random moments; after each
// kill, `check` looks at the file.
template <typename Work, typename Check> void KillRepeatedly(int kills, Work work, Check check) {
    std::mt19937 random(20261208);
    for (int i = 0; i < kills; ++i) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int round = 0;; ++round) {
                work(round);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        check();
    }
}

TEST(CrashDuringWrite, ConfigIniIsAlwaysOldOrNew) {
    tmt::test::TempDir folder;
    const fs::path path = folder.Path() / "config.ini";
    const std::string head = "[Graphics]\r\nVSync=On\r\n";
    const std::string tail = "[Other]\r\n" + std::string(200000, 'x') + "=1\r\n";
    tmt::test::WriteFile(path, head + "Screens=1\r\n" + tail);
    const std::set<std::string> valid = {head + "Screens=1\r\n" + tail,
                                         head + "Screens=2\r\n" + tail};
    int corrupt = 0;
    KillRepeatedly(
        40,
        [&](int round) {
            tmt::IniFile(path.string()).WriteInteger("Graphics", "Screens", 1 + round % 2);
        },
        [&] { corrupt += valid.count(tmt::test::ReadFile(path)) == 1 ? 0 : 1; });
    EXPECT_EQ(corrupt, 0);

    tmt::IniFile(path.string()).WriteInteger("Graphics", "Screens", 2);
    EXPECT_TRUE(Leftovers(folder.Path(), path).empty()) << "abandoned temporary files are cleared";
}

TEST(CrashDuringWrite, AvatarCopyIsAlwaysOldOrNew) {
    tmt::test::TempDir folder;
    const fs::path avatar = folder.Path() / "avatar.jpg";
    const std::string one(300000, '1');
    const std::string two(500000, '2');
    tmt::test::WriteFile(folder.Path() / "one.jpg", one);
    tmt::test::WriteFile(folder.Path() / "two.jpg", two);
    tmt::test::WriteFile(avatar, one);
    int corrupt = 0;
    KillRepeatedly(
        40,
        [&](int round) {
            tmt::platform::CopyFileAtomically(folder.Path() / (round % 2 ? "one.jpg" : "two.jpg"),
                                              avatar);
        },
        [&] {
            const std::string now = tmt::test::ReadFile(avatar);
            corrupt += (now == one || now == two) ? 0 : 1;
        });
    EXPECT_EQ(corrupt, 0);
}

} // namespace
