// Every write of a game file is killed at random moments: each file the operation touches is
// afterwards exactly one of the contents it passes through when it runs undisturbed (for deletes:
// whole or gone), and the next successful write leaves no debris beside it.
#include "platform/AtomicFile.h"
#include "platform/FolderCleanup.h"
#include "profiles/ProfileStore.h"
#include "settings/GameSettings.h"
#include "settings/IniFile.h"
#include "tests/support/FaultSweep.h"
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <thread>

namespace {

namespace fs = std::filesystem;
using tmt::test::ContentOf;
using tmt::test::ContentsDuring;
using tmt::test::TemporariesIn;
using tmt::test::WriteFile;
using Contents = std::set<std::optional<std::string>>;

constexpr char kInstallDir[] = "C:\\Games\\TuneMora";

// The long run (scripts/long-faults.sh) asks for more.
int KillsPerOperation() {
    const char* asked = std::getenv("TM_CRASH_KILLS");
    return asked != nullptr ? std::atoi(asked) : 25;
}

// Lays the files out with `setUp`, runs `work` round after round in a child and kills it at a
// random moment, `kills` times; after each kill `corrupted` counts the files found in a state the
// work never leaves them in.
template <typename SetUp, typename Work, typename Corrupted>
void KillRepeatedly(const char* operation, SetUp setUp, Work work, Corrupted corrupted) {
    std::mt19937 random(20261208);
    const int kills = KillsPerOperation();
    int corrupt = 0;
    for (int i = 0; i < kills; ++i) {
        setUp();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int round = 0;; ++round) {
                work(round);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 15000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        corrupt += corrupted();
    }
    std::printf("[ crashes  ] %s: %d kills, %d corrupted\n", operation, kills, corrupt);
    EXPECT_EQ(corrupt, 0) << operation;
}

// What the first rounds of the work pass through, from the laid-out state; the rounds alternate
// between two results, so later rounds repeat these.
template <typename SetUp, typename Work>
Contents FirstRounds(const fs::path& file, SetUp setUp, Work work) {
    setUp();
    return ContentsDuring(file, [&] {
        for (int round = 0; round < 4; ++round) {
            work(round);
        }
    });
}

int Outside(const Contents& allowed, const fs::path& file) {
    return allowed.count(ContentOf(file)) == 1 ? 0 : 1;
}

class CrashDuringWrite : public ::testing::Test {
protected:
    void SetUp() override { game = prefix.MakeGameFolder("Games/TuneMora"); }

    // Files that may only be whole or gone.
    int Torn(const fs::path& folder, const std::map<std::string, std::string>& files) const {
        int torn = 0;
        for (const auto& [name, bytes] : files) {
            const auto now = ContentOf(folder / name);
            torn += now && *now != bytes ? 1 : 0;
        }
        return torn;
    }
    void LayOut(const fs::path& folder, const std::map<std::string, std::string>& files) const {
        for (const auto& [name, bytes] : files) {
            WriteFile(folder / name, bytes);
        }
    }

