#include "platform/Registry.h"
#include "core/Error.h"
#include "core/text/TextEncoding.h"
#include "platform/linux/SystemReg.h"
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using tmt::platform::FindKeyValues;
using tmt::platform::Registry;

const char kHeader[] = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";

class RegistryTest : public ::testing::Test {
protected:
    // Opens SOFTWARE\\TuneMora the way the main window does.
    bool Open(const std::string& systemReg) {
        prefix.WriteSystemReg(systemReg);
        return registry.OpenKey("SOFTWARE\\\\TuneMora");
    }

    tmt::test::TestPrefix prefix;
    Registry registry;
};

TEST_F(RegistryTest, ReadsTheKeyWineWritesForA32BitProgram) {
    ASSERT_TRUE(Open(std::string(kHeader) +
                     "#arch=win64\n\n[Software\\\\Wow6432Node\\\\TuneMora] 1796762724\n"
                     "#time=1dd87550c767452\n\"InstallDir\"=\"C:\\\\Games\\\\TuneMora\"\n"
                     "\"InstallVer\"=\"1.0.2 M\\xfcnster \\\"q\\\"\"\n"));
    EXPECT_EQ(registry.ReadString("InstallDir"), "C:\\Games\\TuneMora");
    EXPECT_EQ(registry.ReadString("installver"), "1.0.2 M\u00fcnster \"q\"");
    EXPECT_TRUE(registry.ValueExists("INSTALLDIR"));
    EXPECT_FALSE(registry.ValueExists("Missing"));
}

TEST_F(RegistryTest, ViewFollowsThePrefixArchitecture) {
    const std::string both = "[Software\\\\TuneMora] 1\n\"InstallDir\"=\"native\"\n\n"
                             "[Software\\\\Wow6432Node\\\\TuneMora] 1\n\"InstallDir\"=\"wow\"\n";
    ASSERT_TRUE(Open(std::string(kHeader) + "#arch=win64\n\n" + both));
    EXPECT_EQ(registry.ReadString("InstallDir"), "wow");
    ASSERT_TRUE(Open(std::string(kHeader) + "\n" + both)) << "no #arch line counts as win64";
    EXPECT_EQ(registry.ReadString("InstallDir"), "wow");
    ASSERT_TRUE(Open(std::string(kHeader) + "#arch=win32\n\n" + both));
    EXPECT_EQ(registry.ReadString("InstallDir"), "native");
}

TEST_F(RegistryTest, KeyPathsMatchWithoutCaseAndWithDoubledSeparators) {
    prefix.WriteSystemReg(std::string(kHeader) +
                          "#arch=win32\n[software\\\\tunemora] 1\n\"A\"=\"1\"\n");
    for (const char* path :
         {"SOFTWARE\\\\TuneMora", "Software\\TuneMora", "\\software\\\\\\tunemora\\"}) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(registry.OpenKey(path));
    }
    EXPECT_FALSE(registry.OpenKey("Software\\TuneMor"));
    EXPECT_FALSE(registry.OpenKey("Software\\TuneMora\\Sub"));
}

TEST_F(RegistryTest, EveryLetterWineFoldsMatchesInOtherCase) {
    // Wine finds names in another letter case by its own table, beyond a to z. The file spells
    // them as Wine writes them (\x escapes), or in raw UTF-8 as older prefixes have them.
    prefix.WriteSystemReg(std::string(kHeader) +
                          "#arch=win32\n[Software\\\\\\xc4rger\\\\\\x65e5] 1\n"
                          "\"N\\xe4me\"=\"latin\"\n\"\\x416\"=\"cyrillic\"\n"
                          "\"\u00c9t\u00e9\"=\"raw\"\n");
    ASSERT_TRUE(registry.OpenKey("SOFTWARE\\\u00e4RGER\\\u65e5"));
    EXPECT_EQ(registry.ReadString("n\u00c4ME"), "latin");
    EXPECT_EQ(registry.ReadString("\u0436"), "cyrillic");
    EXPECT_TRUE(registry.ValueExists("\u00c9T\u00c9"));
    EXPECT_FALSE(registry.ValueExists("\u00c9te")) << "a letter with an accent is another letter";

    prefix.WriteSystemReg(std::string(kHeader) + "#arch=win32\n[\u00c4rger] 1\n\"A\"=\"1\"\n");
    EXPECT_TRUE(registry.OpenKey("\u00e4rger"));
    EXPECT_FALSE(registry.OpenKey("arger"));
}

