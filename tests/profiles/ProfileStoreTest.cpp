#include "profiles/ProfileStore.h"

#include "core/Error.h"
#include "core/Random.h"
#include "platform/FolderCleanup.h"
#include "tests/support/FaultInjection.h"
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <optional>

namespace {

namespace fs = std::filesystem;
using tmt::test::ReadFile;
using tmt::test::WriteFile;

constexpr char kInstallDir[] = "C:\\Games\\TuneMora";

class ProfileStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        game = prefix.MakeGameFolder("Games/TuneMora");
        profiles = game / "Profiles";
        fs::create_directory(profiles);
    }
    void TearDown() override { tmt::SetRandomSequenceForTesting({}); }

    void MakeProfile(const std::string& folder, const std::string& prf) const {
        fs::create_directories(profiles / folder);
        WriteFile(profiles / folder / "profile.prf", prf);
    }
    std::vector<std::string> FoldersOnDisk() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(profiles)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static ino_t Inode(const fs::path& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
    }
    tmt::IniFile Profile(const std::string& folder) const {
        return tmt::IniFile(tmt::ProfileFilePath(kInstallDir, folder));
    }

    tmt::test::TestPrefix prefix;
    fs::path game;
    fs::path profiles;
};

// Listing

TEST_F(ProfileStoreTest, ListingPairsDisplayNamesWithFoldersInWinesOrder) {
    MakeProfile("Alice", "[profile]\r\nname=Alice Liddell\r\n");
    MakeProfile("NoName", "[profile]\r\nlogin=x\r\n");
    MakeProfile("emptyName", "[Profile]\r\nNAME=\r\n");
    MakeProfile("OtherSection", "[settings]\r\nname=Not this\r\n");
    fs::create_directory(profiles / "NoFile");
    MakeProfile("Hidden", "[profile]\r\nname=Hidden\r\n");
    ASSERT_EQ(::setxattr((profiles / "Hidden").c_str(), "user.DOSATTRIB", "0x2", 3, 0), 0);
    MakeProfile("System", "[profile]\r\nname=System\r\n");
    ASSERT_EQ(::setxattr((profiles / "System").c_str(), "user.DOSATTRIB", "0x4", 3, 0), 0);
    MakeProfile(".dot", "[profile]\r\nname=Dot\r\n");
    WriteFile(profiles / "stray.prf", "[profile]\r\nname=Stray\r\n");

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Alice", "Alice Liddell"},
        {"emptyName", ""},
        {"NoFile", tmt::kNameNotFound},
        {"NoName", tmt::kNameNotFound},
        {"OtherSection", tmt::kNameNotFound}};
    const std::vector<tmt::ListedProfile> listed = tmt::ListProfiles(kInstallDir);
    ASSERT_EQ(listed.size(), expected.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].folderName, expected[i].first);
        EXPECT_EQ(listed[i].displayName, expected[i].second) << expected[i].first;
    }
}

TEST_F(ProfileStoreTest, ListingWithoutProfilesFolderIsEmpty) {
    fs::remove(profiles);
    EXPECT_TRUE(tmt::ListProfiles(kInstallDir).empty());
    EXPECT_FALSE(fs::exists(profiles));
}

// Creating a profile folder

