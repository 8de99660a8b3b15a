#include "core/Error.h"
#include "settings/IniFile.h"
#include "tests/support/GameLocale.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using tmt::IniFile;
using tmt::test::GameLocale;
using tmt::test::ReadFile;
using tmt::test::WriteFile;

template <std::size_t N> std::string Bytes(const char (&literal)[N]) {
    return {literal, N - 1};
}

class IniEncodingTest : public ::testing::Test {
protected:
    IniFile WithContent(const std::string& bytes) {
        WriteFile(path, bytes);
        return IniFile(path.string());
    }
    tmt::test::TempDir folder;
    fs::path path = folder.Path() / "profile.prf";
};

TEST_F(IniEncodingTest, FilesWithoutAMarkAreInTheLocalesAnsiCodePage) {
    struct Case {
        const char* locale;
        const char* bytes;
        const char* text;
    };
    const Case cases[] = {
        {"ru_RU.UTF-8", "\xE9", "\u0439"},     {"ja_JP.UTF-8", "\x82\xA0", "\u3042"},
        {"zh_CN.UTF-8", "\xC4\xE3", "\u4f60"}, {"ko_KR.UTF-8", "\xB0\xA1", "\uac00"},
        {"zh_TW.UTF-8", "\xA4\xA4", "\u4e2d"}, {"pl_PL.UTF-8", "\xB3", "\u0142"},
        {"el_GR.UTF-8", "\xE1", "\u03b1"},     {"de_DE.UTF-8", "\xE9", "\u00e9"},
        {"hi_IN.UTF-8", "\xC3\xA9", "\u00e9"},
    };
    for (const Case& c : cases) {
        const GameLocale locale(c.locale);
        const IniFile ini = WithContent(std::string("[profile]\r\nname=") + c.bytes + "\r\n");
        EXPECT_EQ(ini.ReadString("profile", "name", ""), c.text) << c.locale;
    }
    const GameLocale missing("ru_RU.UTF-8", GameLocale::Installed::No);
    EXPECT_EQ(WithContent("[profile]\r\nname=\xE9\r\n").ReadString("profile", "name", ""), "\u00e9")
        << "a locale that is not installed is C, and Wine gives 1252 for it";
}

TEST_F(IniEncodingTest, WritesUseTheSameCodePage) {
    const GameLocale russian("ru_RU.UTF-8");
    IniFile ini((folder.Path() / "new.prf").string());
    ini.WriteString("profile", "name", "\u0418\u0432\u0430\u043d");
    EXPECT_EQ(ReadFile(folder.Path() / "new.prf"), "[profile]\r\nname=\xC8\xE2\xE0\xED\r\n");
}

TEST_F(IniEncodingTest, DoubleByteCharactersAreNeverSplit) {
    const GameLocale japanese("ja_JP.UTF-8");
    // 0x95 0x5C is one character whose second byte is "\"; 0x81 takes the line feed after it,
    // so the line "j=1" belongs to k's value as Wine reads it.
    IniFile ini = WithContent("[S]\r\nk=\x81\nj=1\r\ntable=\x95\x5C\r\n[t]\r\n");
    EXPECT_EQ(ini.ReadString("S", "j", "absent"), "absent");
    EXPECT_EQ(ini.ReadString("S", "table", ""), "\u8868");
    EXPECT_FALSE(ini.ValueExists("S", "j"));
    ini.WriteString("S", "table", "\u8868\u3042");
    EXPECT_EQ(ReadFile(path), "[S]\r\nk=\x81\nj=1\r\ntable=\x95\x5C\x82\xA0\r\n[t]\r\n");
}

TEST_F(IniEncodingTest, AFileCreatedForTextTheCodePageLacksIsUtf16) {
    IniFile ini((folder.Path() / "new.prf").string());
    ini.PrepareFor({"\u0418\u0432\u0430\u043d", "\u0141ukasz", "\u65e5\u672c"});
    ini.WriteString("profile", "name", "\u0418\u0432\u0430\u043d");
    ini.WriteString("profile", "login", "\u0141ukasz");
    ini.WriteString("profile", "other", "\u65e5\u672c");
    EXPECT_EQ(ReadFile(folder.Path() / "new.prf").substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ini.ReadString("profile", "name", ""), "\u0418\u0432\u0430\u043d");
    EXPECT_EQ(ini.ReadString("profile", "login", ""), "\u0141ukasz");

    IniFile plain((folder.Path() / "plain.prf").string());
    plain.PrepareFor({"Bob", "Zo\u00eb"});
    plain.WriteString("profile", "name", "Zo\u00eb");
    EXPECT_EQ(ReadFile(folder.Path() / "plain.prf"), "[profile]\r\nname=Zo\xEB\r\n")
        << "what the code page holds stays in it";
    EXPECT_EQ(IniFile((folder.Path() / "single.prf").string()).ReadString("p", "k", "d"), "d");
    IniFile single((folder.Path() / "single.prf").string());
    single.WriteString("p", "k", "\u65e5");
    EXPECT_EQ(ReadFile(folder.Path() / "single.prf"),
              Bytes("\xFF\xFE[\0p\0]\0\r\0\n\0k\0=\0\xE5\x65\r\0\n\0"));
}

TEST_F(IniEncodingTest, AnExistingFileThatCannotHoldTheTextIsLeftAlone) {
    const std::string original = "[profile]\r\nname=Bob\r\n";
    IniFile ini = WithContent(original);
    try {
        ini.PrepareFor({"\u0141ukasz", "\u0418\u0432\u0430\u043d"});
        FAIL() << "no error raised";
    } catch (const tmt::Error& error) {
        EXPECT_EQ(std::string(error.what()), path.string() + " cannot store these characters: "
                                                             "\u0141 \u0418 \u0432 \u0430 \u043d");
    }
    EXPECT_EQ(ReadFile(path), original);
}

TEST_F(IniEncodingTest, BigEndianFilesStayBigEndian) {
    IniFile ini = WithContent(Bytes("\xFE\xFF\0[\0S\0]\0\r\0\n\0k\0=\0001\0\r\0\n"));
    EXPECT_EQ(ini.ReadString("S", "k", ""), "1");
    ini.WriteString("S", "n", "\u0416");
    EXPECT_EQ(ReadFile(path),
              Bytes("\xFE\xFF\0[\0S\0]\0\r\0\n\0k\0=\0001\0\r\0\n\0n\0=\x04\x16\0\r\0\n"));
}

} // namespace
