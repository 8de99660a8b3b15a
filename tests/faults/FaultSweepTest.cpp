// Every file call an operation makes is made to fail in turn, as a full disk or a refusing file
// system would: the operation must say so in the user's words and leave the old file whole.
#include "tests/support/FaultSweep.h"
#include "platform/AtomicFile.h"
#include "platform/FolderCleanup.h"
#include "profiles/ProfileStore.h"
#include "settings/IniFile.h"
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using tmt::test::ContentOf;
using tmt::test::Fault;
using tmt::test::ReadFile;
using tmt::test::SweepEveryCall;
using tmt::test::TemporariesIn;
using tmt::test::WriteFile;

constexpr char kInstallDir[] = "C:\\Games\\TuneMora";

std::string Utf16(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

class FaultSweep : public ::testing::Test {
protected:
    void SetUp() override { game = prefix.MakeGameFolder("Games/TuneMora"); }

    fs::path Folder(const std::string& profile) const { return game / "Profiles" / profile; }

    tmt::test::TestPrefix prefix;
    fs::path game;
};

TEST_F(FaultSweep, IniWritesAndDeletesKeepTheOldFileInEveryEncoding) {
    struct Case {
        const char* label;
        std::string old;
        bool erase;
    };
    const std::string plain = "[Graphics]\r\nVSync=On\r\nScreens=1\r\n";
    const Case cases[] = {
        {"Windows-1252, change", plain, false},
        {"UTF-8 with mark, change", "\xEF\xBB\xBF" + plain, false},
        {"UTF-16, change", Utf16(plain), false},
        {"Windows-1252, delete", plain, true},
        {"UTF-16, delete", Utf16(plain), true},
    };
    const fs::path config = game / "config.ini";
    for (const Case& c : cases) {
        tmt::IniFile ini(config.string());
        SweepEveryCall(
            c.label, [&] { WriteFile(config, c.old); },
            [&] {
                return tmt::test::ErrorOf([&] {
                    if (c.erase) {
                        ini.DeleteKey("Graphics", "Screens");
                    } else {
                        ini.WriteInteger("Graphics", "Screens", 2);
                    }
                });
            },
            [&](const std::optional<Fault>& fault, const std::string& reported) {
                if (fault) {
                    EXPECT_EQ(reported, "Unable to write to " + config.string());
                    EXPECT_EQ(ReadFile(config), c.old);
                } else {
                    EXPECT_EQ(reported, "");
                    EXPECT_NE(ReadFile(config), c.old);
                }
                EXPECT_EQ(TemporariesIn(game), 0);
            });
    }
}

// A file with a second name is rewritten in place behind a journal; every failing call must leave
// the old bytes under both names, one file still, and no journal.
TEST_F(FaultSweep, HardLinkedIniWriteKeepsTheOldFileAndLeavesNoJournal) {
    const fs::path config = game / "config.ini";
    const fs::path backup = game / "Backup" / "config.ini";
    const std::string old = "[Graphics]\r\nVSync=On\r\nScreens=1\r\n" + std::string(5000, ';');
    const auto sameFile = [&] {
        struct stat a {};
        struct stat b {};
        return ::stat(config.c_str(), &a) == 0 && ::stat(backup.c_str(), &b) == 0 &&
               a.st_ino == b.st_ino && a.st_nlink == 2;
    };
    tmt::IniFile ini(config.string());
    SweepEveryCall(
        "hard-linked INI write",
        [&] {
            fs::remove_all(game / "Backup");
            WriteFile(config, old);
            fs::create_directories(game / "Backup");
            fs::create_hard_link(config, backup);
        },
        [&] { return tmt::test::ErrorOf([&] { ini.WriteInteger("Graphics", "Screens", 2); }); },
        [&](const std::optional<Fault>& fault, const std::string& reported) {
            if (fault) {
                EXPECT_EQ(reported, "Unable to write to " + config.string());
                EXPECT_EQ(ReadFile(backup), old);
            } else {
                EXPECT_EQ(reported, "");
                EXPECT_NE(ReadFile(backup).find("Screens=2"), std::string::npos);
            }
            EXPECT_TRUE(sameFile());
            EXPECT_EQ(TemporariesIn(game), 0) << "no journal or temporary file is left";
        });
}

TEST_F(FaultSweep, AvatarCopyKeepsTheOldPicture) {
    const fs::path avatar = game / "avatar.jpg";
    bool copied = false;
    SweepEveryCall(
        "avatar copy",
        [&] {
            WriteFile(game / "new.jpg", std::string(70000, 'N'));
            WriteFile(avatar, "OLD");
        },
        [&] {
            copied =
                tmt::platform::CopyFileAtomically((game / "new.jpg").string(), avatar.string());
            return copied ? "" : tmt::kCannotCopyAvatar;
        },
        [&](const std::optional<Fault>& fault, const std::string& reported) {
            EXPECT_EQ(reported, fault ? tmt::kCannotCopyAvatar : "");
            EXPECT_EQ(ReadFile(avatar), fault ? "OLD" : std::string(70000, 'N'));
            EXPECT_EQ(TemporariesIn(game), 0);
        });
}

// Adding and changing a profile write its keys one after another and copy the picture; a fault
// ends that at the failing step, so the profile file may hold any of the steps' results, but
// never a torn one, and the avatar is either the old picture or the new one.
class ProfileFaultSweep : public FaultSweep {
protected:
    std::string Write(const std::string& folder, const tmt::ProfileValues& values,
                      std::string storedAvatar) {
        return tmt::test::ErrorOf([&] {
            tmt::IniFile ini(tmt::ProfileFilePath(kInstallDir, folder));
            if (!tmt::WriteProfile(ini, values, storedAvatar)) {
                throw tmt::Error(tmt::kCannotCopyAvatar);
            }
        });
    }

    // The contents the profile file passes through in a run without faults, and each of them
    // without its avatar line, which a failed copy takes out again.
    template <typename Run> void RecordSteps(const fs::path& prf, Run run) {
        steps = tmt::test::ContentsDuring(prf, run);
        for (auto step : std::set(steps)) {
            if (step && step->find("avatar=avatar.jpg\r\n") != std::string::npos) {
                step->erase(step->find("avatar=avatar.jpg\r\n"), 19);
                steps.insert(step);
            }
        }
    }

    void ExpectWholeProfile(const std::optional<Fault>& fault, const std::string& reported,
                            const std::string& folder, const std::set<std::string>& avatars) {
        const fs::path prf = Folder(folder) / "profile.prf";
        if (fault) {
            EXPECT_TRUE(reported == tmt::kCannotCopyAvatar ||
                        reported ==
                            "Unable to write to " + tmt::ProfileFilePath(kInstallDir, folder))
                << reported;
        } else {
            EXPECT_EQ(reported, "");
        }
        EXPECT_EQ(steps.count(ContentOf(prf)), 1u) << ContentOf(prf).value_or("(absent)");
        const auto avatar = ContentOf(Folder(folder) / "avatar.jpg");
        EXPECT_EQ(avatars.count(avatar.value_or("(absent)")), 1u);
        EXPECT_EQ(TemporariesIn(game), 0);
    }

    std::set<std::optional<std::string>> steps;
};

TEST_F(ProfileFaultSweep, AddingAProfileStopsAtTheFailingStep) {
    const std::string picture(50000, 'P');
    const tmt::ProfileValues values{"Ann", "ann1", true, "C:\\Games\\TuneMora\\me.jpg"};
    const auto setUp = [&] {
        fs::remove_all(Folder("Ann"));
        fs::create_directories(game / "Profiles");
        WriteFile(game / "me.jpg", picture);
    };
    const auto add = [&] {
        tmt::CreateProfileFolder(kInstallDir, "Ann");
        return Write("Ann", values, "");
    };
    setUp();
    RecordSteps(Folder("Ann") / "profile.prf", add);
    SweepEveryCall("profile add", setUp, add,
                   [&](const std::optional<Fault>& fault, const std::string& reported) {
                       ExpectWholeProfile(fault, reported, "Ann", {"(absent)", picture});
                   });
}

TEST_F(ProfileFaultSweep, ChangingAProfileKeepsTheOldOrTheNewAvatar) {
    const std::string old =
        "[profile]\r\nname=Bob\r\nlogin=b\r\nlocked=no\r\navatar=avatar.jpg\r\n";
    const std::string picture(50000, 'P');
    struct Case {
        const char* label;
        std::string chosen;
        std::set<std::string> avatars;
    };
    const Case cases[] = {
        {"profile change, new picture", "C:\\Games\\TuneMora\\me.jpg", {"OLD", picture}},
        {"profile change, picture removed", "", {"OLD", "(absent)"}},
    };
    for (const Case& c : cases) {
        const auto setUp = [&] {
            fs::create_directories(Folder("Bob"));
            WriteFile(Folder("Bob") / "profile.prf", old);
            WriteFile(Folder("Bob") / "avatar.jpg", "OLD");
            WriteFile(game / "me.jpg", picture);
        };
        const auto change = [&] {
            return Write("Bob", {"Robert", "bob2", true, c.chosen}, "avatar.jpg");
        };
        setUp();
        RecordSteps(Folder("Bob") / "profile.prf", change);
        SweepEveryCall(c.label, setUp, change,
                       [&](const std::optional<Fault>& fault, const std::string& reported) {
                           // The old picture's file is deleted last, once the profile no
                           // longer names it; a failed delete leaves it behind unreported.
                           const bool silent = fault && fault->call == tmt::test::Call::Remove;
                           if (silent) {
                               EXPECT_EQ(reported, "");
                               EXPECT_FALSE(tmt::IniFile(tmt::ProfileFilePath(kInstallDir, "Bob"))
                                                .ValueExists("profile", "avatar"));
                           }
                           ExpectWholeProfile(silent ? std::nullopt : fault, reported, "Bob",
                                              c.avatars);
                       });
    }
}

// Deletes report nothing; what a fault leaves behind must still be whole files.
TEST_F(FaultSweep, DeletingAProfileLeavesOnlyWholeFiles) {
    const std::map<std::string, std::string> files = {
        {"profile.prf", "[profile]\r\nname=Bob\r\n"},
        {"avatar.jpg", std::string(20000, 'A')},
        {"replays/deep/r1.dat", std::string(30000, 'R')},
    };
    SweepEveryCall(
        "profile delete",
        [&] {
            for (const auto& [name, bytes] : files) {
                WriteFile(Folder("Bob") / name, bytes);
            }
        },
        [&] {
            tmt::DeleteProfile(kInstallDir, "Bob", tmt::platform::CleanupDir);
            return std::string();
        },
        [&](const std::optional<Fault>& fault, const std::string&) {
            for (const auto& [name, bytes] : files) {
                const auto now = ContentOf(Folder("Bob") / name);
                EXPECT_TRUE(!now || *now == bytes) << name;
            }
            if (!fault) {
                EXPECT_FALSE(fs::exists(Folder("Bob")));
            }
        });
}

TEST_F(FaultSweep, TempCleanupThatCannotDeleteIsSeenAsIncomplete) {
    const fs::path temp = game / "Temp";
    const std::map<std::string, std::string> files = {
        {"a.log", "a"}, {"sub/b.tmp", std::string(5000, 'b')}, {"sub/deep/c.tmp", "c"}};
    SweepEveryCall(
        "Temp cleanup",
        [&] {
            for (const auto& [name, bytes] : files) {
                WriteFile(temp / name, bytes);
            }
        },
        [&] {
            tmt::platform::CleanupDir("C:\\Games\\TuneMora\\Temp\\");
            return tmt::platform::IsFolderEmpty("C:\\Games\\TuneMora\\Temp\\")
                       ? std::string()
                       : std::string("incomplete");
        },
        [&](const std::optional<Fault>& fault, const std::string& reported) {
            // A delete refused for want of rights is tried again after the rights are given.
            const bool recovers = !fault || fault->error == EACCES;
            EXPECT_EQ(reported, recovers ? "" : "incomplete");
            for (const auto& [name, bytes] : files) {
                const auto now = ContentOf(temp / name);
                EXPECT_TRUE(!now || *now == bytes) << name;
            }
            EXPECT_TRUE(fs::is_directory(temp));
        });
}

} // namespace