// The profile file itself is made by the first write.
TEST_F(ProfileStoreTest, ANameGetsItsOwnFolderOrANumberedSibling) {
    struct Case {
        const char* label;
        std::vector<std::string> existing;
        std::string typed;
        std::vector<std::uint32_t> draws;
        std::string folder;
        std::uint32_t leftOver; // the draw after the ones the creation used
    };
    const Case cases[] = {
        {"new name", {}, "Bob", {99}, "Bob", 99},
        {"one draw", {"Bob"}, "Bob", {17, 99}, "Bob17", 99},
        {"drawn folder exists too", {"Bob", "Bob17"}, "Bob", {17, 99, 5}, "Bob99", 5},
        {"case folds as Windows does", {"bob"}, "Bob", {3, 4}, "Bob3", 4},
        {"largest draw", {"Bob"}, "Bob", {2147483646, 1}, "Bob2147483646", 1},
        {"draws stay below 7FFFFFFF", {"Bob"}, "Bob", {2147483647, 1}, "Bob0", 1},
        {"empty name is the number alone", {}, "", {42, 1}, "42", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(profiles);
        fs::create_directory(profiles);
        for (const std::string& folder : c.existing) {
            fs::create_directory(profiles / folder);
        }
        tmt::SetRandomSequenceForTesting(c.draws);
        EXPECT_EQ(tmt::CreateProfileFolder(kInstallDir, c.typed),
                  "C:\\Games\\TuneMora\\Profiles\\" + c.folder + "\\profile.prf");
        EXPECT_TRUE(fs::is_directory(profiles / c.folder));
        EXPECT_FALSE(fs::exists(profiles / c.folder / "profile.prf"));
        EXPECT_EQ(tmt::RandomBelow(1000), c.leftOver);
    }
}

TEST_F(ProfileStoreTest, SeededDrawsKeepGoingUntilAFolderIsFree) {
    fs::create_directory(profiles / "Bob");
    tmt::SeedRandom(7);
    const std::uint32_t first = tmt::RandomBelow(2147483647);
    fs::create_directory(profiles / ("Bob" + std::to_string(first)));
    tmt::SeedRandom(7);
    const auto path = tmt::CreateProfileFolder(kInstallDir, "Bob");
    ASSERT_TRUE(path.has_value());
    EXPECT_NE(*path,
              "C:\\Games\\TuneMora\\Profiles\\Bob" + std::to_string(first) + "\\profile.prf");
    EXPECT_EQ(FoldersOnDisk().size(), 3u);
}

TEST_F(ProfileStoreTest, FolderThatCannotBeMadeSurfacesAtTheFirstWrite) {
    struct Case {
        const char* label;
        std::string typed;
        bool removeProfiles;
    };
    const Case cases[] = {{"Profiles missing", "Bob", true},
                          {"colon", "a:b", false},
                          {"asterisk", "a*b", false},
                          {"control character", "Bo\tb", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(profiles);
        if (!c.removeProfiles) {
            fs::create_directory(profiles);
        }
        const auto path = tmt::CreateProfileFolder(kInstallDir, c.typed);
        ASSERT_TRUE(path.has_value());
        const std::string expected = "C:\\Games\\TuneMora\\Profiles\\" + c.typed + "\\profile.prf";
        EXPECT_EQ(*path, expected);
        tmt::IniFile ini(*path);
        std::string stored;
        try {
            tmt::WriteProfile(ini, {c.typed, "login", false, ""}, stored);
            ADD_FAILURE() << "the write succeeded";
        } catch (const tmt::Error& error) {
            EXPECT_EQ(std::string(error.what()), "Unable to write to " + expected);
        }
        EXPECT_EQ(fs::exists(profiles), !c.removeProfiles);
        if (!c.removeProfiles) {
            EXPECT_TRUE(FoldersOnDisk().empty());
        }
    }
}

TEST_F(ProfileStoreTest, DotsAndBlanksThatEndTheNameNameTheFolderAsWindowsDoes) {
    // Windows and Wine make "Jr." as Jr; Wine then writes Jr.\profile.prf into Jr as well, but
    // fails on "Sp \profile.prf". The file goes into the folder that was made in both cases.
    const std::pair<std::string, std::string> cases[] = {
        {"Jr.", "Jr"}, {"Sp ", "Sp"}, {"Mix . .", "Mix"}};
    for (const auto& [typed, folder] : cases) {
        SCOPED_TRACE(typed);
        const auto path = tmt::CreateProfileFolder(kInstallDir, typed);
        ASSERT_EQ(path, "C:\\Games\\TuneMora\\Profiles\\" + folder + "\\profile.prf");
        tmt::IniFile ini(*path);
        std::string stored;
        tmt::WriteProfile(ini, {typed, "", false, ""}, stored);
        EXPECT_EQ(ReadFile(profiles / folder / "profile.prf"),
                  "[profile]\r\nname=" + typed + "\r\nlogin=\r\nlocked=no\r\n");
    }
    EXPECT_EQ(FoldersOnDisk(), (std::vector<std::string>{"Jr", "Mix", "Sp"}));
    tmt::SetRandomSequenceForTesting({5, 6});
    EXPECT_EQ(tmt::CreateProfileFolder(kInstallDir, "Jr."),
              "C:\\Games\\TuneMora\\Profiles\\Jr.5\\profile.prf")
        << "Jr. names the folder Jr, which exists";
}

TEST_F(ProfileStoreTest, NamesTheAnsiCodePageLacksAreStoredAsUnicode) {
    const std::string names[] = {"\u0418\u0432\u0430\u043d", "\u0141ukasz", "\u65e5\u672c"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const auto path = tmt::CreateProfileFolder(kInstallDir, name);
        ASSERT_TRUE(path.has_value());
        tmt::IniFile ini(*path);
        std::string stored;
        tmt::WriteProfile(ini, {name, name, false, ""}, stored);
        EXPECT_EQ(ReadFile(profiles / name / "profile.prf").substr(0, 2), "\xFF\xFE");
        const tmt::LoadedProfile loaded = tmt::LoadProfile(ini);
        EXPECT_EQ(loaded.name, name);
        EXPECT_EQ(loaded.login, name);
        EXPECT_EQ(loaded.locked, "no");
    }
    const std::vector<tmt::ListedProfile> listed = tmt::ListProfiles(kInstallDir);
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].displayName, names[1]) << "\u0141 sorts before the Cyrillic letters";
}

