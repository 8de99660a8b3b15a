#include "platform/linux/OwnedFiles.h"
#include "platform/linux/PrefixRegistry.h"
#include "tests/platform/linux/managers/ManagerTest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

namespace {

namespace fs = std::filesystem;
namespace limits = tmt::platform::limits;
using tmt::test::WriteFile;

constexpr char kKey[] = "SOFTWARE\\\\TuneMora";

// `text`, then a comment of `comment` and filler that brings it to `size` bytes.
std::string Padded(const std::string& text, const std::string& comment, std::size_t size) {
    std::string padded = text + comment;
    padded.resize(size, 'x');
    padded.back() = '\n';
    return padded;
}

// One kind of record: it lays the record out at a given size and says what the search finds.
struct RecordCase {
    const char* record;
    std::size_t cap;
    std::function<void(const fs::path& home, std::size_t size)> layOut;
    std::vector<std::string> whenRead;
    std::vector<std::string> whenSkipped;
};

class RecordCapsTest : public tmt::test::ManagerTest {
protected:
    // The reason the game of the one installation found does not start, with no runner anywhere.
    std::string StartFailure() {
        const auto found = Find();
        if (found.size() != 1) {
            return "found " + std::to_string(found.size());
        }
        home.Set("PATH", (home.Path() / "no-programs").string());
        return StartGame(found[0], "").reason;
    }
};

TEST_F(RecordCapsTest, EachRecordIsReadUpToItsCapAndNotBeyond) {
    const std::vector<RecordCase> cases = {
        {"bottle.yml",
         limits::kBottle,
         [this](const fs::path& h, std::size_t size) {
             home.MakePrefix(h / ".local/share/bottles/bottles/Music");
             WriteFile(h / ".local/share/bottles/bottles/Music/bottle.yml",
                       Padded("Name: Music\n", "#", size));
         },
         {"Bottles: Music"},
         {}},
        {"a Lutris game",
         limits::kLutrisConfig,
         [this](const fs::path& h, std::size_t size) {
             home.MakePrefix(h / "Games/lutris");
             WriteFile(h / ".config/lutris/games/tunemora-1.yml",
                       Padded("game:\n  prefix: ~/Games/lutris\n", "#", size));
         },
         {"Lutris: tunemora"},
         {}},
        {"a Heroic game",
         limits::kHeroicGame,
         [this](const fs::path& h, std::size_t size) {
             home.MakePrefix(h / "Games/heroic");
             std::string json = R"({"h": {"winePrefix": "~/Games/heroic"}})";
             json.resize(size, ' ');
             WriteFile(h / ".config/heroic/GamesConfig/h.json", json);
         },
         {"Heroic: h"},
         {}},
        {"Heroic's library",
         limits::kHeroicLibrary,
         [this](const fs::path& h, std::size_t size) {
             home.MakePrefix(h / "Games/heroic");
             WriteFile(h / ".config/heroic/GamesConfig/h.json",
                       R"({"h": {"winePrefix": "~/Games/heroic"}})");
             std::string json = R"({"games": [{"app_name": "h", "title": "TuneMora"}]})";
             json.resize(size, ' ');
             WriteFile(h / ".config/heroic/sideload_apps/library.json", json);
         },
         {"Heroic: TuneMora"},
         {"Heroic: h"}},
        {"libraryfolders.vdf",
         limits::kSteamLibraries,
         [this](const fs::path& h, std::size_t size) {
             const fs::path steam = h / ".steam/steam";
             tmt::test::WriteLibraryFolders(steam / "steamapps", steam, h / "Library");
             const fs::path vdf = steam / "steamapps/libraryfolders.vdf";
             WriteFile(vdf, Padded(tmt::test::ReadFile(vdf), "//", size));
             home.MakePrefix(h / "Library/steamapps/compatdata/1000/pfx");
             tmt::test::WriteAppManifest(h / "Library/steamapps", "1000", "TuneMora");
         },
         {"Steam: TuneMora"},
         {}},
        {"an app manifest",
         limits::kSteamManifest,
         [this](const fs::path& h, std::size_t size) {
             const fs::path steam = h / ".steam/steam";
             home.MakePrefix(steam / "steamapps/compatdata/1000/pfx");
             tmt::test::WriteAppManifest(steam / "steamapps", "1000", "TuneMora");
             const fs::path acf = steam / "steamapps/appmanifest_1000.acf";
             WriteFile(acf, Padded(tmt::test::ReadFile(acf), "//", size));
         },
         {"Steam: TuneMora"},
         {"Steam: Steam app 1000"}},
    };
    for (const RecordCase& record : cases) {
        for (const std::size_t size : {record.cap, record.cap + 1}) {
            SCOPED_TRACE(std::string(record.record) + " of " + std::to_string(size) + " bytes");
            const tmt::test::FakeHome place;
            record.layOut(place.Path(), size);
            EXPECT_EQ(Sources(Find()), size <= record.cap ? record.whenRead : record.whenSkipped);
        }
    }
}

TEST_F(RecordCapsTest, PlayOnLinuxsSettingsAreReadUpToTheirCap) {
    const fs::path pol = home.Path() / ".PlayOnLinux";
    home.MakePrefix(pol / "wineprefix" / "TuneMora");
    runners.Install(pol / "wine/linux-amd64/7.0/bin/wine");
    for (const std::size_t size : {limits::kSmallText, limits::kSmallText + 1}) {
        SCOPED_TRACE(size);
        WriteFile(pol / "wineprefix/TuneMora/playonlinux.cfg",
                  Padded("ARCH=amd64\nVERSION=7.0\n", "#", size));
        EXPECT_EQ(StartFailure(), size <= limits::kSmallText
                                      ? ""
                                      : "Wine is not installed: the program wine was not found.");
    }
}

// A registry of `size` bytes, most of them a hole, with the key at its very end.
void WriteSparseRegistry(const fs::path& file, std::size_t size) {
    const std::string head = "WINE REGISTRY Version 2\n\n#arch=win64\n\n";
    const std::string tail = "\n[Software\\\\Wow6432Node\\\\TuneMora] 1\n"
                             "\"InstallDir\"=\"C:\\\\Games\\\\TuneMora\"\n";
    WriteFile(file, head);
    fs::resize_file(file, size - tail.size());
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out << tail;
}

TEST_F(RecordCapsTest, TheRegistryIsReadUpToItsCapAndNotBeyond) {
    const fs::path prefix = home.Path() / "prefix";
    fs::create_directories(prefix);
    for (const std::size_t size : {limits::kRegistry, limits::kRegistry + 1}) {
        SCOPED_TRACE(size);
        WriteSparseRegistry(prefix / "system.reg", size);
        ASSERT_EQ(fs::file_size(prefix / "system.reg"), size);
        EXPECT_EQ(tmt::platform::ReadMachineKeyFromFile(prefix, kKey).has_value(),
                  size <= limits::kRegistry);
    }
}

} // namespace
