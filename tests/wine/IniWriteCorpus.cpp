// Writes: every kind of change, on every kind of file, each on a file of its own.
#include "tests/wine/Corpus.h"

#include <sys/stat.h>

namespace tmt::wine {

namespace {

using namespace std::string_literals;

struct Start {
    Start(std::string name_, std::string bytes_, bool exists_ = true, unsigned mode_ = 0644,
          std::string dosAttributes_ = {})
        : name(std::move(name_)), bytes(std::move(bytes_)), exists(exists_), mode(mode_),
          dosAttributes(std::move(dosAttributes_)) {}
    std::string name;
    std::string bytes; // the file's bytes before the write
    bool exists;
    unsigned mode;
    std::string dosAttributes; // user.DOSATTRIB, when set
};

struct Change {
    std::string section;
    std::string key;
    std::optional<std::string> value; // nothing deletes the key
};

const std::string kGameConfig = "[Graphics]\r\nResolution=1920x1080\r\nFullScreen=ON\r\n"
                                "Screens=1\r\n[Path]\r\nSongs=Default\r\n[Net]\r\n"
                                "UpdateChannel=0\r\n";
const std::string kEdited = "; written by hand\n\n[Graphics]\n  Resolution = 800x600  \n"
                            "FullScreen=\"ON\"\n;Screens=2\nScreens=1\n\n[path]\nsongs=x\n"
                            "songs=duplicate\n[Graphics]\nResolution=second\n";
const std::string kProfile = "[profile]\r\nname=Player\r\nlogin=player@example.org\r\n"
                             "locked=no\r\navatar=avatar.jpg\r\n";

std::vector<Start> Starts() {
    return {
        {"game-crlf", kGameConfig},
        {"game-lf", "[Graphics]\nResolution=1920x1080\nFullScreen=ON\n[Net]\nUpdateChannel=0\n"},
        {"game-cr", "[Graphics]\rResolution=1920x1080\rFullScreen=ON\r[Net]\rUpdateChannel=0\r"},
        {"game-no-end", "[Graphics]\r\nResolution=1920x1080\r\n[Net]\r\nUpdateChannel=0"},
        {"edited", kEdited},
        {"profile", kProfile},
        {"utf8bom", "\xEF\xBB\xBF" + kGameConfig},
        {"utf16le", EncodeFile(kGameConfig, Encoding::Utf16Le)},
        {"utf16be", EncodeFile(kGameConfig, Encoding::Utf16Be)},
        {"ansi-high", "[Graphics]\r\nResolution=1920x1080\r\nName=J\xFCrgen \x83\x5C\r\n"},
        {"nul", "[Graphics]\r\nResolution=1920\0x1080\r\nFullScreen=ON\r\n"s},
        {"empty", ""},
        {"missing", "", false},
        {"read-only-mode", kGameConfig, true, 0444},
        {"read-only-attribute", kGameConfig, true, 0644, "0x1"},
        {"keys-before-header", "Resolution=top\r\n[Graphics]\r\nResolution=1\r\n"},
    };
}

// Changes that any file may take.
std::vector<Change> CommonChanges() {
    return {
        {"Graphics", "Resolution", "1280x720"},
        {"Graphics", "Resolution", "1920x1080"},
        {"graphics", "RESOLUTION", "640x480"},
        {"Graphics", "Screens", "2"},
        {"Graphics", "NewKey", "new"},
        {"NewSection", "Key", "value"},
        {"Graphics", "Resolution", std::nullopt},
        {"Graphics", "Missing", std::nullopt},
        {"Nowhere", "Missing", std::nullopt},
        {"Net", "UpdateChannel", std::nullopt},
        {"Graphics", "Resolution", ""},
        {"Graphics", "Resolution", "  blanks around  "},
        {"Graphics", "Resolution", "\"quoted\""},
        {"Graphics", "Resolution", "'single'"},
        {"Graphics", " Resolution ", "spaced name"},
        {" Graphics ", "Resolution", "spaced section"},
        {"Path", "Songs", "C:\\Games\\TuneMora\\M\u00FCsic"},
        {"profile", "name", "Gr\u00FC\u00DFe"},
        {"profile", "name", "\u017B\u00F3\u0142\u0107"},
        {"profile", "name", "\u0414\u043E\u043C"},
        {"profile", "name", "\u65E5\u672C\u8A9E"},
        {"profile", "name", "\u20AC \u0100"},
        {"profile", "name", "\xF0\x9F\x8E\xB5"},
        {"Gr\u00FC\u00DFe", "\u0416", "1"},
        {"Graphics", "Long", std::string(3000, 'L')},
    };
}

// Changes that would break the file's lines apart, or could not be read back as they were given.
std::vector<Change> UnsafeChanges() {
    return {
        {"Graphics", "Resolution", "line\r\nInjected=1"},
        {"Graphics", "Resolution", "a\nb"},
        {"Graphics", "Key\r\nInjected", "1"},
        {"Graph\nics", "Key", "1"},
        {"Graphics", "", "empty key"},
        {"Graphics", "a=b", "equals in key"},
        {"Graphics", "[Key", "bracket key"},
        {"Graphics", ";Key", "comment key"},
        {"Gra]phics", "Key", "bracket section"},
    };
}

} // namespace

void AddIniWriteCorpus(Corpus& corpus, Rng& rng) {
    int n = 0;
    const auto add = [&](const Start& start, const Change& change) {
        const std::string path = "w/" + std::to_string(++n) + "-" + start.name + ".ini";
        if (start.exists) {
            corpus.File("mut/" + path, start.bytes);
            if (!start.dosAttributes.empty()) {
                corpus.DosAttributes("mut/" + path, start.dosAttributes);
            }
            if (start.mode != 0644) {
                corpus.Mode("mut/" + path, start.mode);
            }
        }
        corpus.Mutate("write", {path, change.section, change.key, change.value});
    };
    for (const Start& start : Starts()) {
        for (const Change& change : CommonChanges()) {
            add(start, change);
        }
    }
    const std::vector<Start> starts = Starts();
    for (const Change& change : UnsafeChanges()) {
        add(starts[0], change);
        add(starts[7], change);
    }
    // A few writes of random names and values into random starting files.
    const std::vector<std::string> names = {"Graphics", "graphics", "Net", "x", " y ", "\u00E9"};
    const std::vector<std::string> values = {"1",      " 2 ", "\"3\"", "v=w", ";c", "\u00E9\u00E8",
                                             "\u0436", "#",   ""};
    for (int i = 0; i < 40; ++i) {
        const Start& start = rng.Pick(starts);
        add(start, {rng.Pick(names), rng.Pick(names),
                    rng.Chance(15) ? std::nullopt : std::optional(rng.Pick(values))});
    }
}

} // namespace tmt::wine