TEST_F(ProfileStoreTest, AnAnsiProfileFileThatCannotHoldTheNewNameIsLeftAlone) {
    const std::string prf = "[profile]\r\nname=Bob\r\nlogin=bob\r\nlocked=yes\r\n";
    MakeProfile("Bob", prf);
    tmt::IniFile ini = Profile("Bob");
    std::string stored;
    try {
        tmt::WriteProfile(ini, {"Bob", "\u65e5\u672c", false, ""}, stored);
        FAIL() << "no error raised";
    } catch (const tmt::Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "C:\\Games\\TuneMora\\Profiles\\Bob\\profile.prf cannot store these "
                  "characters: \u65e5 \u672c");
    }
    EXPECT_EQ(ReadFile(profiles / "Bob" / "profile.prf"), prf);
}

// A name with a separator would reach outside Profiles; one with a dot in front would make a
// folder the list does not show.
TEST_F(ProfileStoreTest, RefusedNamesMakeNothing) {
    const auto before = [this] {
        std::vector<std::string> all;
        for (const auto& entry : fs::recursive_directory_iterator(prefix.DriveC())) {
            all.push_back(entry.path().string());
        }
        std::sort(all.begin(), all.end());
        return all;
    };
    const auto snapshot = before();
    const std::pair<std::string, const char*> refused[] = {{"..\\..\\X", tmt::kSeparatorInName},
                                                           {"../X", tmt::kSeparatorInName},
                                                           {"a\\b", tmt::kSeparatorInName},
                                                           {"a/b", tmt::kSeparatorInName},
                                                           {"\\", tmt::kSeparatorInName},
                                                           {"/", tmt::kSeparatorInName},
                                                           {"Bob\\", tmt::kSeparatorInName},
                                                           {".hidden", tmt::kDotInFront},
                                                           {".", tmt::kDotInFront},
                                                           {"...", tmt::kDotInFront}};
    for (const auto& [typed, reason] : refused) {
        SCOPED_TRACE(typed);
        tmt::SetRandomSequenceForTesting({1});
        EXPECT_EQ(tmt::RefusedProfileName(typed), std::string(reason));
        EXPECT_EQ(tmt::CreateProfileFolder(kInstallDir, typed), std::nullopt);
        EXPECT_EQ(before(), snapshot);
    }
    EXPECT_EQ(tmt::RefusedProfileName(" .lead"), std::nullopt);
}

