// INI files as games, editors and people leave them, each read with the queries a reader may
// make of it: values, section key lists, names in other letter cases, absent names.
#include "tests/wine/Corpus.h"

#include <set>

namespace tmt::wine {

namespace {

const std::vector<Encoding> kTextEncodings = {Encoding::Bytes, Encoding::Utf8Bom, Encoding::Utf16Le,
                                              Encoding::Utf16Be, Encoding::Utf16LeNoBom};

struct Query {
    std::string section;
    std::vector<std::string> keys;
};

// One file and its queries: every key asked in every section named, and every section's key list.
class IniFile {
public:
    IniFile(Corpus& corpus, std::string name) : corpus_(corpus), path_("ini/" + std::move(name)) {}

    void Write(std::string_view bytes) { corpus_.File("ro/" + path_, bytes); }
    void Ask(const std::vector<Query>& queries, const std::string& defaultValue = "def") {
        std::set<std::string> listed;
        for (const Query& query : queries) {
            for (const std::string& key : query.keys) {
                corpus_.Read("read", {path_, query.section, key, defaultValue});
            }
            if (listed.insert(query.section).second) {
                corpus_.Read("keys", {path_, query.section});
            }
        }
    }

private:
    Corpus& corpus_;
    std::string path_;
};

std::string WithLineEnds(std::string_view text, std::string_view end) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += end;
        } else {
            out += c;
        }
    }
    return out;
}

// ---- the game's own files, with names in the scripts of the five locales ----

struct Person {
    std::string tag;
    std::string utf8;      // the name as text
    std::string ansiBytes; // the same name in its own ANSI code page
};

const std::vector<Person> kPeople = {
    {"de", "J\u00FCrgen Gro\u00DF", "J\xFCrgen Gro\xDF"},
    {"pl", "Pawe\u0142 \u017B\u00F3\u0142\u0107", "Pawe\xB3 \xAF\xF3\xB3\xE6"},
    {"ru", "\u0414\u043C\u0438\u0442\u0440\u0438\u0439", "\xC4\xEC\xE8\xF2\xF0\xE8\xE9"},
    {"ja", "\u5C71\u7530\u592A\u90CE", "\x8E\x52\x93\x63\x91\xBE\x98\x59"},
    // Shift-JIS characters whose second byte is a backslash or a bracket.
    {"ja2", "\u30BD\u30D5\u30C8\u8868\u793A\u30BE",
     "\x83\x5C\x83\x74\x83\x67\x95\x5C\x8E\xA6\x83\x5D"},
    {"ascii", "Player One", "Player One"},
};

