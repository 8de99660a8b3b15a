// Folders to list, folders to make, files to delete, and paths spelled in another letter case.
#include "tests/wine/Compare.h"
#include "tests/wine/Corpus.h"

#include <clocale>
#include <cwctype>
#include <set>

namespace tmt::wine {

namespace {

std::string HexName(char32_t c) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04X", static_cast<unsigned>(c));
    return buffer;
}

void AddListings(Corpus& corpus, Rng& rng) {
    const std::vector<std::vector<std::string>> sets = {
        {"b", "B", "a", "A", "10", "9", "1", "01", "a1", "A1", "a10", "a2", "Z", "_"},
        {"\u00E9", "\u00C9", "e",      "E",      "\u00E4",           "\u00C4",
         "z",      "\u00DF", "ss",     "\u0416", "\u0436",           "\u65E5\u672C",
         "\u03A9", "\u03C9", "\u01C5", "\u01C4", "\u01C6",           "\u0131",
         "I",      "i",      "\u212A", "k",      "\xF0\x9F\x8E\xB5", "\xEF\xBC\xA1"},
        {"_x",  "-x",  "~x",  "!x",  "#x",  "$x",  "(x)", "[x]", "{x}", "x.y", "x y",
         "x,y", "x;y", "x=y", "x'y", "x+y", "x@y", "x^y", "x`y", "x%y", "x&y"},
    };
    int n = 0;
    for (const auto& names : sets) {
        const std::string folder = "list/" + std::to_string(++n);
        for (const std::string& name : names) {
            corpus.Folder("ro/" + folder + "/" + name);
        }
        corpus.Read("list", {folder});
    }

    // What the listing leaves out: dot names, hidden and system folders, files, broken links.
    const std::string hidden = "list/" + std::to_string(++n);
    for (const char* name :
         {".hidden", "..dots", ".x.y", "visible", "attr-hidden", "attr-system", "attr-both",
          "attr-archive", "attr-read-only", "attr-garbage", "attr-directory"}) {
        corpus.Folder("ro/" + hidden + "/" + name);
    }
    corpus.DosAttributes("ro/" + hidden + "/attr-hidden", "0x2");
    corpus.DosAttributes("ro/" + hidden + "/attr-system", "0x4");
    corpus.DosAttributes("ro/" + hidden + "/attr-both", "0x6");
    corpus.DosAttributes("ro/" + hidden + "/attr-archive", "0x20");
    corpus.DosAttributes("ro/" + hidden + "/attr-read-only", "0x1");
    corpus.DosAttributes("ro/" + hidden + "/attr-garbage", "hidden");
    corpus.DosAttributes("ro/" + hidden + "/attr-directory", "0x12");
    corpus.File("ro/" + hidden + "/file.txt", "x");
    corpus.File("ro/" + hidden + "/folder-like.dir", "x");
    corpus.Link("ro/" + hidden + "/link-to-folder", "visible");
    corpus.Link("ro/" + hidden + "/link-to-file", "file.txt");
    corpus.Link("ro/" + hidden + "/link-broken", "nowhere");
    corpus.Link("ro/" + hidden + "/link-to-hidden", "attr-hidden");
    corpus.Read("list", {hidden});
    corpus.Read("list", {"list/missing"});
    corpus.Read("list", {"LIST/" + std::to_string(n)});

    // Random names, made in random order; every other folder in ASCII alone, whose order every
    // locale can show.
    const std::vector<std::string> ascii = {"a", "B", "c", "0", "9", "_", "-", " ",
                                            ".", "~", "x", "Y", "[", "!", "'", "+"};
    std::vector<std::string> wide = ascii;
    wide.insert(wide.end(), {"\u00E9", "\u00C9", "\u0416", "\u3042"});
    for (int s = 0; s < 40; ++s) {
        const std::vector<std::string>& pieces = s % 2 == 0 ? ascii : wide;
        const std::string folder = "list/" + std::to_string(++n);
        corpus.Folder("ro/" + folder);
        std::set<std::string> made;
        const std::size_t count = 1 + rng.Below(25);
        for (std::size_t i = 0; i < count; ++i) {
            std::string name = rng.Pick(pieces);
            for (std::size_t length = rng.Below(6); length > 0; --length) {
                name += rng.Pick(pieces);
            }
            // Names Windows cannot hold stay out: they belong to the folder-making cases.
            if (name.back() == ' ' || name.back() == '.' || made.count(name) > 0) {
                continue;
            }
            made.insert(name);
            corpus.Folder("ro/" + folder + "/" + name);
        }
        corpus.Read("list", {folder});
    }
}

void AddFolderMaking(Corpus& corpus) {
    const std::vector<std::string> names = {"plain",
                                            "a.",
                                            "b..",
                                            "c ",
                                            "d . ",
                                            "e. .",
                                            ".",
                                            "..",
                                            "...",
                                            " ",
                                            " x",
                                            "x\u00A0",
                                            "x\u3000",
                                            "con",
                                            "CON.txt",
                                            "con .txt",
                                            "lpt1",
                                            "LPT9",
                                            "com0",
                                            "com10",
                                            "nul.",
                                            "nul",
                                            "aux.x.y",
                                            "CONIN$",
                                            "conout$",
                                            "clock$",
                                            "a*b",
                                            "a?b",
                                            "a<b",
                                            "a>b",
                                            "a|b",
                                            "a\"b",
                                            "a:b",
                                            "a\tb",
                                            "a\x01"
                                            "b",
                                            "f/g",
                                            "\u00E9.",
                                            ".dot",
                                            "..x",
                                            "trailing.dot.",
                                            "ab~1",
                                            "\u0416 ",
                                            std::string(255, 'n'),
                                            std::string(256, 'n'),
                                            "existing",
                                            "EXISTING",
                                            "file",
                                            "\u00C4",
                                            "x/",
                                            "y\\"};
    int n = 0;
    for (const std::string& name : names) {
        const std::string folder = "mk/" + std::to_string(++n);
        corpus.Folder("mut/" + folder);
        corpus.Folder("mut/" + folder + "/existing");
        corpus.File("mut/" + folder + "/file", "x");
        if (HasNonAscii(name)) {
            corpus.Folder("mut/" + folder + "/\u00E4");
        }
        corpus.Mutate("mkdir", {folder + "/" + name});
    }
}

void AddDeletions(Corpus& corpus) {
    struct Deletion {
        Deletion(std::string name_, std::string file_, unsigned mode_ = 0644,
                 std::string attributes_ = {})
            : name(std::move(name_)), file(std::move(file_)), mode(mode_),
              attributes(std::move(attributes_)) {}
        std::string name; // what the path names
        std::string file; // what is there before
        unsigned mode;
        std::string attributes; // user.DOSATTRIB, when set
    };
    const std::vector<Deletion> deletions = {
        {"normal", "normal"},
        {"read-only", "read-only", 0444},
        {"attr-read-only", "attr-read-only", 0644, "0x1"},
        {"attr-both", "attr-both", 0444, "0x21"},
        {"attr-hidden", "attr-hidden", 0644, "0x2"},
        {"attr-system", "attr-system", 0644, "0x4"},
        {"NORMAL", "normal"},
        {"\u00C4.TXT", "\u00E4.txt"},
        {"normal.", "normal"},
        {"normal ", "normal"},
        {"missing", "normal"},
        {"sub/../normal", "normal"},
        {"write-only-group", "write-only-group", 0220},
        {"no-permissions", "no-permissions", 0000},
    };
    int n = 0;
    for (const Deletion& d : deletions) {
        const std::string folder = "del/" + std::to_string(++n);
        corpus.File("mut/" + folder + "/" + d.file, "x");
        corpus.Folder("mut/" + folder + "/sub");
        if (!d.attributes.empty()) {
            corpus.DosAttributes("mut/" + folder + "/" + d.file, d.attributes);
        }
        if (d.mode != 0644) {
            corpus.Mode("mut/" + folder + "/" + d.file, d.mode);
        }
        corpus.Mutate("delete", {folder + "/" + d.name});
    }
    const auto special = [&](const std::string& what, const auto& make) {
        const std::string folder = "del/" + std::to_string(++n);
        corpus.Folder("mut/" + folder);
        make("mut/" + folder);
        corpus.Mutate("delete", {folder + "/" + what});
    };
    special("folder", [&](const std::string& f) { corpus.Folder(f + "/folder"); });
    special("link", [&](const std::string& f) {
        corpus.File(f + "/target", "x");
        corpus.Link(f + "/link", "target");
    });
    special("link", [&](const std::string& f) { corpus.Link(f + "/link", "nowhere"); });
    special("link", [&](const std::string& f) {
        corpus.Folder(f + "/target");
        corpus.Link(f + "/link", "target");
    });
    special("in-read-only-folder/file", [&](const std::string& f) {
        corpus.File(f + "/in-read-only-folder/file", "x");
        corpus.Mode(f + "/in-read-only-folder", 0555);
    });
}

// Every letter with another case, as the C library knows them, made in one case and looked for in
// the other; and folders along the path in another case.
void AddCaseFolding(Corpus& corpus) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::vector<std::pair<char32_t, char32_t>> pairs;
    for (char32_t c = 0x41; c <= 0xFFFF; ++c) {
        if ((c >= 0xD800 && c <= 0xDFFF) || (c < 0x80 && !std::iswalpha(static_cast<wint_t>(c)))) {
            continue;
        }
        const auto upper = static_cast<char32_t>(std::towupper(static_cast<wint_t>(c)));
        const auto lower = static_cast<char32_t>(std::towlower(static_cast<wint_t>(c)));
        if (upper != c) {
            pairs.emplace_back(c, upper);
        } else if (lower != c) {
            pairs.emplace_back(c, lower);
        }
    }
    for (const char32_t c : {0x10400, 0x10428, 0x1E900}) { // letters beyond the first plane
        const auto other = static_cast<char32_t>(std::towlower(static_cast<wint_t>(c)));
        pairs.emplace_back(c, other != c ? other : std::towupper(static_cast<wint_t>(c)));
    }
    std::setlocale(LC_CTYPE, "C");
    for (const auto& [made, asked] : pairs) {
        const std::string folder = "case/" + HexName(made).substr(0, 2);
        corpus.File("ro/" + folder + "/f" + HexName(made) + "-" + Utf8(made), "x");
        corpus.Read("exists", {folder + "/f" + HexName(made) + "-" + Utf8(asked)});
    }
    corpus.Folder("ro/case/Tree/\u00C4rger/Sub");
    corpus.File("ro/case/Tree/\u00C4rger/Sub/File.txt", "x");
    corpus.File("ro/case/both/name", "lower");
    corpus.File("ro/case/both/NAME", "upper");
    for (const char* path :
         {"case/tree/\u00E4rger/sub/file.TXT", "case/TREE/\u00C4RGER/SUB",
          "case/Tree/\u00C4rger/Sub/File.txt", "case/both/Name", "case/both/name",
          "case/Tree/\u00C4rger/Sub/File.txt.", "case/Tree/\u00C4rger/Sub/File.txt ",
          "case/Tree/./\u00C4rger", "case/Tree/x/../\u00C4rger", "case/missing/x"}) {
        corpus.Read("exists", {path});
    }
}

} // namespace

void AddFolderCorpus(Corpus& corpus, Rng& rng) {
    AddListings(corpus, rng);
    AddFolderMaking(corpus);
    AddDeletions(corpus);
    AddCaseFolding(corpus);
}

} // namespace tmt::wine