// Loading a profile

TEST_F(ProfileStoreTest, LoadingReportsEachKeyAsPresentOrAbsent) {
    MakeProfile("Full", "[PROFILE]\r\nNAME=Bob\r\nlogin=\r\nLocked=Yes\r\navatar=me.jpg\r\n");
    const tmt::LoadedProfile full = tmt::LoadProfile(Profile("Full"));
    EXPECT_EQ(full.name, "Bob");
    EXPECT_EQ(full.login, "");
    EXPECT_EQ(full.locked, "Yes");
    EXPECT_EQ(full.avatar, "me.jpg");

    MakeProfile("Partial", "[profile]\r\nname=Ann\r\n");
    const tmt::LoadedProfile partial = tmt::LoadProfile(Profile("Partial"));
    EXPECT_EQ(partial.name, "Ann");
    EXPECT_EQ(partial.login, std::nullopt);
    EXPECT_EQ(partial.locked, std::nullopt);
    EXPECT_EQ(partial.avatar, std::nullopt);

    fs::create_directory(profiles / "NoFile");
    const tmt::LoadedProfile none = tmt::LoadProfile(Profile("NoFile"));
    EXPECT_FALSE(none.name || none.login || none.locked || none.avatar);
    EXPECT_EQ(tmt::AvatarPath(tmt::ProfileFilePath(kInstallDir, "Full"), "me.jpg"),
              "C:\\Games\\TuneMora\\Profiles\\Full\\me.jpg");
}

// Writing a profile

TEST_F(ProfileStoreTest, NewProfileFileHoldsTheKeysInTheGamesOrder) {
    fs::create_directory(profiles / "Bob");
    WriteFile(game / "me.jpg", "JPEGBYTES");
    tmt::IniFile ini = Profile("Bob");
    std::string stored;
    EXPECT_TRUE(
        tmt::WriteProfile(ini, {"Bob", "bob1", true, "C:\\Games\\TuneMora\\me.jpg"}, stored));
    EXPECT_EQ(ReadFile(profiles / "Bob" / "profile.prf"),
              "[profile]\r\nname=Bob\r\nlogin=bob1\r\nlocked=yes\r\navatar=avatar.jpg\r\n");
    EXPECT_EQ(stored, "avatar.jpg");
    EXPECT_EQ(ReadFile(profiles / "Bob" / "avatar.jpg"), "JPEGBYTES");
    EXPECT_EQ(ReadFile(game / "me.jpg"), "JPEGBYTES");

    tmt::IniFile plain = Profile("Bob");
    fs::remove(profiles / "Bob" / "profile.prf");
    stored.clear();
    EXPECT_TRUE(tmt::WriteProfile(plain, {"", "", false, ""}, stored));
    EXPECT_EQ(ReadFile(profiles / "Bob" / "profile.prf"),
              "[profile]\r\nname=\r\nlogin=\r\nlocked=no\r\n");
}

TEST_F(ProfileStoreTest, UnchangedAvatarIsNeitherCopiedNorRewritten) {
    const std::string prf = "[profile]\r\nname=Bob\r\navatar = avatar.jpg\r\nlocked=Yes\r\n";
    MakeProfile("Bob", prf);
    WriteFile(profiles / "Bob" / "avatar.jpg", "OLD");
    const ino_t inode = Inode(profiles / "Bob" / "avatar.jpg");
    tmt::IniFile ini = Profile("Bob");
    std::string stored = "avatar.jpg";
    EXPECT_TRUE(tmt::WriteProfile(
        ini, {"Bob", "", false, "C:\\Games\\TuneMora\\Profiles\\Bob\\avatar.jpg"}, stored));
    EXPECT_EQ(ReadFile(profiles / "Bob" / "profile.prf"),
              "[profile]\r\nname=Bob\r\navatar = avatar.jpg\r\nlocked=no\r\nlogin=\r\n");
    EXPECT_EQ(Inode(profiles / "Bob" / "avatar.jpg"), inode);
    EXPECT_EQ(stored, "avatar.jpg");
}