void AddGameFiles(Corpus& corpus) {
    const std::string config = "[Graphics]\n"
                               "Resolution=1920x1080\n"
                               "FullScreen=ON\n"
                               "Screens=1\n"
                               "[Path]\n"
                               "Songs=C:\\Games\\TuneMora\\Songs\n"
                               "[Net]\n"
                               "UpdateChannel=2\n";
    const std::vector<Query> configQueries = {
        {"Graphics", {"Resolution", "FullScreen", "Screens", "resolution", "Missing"}},
        {"GRAPHICS", {"SCREENS"}},
        {"Path", {"Songs"}},
        {"Net", {"UpdateChannel", "updatechannel"}},
        {"Missing", {"Resolution"}}};
    const std::vector<std::pair<std::string, std::string>> lineEnds = {
        {"crlf", "\r\n"}, {"lf", "\n"}, {"cr", "\r"}};
    for (const Encoding encoding : kTextEncodings) {
        for (const auto& [endName, end] : lineEnds) {
            IniFile file(corpus,
                         "config-" + std::string(EncodingName(encoding)) + "-" + endName + ".ini");
            std::string text = WithLineEnds(config, end);
            text.resize(text.size() - end.size()); // no line end after the last line
            file.Write(EncodeFile(text, encoding));
            file.Ask(configQueries);
        }
    }

    const std::vector<Query> profileQueries = {
        {"profile", {"name", "login", "locked", "avatar", "NAME", "missing"}},
        {"Profile", {"Login"}}};
    for (const Person& person : kPeople) {
        const auto profile = [&](std::string_view name) {
            return "[profile]\r\nname=" + std::string(name) + "\r\nlogin=" + std::string(name) +
                   "@example.org\r\nlocked=no\r\navatar=avatar.jpg\r\n";
        };
        IniFile ansi(corpus, "profile-" + person.tag + "-ansi.prf");
        ansi.Write(profile(person.ansiBytes));
        ansi.Ask(profileQueries, "Error - Name not found");
        for (const Encoding encoding : {Encoding::Utf8Bom, Encoding::Utf16Le, Encoding::Utf16Be}) {
            IniFile file(corpus, "profile-" + person.tag + "-" +
                                     std::string(EncodingName(encoding)) + ".prf");
            file.Write(EncodeFile(profile(person.utf8), encoding));
            file.Ask(profileQueries, "Error - Name not found");
        }
        // UTF-8 without a mark is read as ANSI text.
        IniFile utf8(corpus, "profile-" + person.tag + "-utf8.prf");
        utf8.Write(profile(person.utf8));
        utf8.Ask(profileQueries);
        // Sections and keys named in the person's script.
        const std::string named = "[" + person.ansiBytes + "]\r\n" + person.ansiBytes + "=1\r\n";
        IniFile names(corpus, "names-" + person.tag + "-ansi.ini");
        names.Write(named);
        names.Ask({{person.utf8, {person.utf8, "x"}}});
        IniFile unicodeNames(corpus, "names-" + person.tag + "-utf16le.ini");
        unicodeNames.Write(
            EncodeFile("[" + person.utf8 + "]\r\n" + person.utf8 + "=1\r\n", Encoding::Utf16Le));
        unicodeNames.Ask({{person.utf8, {person.utf8, "x"}}});
    }

    // Every byte above 0x7F, in a value and as names, read in each code page.
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b) {
        high += static_cast<char>(b);
    }
    IniFile bytes(corpus, "high-bytes.ini");
    bytes.Write("[s]\r\nall=" + high + "\r\n[\x83]\r\nk=lone lead byte\r\n[\x83\x5D\r\nk=x\r\n");
    bytes.Ask({{"s", {"all"}}, {"\u30BE", {"k"}}});
}

// ---- a hand-edited file: comments, quotes, blanks, duplicates, odd headers ----

const char kEditedFile[] = "; Settings written by hand\n"
                           "# another comment style\n"
                           "\n"
                           "[Main]\n"
                           "  key1 = value one  \n"
                           "key2=\ttabbed\t\n"
                           "key3 = \"quoted value\"\n"
                           "key4='single quoted'\n"
                           "key5=\"unbalanced\n"
                           "key6=unbalanced\"\n"
                           "key7=\"\"\n"
                           "key8=\"\n"
                           "key9=' '\n"
                           "key10= \" spaced \" \n"
                           "key11=\"a\"b\"\n"
                           "key12=v ; inline comment\n"
                           "key13 = a=b=c\n"
                           "KEY1=duplicate in another case\n"
                           "key2=dup\n"
                           "=emptyname\n"
                           " = blankname\n"
                           "noequals\n"
                           ";key14=commented\n"
                           "#key15=hashed\n"
                           "key16='a\"\n"
                           "key17=\"'\n"
                           "key 18 = inner blank\n"
                           "\tkey19\t=\ttabs\n"
                           "key20=\x1a\n"
                           "[ Spaced Section ]\n"
                           "a=1\n"
                           "[main]\n"
                           "key1=second section of the same name\n"
                           "extra=only here\n"
                           "[Other]trailing\n"
                           "b=2\n"
                           "[Unclosed\n"
                           "c=3\n"
                           "[]\n"
                           "d=4\n"
                           "[Br]ack]et]\n"
                           "e=5\n"
                           "  [Indented]  \n"
                           "f=6\n"
                           "[Last]";