TEST_F(RegistryTest, AbsentFileOrKeyDoesNotOpen) {
    EXPECT_FALSE(registry.OpenKey("SOFTWARE\\\\TuneMora")) << "no system.reg";
    EXPECT_FALSE(
        Open(std::string(kHeader) + "[Software\\\\Wow6432Node\\\\Other] 1\n\"A\"=\"1\"\n"));
    EXPECT_FALSE(Open(""));
    std::filesystem::remove(prefix.Root() / "system.reg");
    ASSERT_EQ(::mkfifo((prefix.Root() / "system.reg").c_str(), 0600), 0);
    EXPECT_FALSE(registry.OpenKey("SOFTWARE\\\\TuneMora")) << "a FIFO neither blocks nor opens";
}

struct ValueCase {
    const char* line;
    Registry::ValueType type;
    const char* text;
};

TEST(SystemRegValues, EveryFormReadsAsItsTypeAndText) {
    using T = Registry::ValueType;
    const ValueCase cases[] = {
        {R"("V"="plain")", T::String, "plain"},
        {R"("V"=str:"typed")", T::String, "typed"},
        {R"("V"=str(2):"%ProgramFiles%\\TuneMora")", T::ExpandString, "%ProgramFiles%\\TuneMora"},
        {R"("V"=hex(1):41,00,42,00,00,00)", T::String, "AB"},
        {"\"V\"=hex(2):43,00,3a,00,\\\n  5c,00,44,00,00,00", T::ExpandString, "C:\\D"},
        {R"("V"=dword:00000001)", T::Other, ""},
        {R"("V"=hex:01,02)", T::Other, ""},
        {R"("V"=str(7):"multi")", T::Other, ""},
        {R"("V"=hex(7):41,00)", T::Other, ""},
        {R"("V"="tab\there\nnew\rret\\back\"quote")", T::String,
         "tab\there\nnew\rret\\back\"quote"},
        {R"("V"="cut\0after")", T::String, "cut"},
        {R"("V"="\x41\x4a\x20AC\xd83d\xde00")", T::String, "AJ\u20ac\U0001F600"},
        {R"("V"="\x12345")", T::String, "\u12345"},
        {R"("V"="lone \xd800 surrogate")", T::String, "lone \ufffd surrogate"},
        {"\"V\"=\"raw UTF-8 Zo\u00eb\"", T::String, "raw UTF-8 Zo\u00eb"},
        {R"("V"="no \x digits")", T::String, "no x digits"},
        {R"("V"="no closing quote)", T::String, "no closing quote"},
        {R"("V"="")", T::String, ""},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.line);
        const auto values = FindKeyValues(std::string("[K] 1\n") + c.line + "\n", "K");
        ASSERT_TRUE(values.has_value());
        ASSERT_EQ(values->count("V"), 1u);
        EXPECT_EQ(values->at("V").type, c.type);
        if (c.type != T::Other) {
            EXPECT_EQ(values->at("V").text, c.text);
        }
    }
}