TEST_F(ProfileStoreTest, PictureIsAlwaysStoredAsAvatarJpgAndTheOriginalStays) {
    struct Case {
        const char* label;
        std::string source; // native, below the game folder
        std::string chosen;
    };
    const Case cases[] = {
        {"another file of the folder", "Profiles/Bob/me.jpg",
         "C:\\Games\\TuneMora\\Profiles\\Bob\\me.jpg"},
        {"a .jpeg elsewhere", "Pictures/cat.jpeg", "C:\\Games\\TuneMora\\Pictures\\cat.jpeg"},
        {"the avatar itself named another way", "Profiles/Bob/avatar.jpg",
         "C:\\GAMES\\TuneMora\\Profiles\\Bob\\avatar.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(profiles / "Bob");
        MakeProfile("Bob", "[profile]\r\nname=Bob\r\navatar=me.jpg\r\n");
        WriteFile(game / c.source, "PICTURE");
        tmt::IniFile ini = Profile("Bob");
        std::string stored = "me.jpg";
        EXPECT_TRUE(tmt::WriteProfile(ini, {"Bob", "", false, c.chosen}, stored));
        EXPECT_EQ(stored, "avatar.jpg");
        EXPECT_EQ(ini.ReadString("profile", "avatar", ""), "avatar.jpg");
        EXPECT_EQ(ReadFile(profiles / "Bob" / "avatar.jpg"), "PICTURE");
        EXPECT_EQ(ReadFile(game / c.source), "PICTURE");
    }
}

TEST_F(ProfileStoreTest, NoPictureDropsTheKeyAndTheStoredFileOnly) {
    MakeProfile("Bob", "[profile]\r\nname=Bob\r\navatar=avatar.jpg\r\n");
    WriteFile(profiles / "Bob" / "avatar.jpg", "A");
    WriteFile(profiles / "Bob" / "me.jpg", "M");
    tmt::IniFile ini = Profile("Bob");
    std::string stored = "avatar.jpg";
    EXPECT_TRUE(tmt::WriteProfile(ini, {"Bob", "", false, ""}, stored));
    EXPECT_FALSE(ini.ValueExists("profile", "avatar"));
    EXPECT_FALSE(fs::exists(profiles / "Bob" / "avatar.jpg"));
    EXPECT_TRUE(fs::exists(profiles / "Bob" / "me.jpg"));

    // Without a stored avatar no file goes, also not one called avatar.jpg.
    WriteFile(profiles / "Bob" / "avatar.jpg", "A");
    stored.clear();
    EXPECT_TRUE(tmt::WriteProfile(ini, {"Bob", "", false, ""}, stored));
    EXPECT_TRUE(fs::exists(profiles / "Bob" / "avatar.jpg"));

    // A read-only old avatar stays, as DeleteFileW leaves it under Wine.
    fs::permissions(profiles / "Bob" / "avatar.jpg", fs::perms::owner_read);
    stored = "avatar.jpg";
    EXPECT_TRUE(tmt::WriteProfile(ini, {"Bob", "", false, ""}, stored));
    EXPECT_TRUE(fs::exists(profiles / "Bob" / "avatar.jpg"));
}

TEST_F(ProfileStoreTest, FailedCopyLeavesTheProfileWithoutAvatarAndTheOldFileWhole) {
    struct Case {
        const char* label;
        std::string chosen;
        bool failRename;
    };
    const Case cases[] = {
        {"picture gone", "C:\\Games\\TuneMora\\gone.jpg", false},
        {"rename fails", "C:\\Games\\TuneMora\\new.jpg", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        MakeProfile("Bob", "[profile]\r\nname=Bob\r\navatar=avatar.jpg\r\n");
        WriteFile(profiles / "Bob" / "avatar.jpg", "OLD");
        WriteFile(game / "new.jpg", "NEW");
        tmt::IniFile ini = Profile("Bob");
        std::string stored = "avatar.jpg";
        bool copied = true;
        {
            // The name, login and locked writes rename three times; the copy's rename is next.
            std::optional<tmt::test::FailNthCall> fault;
            if (c.failRename) {
                fault.emplace(tmt::platform::fileops::Call::Rename, 4, EIO);
            }
            copied = tmt::WriteProfile(ini, {"Bob", "", false, c.chosen}, stored);
        }
        EXPECT_FALSE(copied);
        EXPECT_EQ(stored, "");
        EXPECT_FALSE(ini.ValueExists("profile", "avatar"));
        EXPECT_EQ(ReadFile(profiles / "Bob" / "avatar.jpg"), "OLD");
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(profiles / "Bob")) {
            files.push_back(entry.path().filename().string());
        }
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, (std::vector<std::string>{"avatar.jpg", "profile.prf"}));
    }
}