void AddEditedFiles(Corpus& corpus) {
    std::vector<std::string> mainKeys;
    for (int i = 1; i <= 20; ++i) {
        mainKeys.push_back("key" + std::to_string(i));
    }
    for (const char* key : {"key 18", "KEY3", "", " ", "noequals", ";key14", "#key15", "extra",
                            "\"key3\"", "key1 "}) {
        mainKeys.emplace_back(key);
    }
    const std::vector<Query> queries = {
        {"Main", mainKeys},        {"main", {"key1", "extra"}},
        {"MAIN", {"key2"}},        {" Spaced Section ", {"a"}},
        {"Spaced Section", {"a"}}, {"Other", {"b"}},
        {"Other]trailing", {"b"}}, {"Unclosed", {"c"}},
        {"[Unclosed", {"c"}},      {"", {"d", "key1", "c"}},
        {"Br]ack]et", {"e"}},      {"Br", {"e"}},
        {"Br]ack", {"e"}},         {"Indented", {"f"}},
        {"Last", {"x"}},           {"; Settings written by hand", {"x"}},
    };
    const std::vector<std::pair<std::string, std::string>> lineEnds = {
        {"crlf", "\r\n"}, {"lf", "\n"}, {"cr", "\r"}, {"crcrlf", "\r\r\n"}, {"lfcr", "\n\r"}};
    for (const Encoding encoding : kTextEncodings) {
        for (const auto& [endName, end] : lineEnds) {
            if (encoding != Encoding::Bytes && endName != "crlf" && endName != "lf") {
                continue;
            }
            IniFile file(corpus,
                         "edited-" + std::string(EncodingName(encoding)) + "-" + endName + ".ini");
            file.Write(EncodeFile(WithLineEnds(kEditedFile, end), encoding));
            file.Ask(queries);
        }
    }
    IniFile blankDefault(corpus, "edited-defaults.ini");
    blankDefault.Write(WithLineEnds(kEditedFile, "\r\n"));
    for (const char* defaultValue : {"", "  spaced default  ", "\"quoted default\"", "tab\t"}) {
        blankDefault.Ask({{"Main", {"missing", "key7"}}, {"Nowhere", {"key1"}}}, defaultValue);
    }
    // The default when there is no file to read: missing, in a missing folder, or a folder.
    for (const char* path : {"ini/missing.ini", "ini/no-folder/missing.ini", "ini"}) {
        corpus.Read("read", {path, "Main", "key1", "\"quoted default\"  "});
    }
}

// ---- NUL bytes, end-of-file marks, marks in odd places, broken sequences ----

void AddOddFiles(Corpus& corpus) {
    using namespace std::string_literals;
    const std::vector<Query> queries = {{"s", {"k", "after", "n", "x"}}, {"t", {"k"}}};
    const std::vector<std::pair<std::string, std::string>> files = {
        {"nul-in-value", "[s]\r\nk=before\0after\r\nafter=1\r\n"s},
        {"nul-in-key", "[s]\r\nk\0x=1\r\nafter=2\r\n"s},
        {"nul-in-header", "[s\0t]\r\nk=1\r\n[t]\r\nk=2\r\n"s},
        {"nul-line", "[s]\r\n\0\r\nk=1\r\n"s},
        {"nul-first", "\0[s]\r\nk=1\r\n"s},
        {"ctrl-z-end", "[s]\r\nk=1\r\n\x1a"s},
        {"ctrl-z-middle", "[s]\r\nk=1\x1a\r\nafter=2\r\n"s},
        {"bom-middle", "[s]\r\n\xEF\xBB\xBFk=1\r\n"s},
        {"utf8bom-broken", "\xEF\xBB\xBF[s]\r\nk=\xC3\x28\xA0\xFF end\r\nx=\xE2\x82\r\n"s},
        {"utf8bom-surrogate", "\xEF\xBB\xBF[s]\r\nk=\xED\xA0\x80|\xF0\x9F\x98\x80\r\n"s},
        {"utf8-nobom", "[s]\r\nk=\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80\r\n"s},
        {"empty", ""s},
        {"blanks-only", "  \r\n\t\r\n"s},
        {"utf8bom-only", "\xEF\xBB\xBF"s},
        {"utf16le-only", "\xFF\xFE"s},
        {"utf16be-only", "\xFE\xFF"s},
        // The odd byte stays after a line end: Wine reads one byte past the file to finish it.
        {"utf16le-odd", "\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0v\0\r\0\n\0x"s},
        {"utf16le-nul-unit", "\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0a\0\0\0b\0\r\0\n\0"s},
        {"utf16le-lone-surrogate", "\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\x00\xD8x\0\r\0\n\0"s},
        {"utf32le-mark", "\xFF\xFE\0\0[\0\0\0s\0\0\0]\0\0\0"s},
        {"no-line-end", "[s]"s},
        {"only-key", "k=1"s},
        {"keys-before-header", "k=top\r\nn=2\r\n[s]\r\nk=1\r\n"s},
        {"header-spaces", "[ s ]\r\nk=1\r\n[s ]\r\nk=2\r\n"s},
        {"header-tab", "\t[s]\t\r\nk=1\r\n"s},
        {"bracket-value", "[s]\r\nk=[t]\r\n[t]\r\nk=2\r\n"s},
        {"equals-key", "[s]\r\n==1\r\nk==2\r\n"s},
    };
    for (const auto& [name, bytes] : files) {
        IniFile file(corpus, "odd-" + name + ".ini");
        file.Write(bytes);
        file.Ask(queries);
    }
    // Keys before the first header belong to the section with the empty name.
    IniFile top(corpus, "odd-top-section.ini");
    top.Write("k=top\r\n[s]\r\nk=1\r\n");
    top.Ask({{"", {"k"}}});
}