TEST(SystemRegValues, EveryEscapeReadsAsWineReadsIt) {
    // What RegQueryValueExW gave under Wine 8 for these lines of system.reg, and the line Wine
    // itself wrote for a value holding every control character.
    struct EscapeCase {
        const char* data;
        std::u16string units;
    };
    const EscapeCase cases[] = {
        {R"(\a\b\e\f\v\t\n\r)", u"\a\b\x1B\f\v\t\n\r"},
        {R"(\1\12\123\1234\8\9\777\400)", u"\x01\x0ASS48"
                                          u"9\u01FF\u0100"},
        {R"(\x41|\x4142|\x41424|\xg|\x1F600)", u"A|\u4142|\u41424|xg|\u1F600"},
        {R"(\q\"\\\'\?\ \/)", u"q\"\\'? /"},
        {"\xc3(\xff\xed\xa0\x80\xf0\x9f\x98\x80", u"(\xD800\U0001F600"},
        {R"(\1\2\3\4\5\6\a\b\t\n\v\f\r\16\17\20\21\22\23\24\25\26\27\30\31\32\e\34\35\36\37)",
         u"\x01\x02\x03\x04\x05\x06\a\b\t\n\v\f\r\x0E\x0F\x10\x11\x12\x13\x14\x15\x16\x17\x18"
         u"\x19\x1A\x1B\x1C\x1D\x1E\x1F"},
        {R"(\0017\xdc00a)", u"\x01"
                            u"7\xDC00"
                            u"a"},
    };
    for (const EscapeCase& c : cases) {
        SCOPED_TRACE(c.data);
        const auto values = FindKeyValues(
            std::string("[K] 1\n\"V\"=\"") + c.data + "\"\n\"\\x41\\e\"=\"n\"\n", "K");
        ASSERT_TRUE(values.has_value());
        // Values reach the program as UTF-8; a lone surrogate as U+FFFD.
        const std::string expected = tmt::SanitisedUtf8(tmt::Utf16UnitsToUtf8(c.units));
        EXPECT_EQ(values->at("V").text, expected);
        EXPECT_EQ(values->count("A\x1B"), 1u) << "names take the same escapes";
    }
}

TEST(SystemRegValues, ValuesEndAtTheNextKeyAndTheFirstOfANameWins) {
    const auto values =
        FindKeyValues("[K] 1\n\"A\"=\"1\"\n\"a\"=\"2\"\n@=\"default\"\n[L] 1\n\"B\"=\"3\"\n", "k");
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(values->at("A").text, "1");
    EXPECT_EQ(values->at("").text, "default");
    EXPECT_EQ(values->count("B"), 0u);
}

TEST(SystemRegMalformed, BrokenInputNeverOpensTheWrongKeyOrCrashes) {
    const std::string broken[] = {
        "[Software\\\\TuneMora",                    // key line without closing bracket
        "[Software\\\\TuneMora\\]",                 // the bracket is escaped
        std::string("[K] 1\n\"A\"=\"x\0y\"\n", 16), // NUL in the file
        "[K] 1\n\"A\"",                             // value name without data
        "[K] 1\n\"A=\"1\"\n",                       // unterminated value name
        "[K] 1\n\"A\"=hex(2):4",                    // truncated hex
        "\xff\xfe\x00[\x01\x02",                    // binary
        "[",
        "\n\n\n[",
    };
    for (const std::string& content : broken) {
        EXPECT_FALSE(FindKeyValues(content, "Software\\TuneMora").has_value());
        (void)FindKeyValues(content, "K");
    }
    const auto values = FindKeyValues("[K] 1\ngarbage line\n\"A\"=\"1\"\n=\"x\"\n", "K");
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(values->at("A").text, "1");
}

TEST_F(RegistryTest, ValueOfAnotherTypeRaisesTheInvalidTypeError) {
    ASSERT_TRUE(Open(std::string(kHeader) +
                     "[Software\\\\Wow6432Node\\\\TuneMora] 1\n\"InstallDir\"=dword:00000001\n"));
    EXPECT_TRUE(registry.ValueExists("InstallDir"));
    try {
        registry.ReadString("InstallDir");
        FAIL() << "no error raised";
    } catch (const tmt::Error& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'InstallDir'");
    }
}

} // namespace