    tmt::test::TestPrefix prefix;
    fs::path game;
};

TEST_F(CrashDuringWrite, IniKeyWritesAndDeletes) {
    const fs::path config = game / "config.ini";
    const std::string tail = "[Other]\r\n" + std::string(200000, 'x') + "=1\r\n";
    const auto setUp = [&] {
        WriteFile(config, "[Graphics]\r\nScreens=1\r\n" + tail);
    };
    const auto work = [&](int round) {
        tmt::IniFile ini(config.string());
        if (round % 2 == 0) {
            ini.DeleteKey("Graphics", "Screens");
        } else {
            ini.WriteInteger("Graphics", "Screens", 1);
        }
    };
    const Contents allowed = FirstRounds(config, setUp, work);
    KillRepeatedly("INI write and delete", setUp, work, [&] { return Outside(allowed, config); });

    work(1);
    EXPECT_EQ(TemporariesIn(game), 0) << "abandoned temporary files are cleared";
}

// A config.ini with a second name elsewhere is rewritten in place. Each kill lands at a random
// moment after the child has committed a rewrite's journal, while it writes the file in place;
// the next read must find the old or the new contents under both names, one file still.
TEST_F(CrashDuringWrite, HardLinkedIniWrites) {
    const fs::path config = game / "config.ini";
    const fs::path backup = game.parent_path() / "config-backup.ini";
    const std::string tail = "[Other]\r\n" + std::string(1000000, 'x') + "=1\r\n";
    const std::string with = "[Graphics]\r\nScreens=1\r\n" + tail;
    const std::string without = "[Graphics]\r\n" + tail;
    const auto inode = [](const fs::path& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return std::pair(info.st_ino, info.st_nlink);
    };
    std::mt19937 random(20261209);
    const int kills = KillsPerOperation();
    int corrupt = 0;
    for (int i = 0; i < kills; ++i) {
        fs::remove(config);
        fs::remove(backup);
        WriteFile(config, with);
        fs::create_hard_link(config, backup);
        int rewriting[2];
        ASSERT_EQ(::pipe(rewriting), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The journal is given its name by the one rename of a rewrite in place; the next
            // write is the one over the file's bytes, which the parent is told of.
            bool journal = false;
            const tmt::test::CallCounter tell([&](tmt::test::Call call) {
                if (call == tmt::test::Call::Rename) {
                    journal = true;
                } else if (journal && call == tmt::test::Call::Write) {
                    journal = false;
                    if (::write(rewriting[1], "w", 1) != 1) {
                        ::_exit(2);
                    }
                }
            });
            try {
                for (int round = 0;; ++round) {
                    tmt::IniFile ini(config.string());
                    if (round % 2 == 0) {
                        ini.DeleteKey("Graphics", "Screens");
                    } else {
                        ini.WriteInteger("Graphics", "Screens", 1);
                    }
                }
            } catch (...) {
                ::_exit(3);
            }
        }
        // A child that ends before it gets there closes the pipe, and the read fails.
        ::close(rewriting[1]);
        char signal = 0;
        for (std::uint32_t round = random() % 2; round < 2; ++round) {
            ASSERT_EQ(::read(rewriting[0], &signal, 1), 1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 500));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(rewriting[0]);

        (void)tmt::IniFile(config.string()).ReadString("Graphics", "Screens", "");
        const bool whole = ContentOf(config) == with || ContentOf(config) == without;
        const bool oneFile = inode(config) == inode(backup) && inode(config).second == 2;
        corrupt += whole && oneFile && !fs::exists(game / ".config.ini.journal") ? 0 : 1;
    }
    std::printf("[ crashes  ] hard-linked INI write: %d kills, %d corrupted\n", kills, corrupt);
    EXPECT_EQ(corrupt, 0);

    tmt::IniFile(config.string()).WriteInteger("Graphics", "Screens", 3);
    EXPECT_EQ(TemporariesIn(game), 0) << "journals cut off while written are cleared";
}

TEST_F(CrashDuringWrite, ConfigurationSave) {
    const fs::path config = game / "config.ini";
    const auto setUp = [&] {
        WriteFile(config, "; TuneMora\r\n[Graphics]\r\nVSync=On\r\n[Path]\r\nSongs=C:\\Old\r\n" +
                              std::string(100000, ';') + "\r\n");
    };
    const tmt::GameSettingsChoice choices[] = {{"800", "600", "Default", false, 2, 1},
                                               {"1024", "768", "C:\\Songs", true, 1, 0}};
    const auto work = [&](int round) {
        tmt::IniFile ini(config.string());
        tmt::SaveGameSettings(ini, choices[round % 2]);
    };
    const Contents allowed = FirstRounds(config, setUp, work);
    KillRepeatedly("configuration save", setUp, work, [&] { return Outside(allowed, config); });

    work(0);
    EXPECT_EQ(TemporariesIn(game), 0);
}

TEST_F(CrashDuringWrite, AvatarCopy) {
    const fs::path avatar = game / "avatar.jpg";
    WriteFile(game / "one.jpg", std::string(300000, '1'));
    WriteFile(game / "two.jpg", std::string(500000, '2'));
    const auto setUp = [&] {
        WriteFile(avatar, std::string(300000, '1'));
    };
    const auto work = [&](int round) {
        tmt::platform::CopyFileAtomically((game / (round % 2 ? "one.jpg" : "two.jpg")).string(),
                                          avatar.string());
    };
    const Contents allowed = FirstRounds(avatar, setUp, work);
    KillRepeatedly("avatar copy", setUp, work, [&] { return Outside(allowed, avatar); });

    work(0);
    EXPECT_EQ(TemporariesIn(game), 0);
}

TEST_F(CrashDuringWrite, ProfileAddAndChange) {
    const fs::path folder = game / "Profiles" / "Bob";
    WriteFile(game / "one.jpg", std::string(200000, '1'));
    WriteFile(game / "two.jpg", std::string(300000, '2'));
    const auto setUp = [&] {
        fs::remove_all(folder);
        fs::create_directories(game / "Profiles");
    };
    // Round 0 adds the profile, later rounds change it back and forth.
    const auto work = [&](int round) {
        if (round == 0) {
            tmt::CreateProfileFolder(kInstallDir, "Bob");
        }
        tmt::IniFile ini(tmt::ProfileFilePath(kInstallDir, "Bob"));
        std::string stored = round == 0 ? "" : "avatar.jpg";
        const bool odd = round % 2 == 1;
        tmt::WriteProfile(ini,
                          {odd ? "Robert" : "Bob", odd ? "r" : "b", odd,
                           odd ? "C:\\Games\\TuneMora\\two.jpg" : "C:\\Games\\TuneMora\\one.jpg"},
                          stored);
    };
    const Contents profiles = FirstRounds(folder / "profile.prf", setUp, work);
    const Contents avatars = {std::nullopt, std::string(200000, '1'), std::string(300000, '2')};
    KillRepeatedly("profile add and change", setUp, work, [&] {
        return Outside(profiles, folder / "profile.prf") + Outside(avatars, folder / "avatar.jpg");
    });

    fs::create_directories(folder);
    work(1);
    EXPECT_EQ(TemporariesIn(game), 0);
}

// The trees are laid out before each child starts, and are large enough that the deletion is
// still running at most of the kills.
TEST_F(CrashDuringWrite, ProfileDeleteAndTempCleanup) {
    std::map<std::string, std::string> files = {{"profile.prf", "[profile]\r\nname=Bob\r\n"},
                                                {"avatar.jpg", std::string(20000, 'A')}};
    for (int i = 0; i < 300; ++i) {
        files["r/" + std::to_string(i % 7) + "/r" + std::to_string(i) + ".dat"] =
            std::string(static_cast<std::size_t>(1000 + i), 'R');
    }
    const fs::path bob = game / "Profiles" / "Bob";
    KillRepeatedly(
        "profile delete", [&] { LayOut(bob, files); },
        [&](int round) {
            if (round == 0) {
                tmt::DeleteProfile(kInstallDir, "Bob", tmt::platform::CleanupDir);
            }
            ::pause();
        },
        [&] { return Torn(bob, files); });

    const fs::path temp = game / "Temp";
    KillRepeatedly(
        "Temp cleanup", [&] { LayOut(temp, files); },
        [&](int round) {
            if (round == 0) {
                tmt::platform::CleanupDir("C:\\Games\\TuneMora\\Temp\\");
            }
            ::pause();
        },
        [&] { return Torn(temp, files); });
}

} // namespace