// ---- values at the length of the reader's buffer and beyond ----

void AddLongValues(Corpus& corpus) {
    std::string lines = "[s]\r\n";
    std::vector<std::string> keys;
    for (const std::size_t length : {2045, 2046, 2047, 2048, 2049, 4096, 70000}) {
        const std::string key = "a" + std::to_string(length);
        lines += key + "=" + std::string(length, 'x') + "\r\n";
        lines += "q" + std::to_string(length) + "=\"" + std::string(length, 'y') + "\"\r\n";
        lines += "b" + std::to_string(length) + "=  " + std::string(length, 'z') + "  \r\n";
        keys.insert(keys.end(), {key, "q" + std::to_string(length), "b" + std::to_string(length)});
    }
    lines += std::string(300, 'k') + "=long key\r\n";
    keys.push_back(std::string(300, 'k'));
    lines += "[" + std::string(3000, 's') + "]\r\nk=long section\r\n";
    for (const Encoding encoding : {Encoding::Bytes, Encoding::Utf16Le}) {
        IniFile file(corpus, "long-" + std::string(EncodingName(encoding)) + ".ini");
        file.Write(EncodeFile(lines, encoding));
        file.Ask({{"s", keys}, {std::string(3000, 's'), {"k"}}});
    }
    // A character of two code units, or a double-byte character, across the last place.
    const std::string emoji = "\xF0\x9F\x98\x80";
    std::string unicode = "[s]\r\n";
    for (const std::size_t before : {2045, 2046, 2047}) {
        unicode += "e" + std::to_string(before) + "=" + std::string(before, 'x') + emoji + "\r\n";
    }
    IniFile pairs(corpus, "long-surrogates.ini");
    pairs.Write(EncodeFile(unicode, Encoding::Utf16Le));
    pairs.Ask({{"s", {"e2045", "e2046", "e2047"}}});
    std::string doubleBytes = "[s]\r\n";
    for (const std::size_t before : {2045, 2046, 2047}) {
        doubleBytes += "d" + std::to_string(before) + "=" + std::string(before, 'x') + "\x95\x5C" +
                       "\xFC\xDF\r\n";
    }
    IniFile ansi(corpus, "long-ansi-high.ini");
    ansi.Write(doubleBytes);
    ansi.Ask({{"s", {"d2045", "d2046", "d2047"}}});
}

// ---- random files from the pieces INI files are made of ----

const std::vector<std::string> kSectionPool = {"s",  "S",  " s ",    "t",      "sect",  "",
                                               "[x", "x]", "\u00E4", "\u0416", "\u65E5"};
const std::vector<std::string> kKeyPool = {"k", "K",     " k",  "k ",     "key",    "a",
                                           "",  "\"k\"", "'k'", "\u00E4", "\u0416", "k=v"};

