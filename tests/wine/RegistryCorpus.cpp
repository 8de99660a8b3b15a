// Registry values that Wine has to escape when it saves system.reg, set by Wine and read back by
// both sides from the saved file.
#include "tests/wine/Corpus.h"

namespace tmt::wine {

void AddRegistryCorpus(Corpus& corpus) {
    const std::string key = "Software\\TuneMora Differential";
    std::vector<std::pair<std::string, std::string>> values = {
        {"plain", "C:\\Games\\TuneMora"},
        {"quote", "say \"hi\""},
        {"backslashes", "\\\\server\\share\\"},
        {"latin", "M\u00FCller \u00E9t\u00E9"},
        {"cyrillic", "\u041F\u0440\u0438\u0432\u0435\u0442"},
        {"cjk", "\u65E5\u672C\u8A9E"},
        {"emoji", "\xF0\x9F\x8E\xB5 music"},
        {"hex-after-escape", "\u00E9"
                             "1234abcdef"},
        {"hex-after-cjk", "\u65E5"
                          "ABC"},
        {"escape-look-alike", "\\x41 \\n \\\" \\\\"},
        {"bracket", "[Software\\Other]"},
        {"equals", "a=b"},
        {"hash", "#arch=win32"},
        {"empty", ""},
        {"long", std::string(5000, 'L')},
        {"nul-inside", std::string("before\0after", 12)},
        {"lone-surrogate", "x\xED\xA0\x80y"},
        {"bom", "\xEF\xBB\xBFx"},
        {"nbsp", "a\u00A0b"},
        {"del", "a\x7F"
                "b"},
        {"c1", "a\u0085b"},
        {"line-separator", "a\u2028b"},
        {"private-use", "a\uE000b"},
        {"non-character", "a\uFFFFb"},
    };
    for (char32_t c = 1; c < 0x20; ++c) {
        values.emplace_back("control-" + std::to_string(c), "a" + Utf8(c) + "b");
    }
    for (const auto& [name, text] : values) {
        corpus.RegistrySet({key, name, "sz", text});
        corpus.Read("regget", {key, name});
    }
    corpus.RegistrySet({key, "expand", "expand", "%WINDIR%\\x"});
    corpus.RegistrySet({key, "number", "dword", "42"});
    corpus.RegistrySet({key, "", "sz", "default value"});
    corpus.RegistrySet({key, "Na\"me", "sz", "quoted name"});
    corpus.RegistrySet({key, "Na\\me", "sz", "backslash name"});
    corpus.RegistrySet({key, "N\u00E4me", "sz", "latin name"});
    corpus.RegistrySet({key, "\u0416", "sz", "cyrillic name"});
    corpus.RegistrySet({key, "n=m", "sz", "equals name"});
    corpus.RegistrySet({key, "@", "sz", "at name"});
    for (const char* name : {"expand", "number", "", "Na\"me", "Na\\me", "N\u00E4me", "\u0416",
                             "n=m", "@", "PLAIN", "n\u00C4me", "\u0436", "missing"}) {
        corpus.Read("regget", {key, name});
    }
    // Keys whose names need escapes, and a key path in another letter case.
    for (const char* sub : {"Br[ack]et", "Quo\"te", "Sp ace", "\u00C4rger", "\u65E5\u672C"}) {
        corpus.RegistrySet({key + "\\" + sub, "v", "sz", sub});
        corpus.Read("regget", {key + "\\" + sub, "v"});
    }
    corpus.Read("regget", {"SOFTWARE\\tunemora differential", "plain"});
    corpus.Read("regget", {"Software\\TuneMora Differential\\\u00E4RGER", "v"});
    corpus.Read("regget", {"Software\\Missing", "v"});
}

} // namespace tmt::wine