TEST_F(ProfileStoreTest, FailedWriteEndsTheWritingAtThatKey) {
    fs::create_directory(profiles / "Bob");
    WriteFile(game / "me.jpg", "PICTURE");
    tmt::IniFile ini = Profile("Bob");
    std::string stored;
    {
        const tmt::test::FailNthCall fault(tmt::platform::fileops::Call::Rename, 2, EIO);
        EXPECT_THROW(
            tmt::WriteProfile(ini, {"Bob", "bob1", true, "C:\\Games\\TuneMora\\me.jpg"}, stored),
            tmt::Error);
    }
    EXPECT_EQ(ReadFile(profiles / "Bob" / "profile.prf"), "[profile]\r\nname=Bob\r\n");
    EXPECT_FALSE(fs::exists(profiles / "Bob" / "avatar.jpg"));
    EXPECT_EQ(stored, "");
}

// Deleting a profile

TEST_F(ProfileStoreTest, DeletionTakesTheFolderWithEverythingInItLockedOrNot) {
    MakeProfile("Locked", "[profile]\r\nname=L\r\nlocked=yes\r\navatar=avatar.jpg\r\n");
    WriteFile(profiles / "Locked" / "avatar.jpg", "A");
    WriteFile(profiles / "Locked" / "notes.txt", "N");
    WriteFile(profiles / "Locked" / "replays" / "deep" / "r1.dat", "R");
    fs::permissions(profiles / "Locked" / "notes.txt", fs::perms::owner_read);
    MakeProfile("Other", "[profile]\r\nname=O\r\n");
    std::vector<std::string> cleaned;
    tmt::DeleteProfile(kInstallDir, "Locked", [&cleaned](const std::string& folder) {
        cleaned.push_back(folder);
        tmt::platform::CleanupDir(folder);
    });
    EXPECT_EQ(cleaned, std::vector<std::string>{"C:\\Games\\TuneMora\\Profiles\\Locked"});
    EXPECT_EQ(FoldersOnDisk(), std::vector<std::string>{"Other"});
    EXPECT_TRUE(fs::exists(profiles / "Other" / "profile.prf"));
}

TEST_F(ProfileStoreTest, ProfileFolderThatIsALinkGoesAsALink) {
    WriteFile(game / "Elsewhere" / "precious.txt", "P");
    WriteFile(game / "Elsewhere" / "profile.prf", "[profile]\r\nname=Linked\r\n");
    fs::create_directory_symlink(game / "Elsewhere", profiles / "Linked");
    ASSERT_EQ(tmt::ListProfiles(kInstallDir).size(), 1u);
    bool cleanupRan = false;
    tmt::DeleteProfile(kInstallDir, "Linked", [&](const std::string&) { cleanupRan = true; });
    EXPECT_FALSE(cleanupRan);
    EXPECT_FALSE(fs::exists(fs::symlink_status(profiles / "Linked")));
    EXPECT_EQ(ReadFile(game / "Elsewhere" / "precious.txt"), "P");
}

} // namespace