// Random text in the file's eventual encoding: ANSI bytes are spelled as bytes, the others as
// UTF-8 text.
std::string RandomName(Rng& rng, bool ansi, const std::vector<std::string>& pool) {
    if (ansi && rng.Chance(15)) {
        static const std::vector<std::string> highBytes = {"\xE4", "\xC6",     "\x83\x5C",
                                                           "\xB3", "\x95\x5D", "\xFF"};
        return rng.Pick(highBytes);
    }
    return rng.Pick(pool);
}

std::string RandomValue(Rng& rng, bool ansi) {
    static const std::vector<std::string> pieces = {"v",
                                                    "value",
                                                    " ",
                                                    "\t",
                                                    "\"",
                                                    "'",
                                                    "=",
                                                    ";",
                                                    "#",
                                                    "[",
                                                    "]",
                                                    "x y",
                                                    "1",
                                                    "\u00E9",
                                                    "\u0444",
                                                    "\u3042",
                                                    "\\",
                                                    "\"q\"",
                                                    "''",
                                                    "\x1a",
                                                    "=a=",
                                                    "C:\\Games\\x",
                                                    "\xF0\x9F\x8E\xB5"};
    static const std::vector<std::string> ansiPieces = {"\xE9", "\x80", "\x83\x5C", "\x81", "\xA0"};
    std::string value;
    const std::size_t count = rng.Below(6);
    for (std::size_t i = 0; i < count; ++i) {
        value += ansi && rng.Chance(20) ? rng.Pick(ansiPieces) : rng.Pick(pieces);
    }
    return value;
}

void AddRandomFiles(Corpus& corpus, Rng& rng) {
    const std::vector<std::string> ends = {"\r\n", "\r\n", "\r\n", "\n", "\r", "\r\r\n", ""};
    for (int n = 0; n < 240; ++n) {
        const std::size_t roll = rng.Below(100);
        const Encoding encoding = roll < 60   ? Encoding::Bytes
                                  : roll < 75 ? Encoding::Utf8Bom
                                  : roll < 90 ? Encoding::Utf16Le
                                  : roll < 96 ? Encoding::Utf16Be
                                              : Encoding::Utf16LeNoBom;
        const bool ansi = encoding == Encoding::Bytes;
        std::string text;
        const std::size_t lines = 1 + rng.Below(30);
        const std::string& end = rng.Pick(ends);
        for (std::size_t i = 0; i < lines; ++i) {
            const std::size_t kind = rng.Below(100);
            const std::string indent = rng.Chance(10) ? (rng.Chance(50) ? " " : "\t") : "";
            if (kind < 18) {
                text += indent + "[" + RandomName(rng, ansi, kSectionPool) + "]";
                if (rng.Chance(10)) {
                    text += rng.Chance(50) ? " trailing" : "]";
                }
            } else if (kind < 80) {
                text += indent + RandomName(rng, ansi, kKeyPool) + (rng.Chance(20) ? " = " : "=") +
                        RandomValue(rng, ansi);
            } else if (kind < 88) {
                text += (rng.Chance(50) ? ";" : "#") + RandomValue(rng, ansi);
            } else if (kind < 94) {
                text += indent;
            } else if (kind < 97) {
                text += RandomValue(rng, ansi);
            } else {
                text += std::string(1, '\0') + RandomValue(rng, ansi);
            }
            text += rng.Chance(8) ? rng.Pick(ends) : end;
        }
        IniFile file(corpus, "random-" + std::to_string(n) + ".ini");
        file.Write(EncodeFile(text, encoding));
        std::vector<Query> queries;
        for (int q = 0; q < 3; ++q) {
            queries.push_back({rng.Pick(kSectionPool), {rng.Pick(kKeyPool), rng.Pick(kKeyPool)}});
        }
        file.Ask(queries);
    }
}

} // namespace

void AddIniCorpus(Corpus& corpus, Rng& rng) {
    AddGameFiles(corpus);
    AddEditedFiles(corpus);
    AddOddFiles(corpus);
    AddLongValues(corpus);
    AddRandomFiles(corpus, rng);
}

} // namespace tmt::wine
