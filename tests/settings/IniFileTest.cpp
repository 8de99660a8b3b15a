#include "settings/IniFile.h"
#include "core/Error.h"
#include "platform/ProfileStrings.h"
#include "settings/GameSettings.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using tmt::IniFile;
using tmt::test::ReadFile;
using tmt::test::WriteFile;

// A literal with NUL bytes in it, as many bytes as it has.
template <std::size_t N> std::string Bytes(const char (&literal)[N]) {
    return {literal, N - 1};
}

class IniFileTest : public ::testing::Test {
protected:
    IniFile WithContent(const std::string& bytes) {
        WriteFile(path, bytes);
        return IniFile(path.string());
    }
    tmt::test::TempDir folder;
    fs::path path = folder.Path() / "config.ini";
};

TEST_F(IniFileTest, ReadsAsTheWindowsProfileFunctionsDo) {
    const IniFile ini = WithContent("top=before any section\r\n"
                                    "[Graphics]\r\n"
                                    "  FullScreen  =  \"On\"  \r\n"
                                    "Q=\" spaced \"\r\n"
                                    "novalue\r\n"
                                    "; comment=not a key\r\n"
                                    "Empty=\r\n"
                                    "dup=first\r\n"
                                    "DUP=second\r\n"
                                    "[graphics]\r\n"
                                    "Hidden=second section of the name\r\n"
                                    "[Other]\r\n"
                                    "x=1\r\n");
    EXPECT_EQ(ini.ReadString("graphics", "fullscreen", "d"), "On");
    EXPECT_EQ(ini.ReadString("Graphics", "Q", "d"), " spaced ");
    EXPECT_EQ(ini.ReadString("Graphics", "novalue", "d"), "d");
    EXPECT_EQ(ini.ReadString("Graphics", "; comment", "d"), "not a key")
        << "Wine finds a comment line by its name, though it does not list it";
    EXPECT_EQ(ini.ReadString("Graphics", "Empty", "d"), "");
    EXPECT_EQ(ini.ReadString("Graphics", "dup", "d"), "first");
    EXPECT_EQ(ini.ReadString("Graphics", "Hidden", "d"), "d");
    EXPECT_EQ(ini.ReadString("", "top", "d"), "before any section");
    EXPECT_EQ(ini.ReadString("Missing", "x", "d"), "d");
    EXPECT_TRUE(ini.ValueExists("GRAPHICS", "empty"));
    EXPECT_FALSE(ini.ValueExists("Graphics", "novalue"));
    EXPECT_FALSE(ini.ValueExists("Graphics", "Hidden"));
    EXPECT_EQ(IniFile((folder.Path() / "none.ini").string()).ReadString("a", "b", "d"), "d");
}

TEST_F(IniFileTest, ValuesAreCutAt2047Characters) {
    const IniFile ini = WithContent("[S]\nlong=" + std::string(5000, 'a') + "\n");
    EXPECT_EQ(ini.ReadString("S", "long", "").size(), 2047u);
    // Wine's buffer cuts a quoted value's closing quote off and then drops the last character
    // that did fit instead (measured: 2045, 2046, 2046, 2047, 2047 characters).
    for (const auto& [inside, read] : std::vector<std::pair<std::size_t, std::size_t>>{
             {2045, 2045}, {2046, 2046}, {2047, 2046}, {2048, 2047}, {2049, 2047}}) {
        const IniFile quoted = WithContent("[S]\nq=\"" + std::string(inside, 'a') + "\"\n");
        EXPECT_EQ(quoted.ReadString("S", "q", "").size(), read) << inside;
    }
}

TEST_F(IniFileTest, ACharacterTheLimitWouldCutInHalfIsLeftOutWhole) {
    // Wine's buffer of 2048 units ends between the two units of the emoji in "b"; it would hand
    // out the first of them.
    const std::string emoji = "\xF0\x9F\x98\x80";
    const IniFile ini = WithContent("\xEF\xBB\xBF[S]\r\na=" + std::string(2045, 'x') + emoji +
                                    "\r\nb=" + std::string(2046, 'x') + emoji + "\r\nq=\"" +
                                    std::string(2045, 'x') + emoji + "\"\r\n");
    EXPECT_EQ(ini.ReadString("S", "a", ""), std::string(2045, 'x') + emoji);
    EXPECT_EQ(ini.ReadString("S", "b", ""), std::string(2046, 'x'));
    EXPECT_EQ(ini.ReadString("S", "q", ""), std::string(2045, 'x'))
        << "the closing quote cut off, Wine drops the last unit that did fit";
}

TEST_F(IniFileTest, TheDefaultComesBackAsWineHandsItBack) {
    const IniFile ini = WithContent("[S]\r\nk=1\r\n");
    const std::pair<const char*, const char*> defaults[] = {
        {"  spaced  ", "  spaced"}, {"\"quoted\"  ", "quoted"}, {"'q'", "q"},
        {"\"open", "\"open"},       {"tab\t", "tab\t"},         {"", ""},
    };
    for (const auto& [given, returned] : defaults) {
        EXPECT_EQ(ini.ReadString("S", "missing", given), returned) << given;
        EXPECT_EQ(ini.ReadString("Missing", "k", given), returned) << given;
    }
    EXPECT_EQ(IniFile((folder.Path() / "none.ini").string()).ReadString("S", "k", "'q' "), "q")
        << "a missing file reads as an empty one";
    EXPECT_EQ(IniFile((folder.Path() / "no" / "x.ini").string()).ReadString("S", "k", "'q' "),
              "'q'")
        << "a file in a missing folder cannot be opened: the quotes stay";
    EXPECT_EQ(IniFile(folder.Path().string()).ReadString("S", "k", "'q' "), "'q'");
}

TEST_F(IniFileTest, WritesDropTheBlanksThatBeginNamesAndValues) {
    IniFile ini = WithContent("[Graphics]\r\nResolution=800x600\r\n");
    ini.WriteString(" Graphics ", " Resolution ", "  blanks around  ");
    ini.WriteString("\tNew ", " key ", " \tv");
    EXPECT_EQ(ReadFile(path), "[Graphics]\r\nResolution=blanks around  \r\n[New ]\r\nkey =v\r\n");
    EXPECT_EQ(ini.ReadString("new", "KEY", "d"), "v");
}

TEST_F(IniFileTest, ValuesAndNamesReadAsWineReadsThem) {
    // What GetPrivateProfileStringW returned under Wine 8 for these lines.
    const IniFile ini = WithContent(Bytes("[S]\r\n"
                                          "single='abc'\r\n"
                                          "double=\"abc\"\r\n"
                                          "mixed='abc\"\r\n"
                                          "lone='\r\n"
                                          "empty=''\r\n"
                                          "inner='a'b'\r\n"
                                          "spaced= ' x ' \r\n"
                                          "nul=a\0b\r\n"
                                          "nulQuoted='ab'\0cd\r\n"
                                          "ab\0cd=name cut at NUL\r\n"
                                          "blanks=\v\f\tv\x1a \r\n"
                                          "nbsp=\xA0v\xA0\r\n"
                                          "nv\r\n"
                                          "nv=second\r\n"
                                          "[T\0X]\r\n"
                                          "m=1\r\n"));
    const std::pair<const char*, const char*> values[] = {
        {"single", "abc"},    {"double", "abc"},
        {"mixed", "'abc\""},  {"lone", "'"},
        {"empty", ""},        {"inner", "a'b"},
        {"spaced", " x "},    {"nul", "a"},
        {"nulQuoted", "ab"},  {"ab", "name cut at NUL"},
        {"blanks", "v"},      {"nbsp", "\u00a0v\u00a0"},
        {" single\t", "abc"},
    };
    for (const auto& [key, value] : values) {
        EXPECT_EQ(ini.ReadString("S", key, "d"), value) << key;
    }
    EXPECT_EQ(ini.ReadString("S", "nv", "d"), "d")
        << "the first line of the name has no \"=\", so the key reads as absent";
    EXPECT_EQ(ini.ReadString(" T ", "m", "d"), "1") << "section names end at a NUL too";
    EXPECT_EQ(tmt::platform::GetProfileKeys(" T ", ini.FileName()), std::vector<std::string>{})
        << "the section whose keys are listed is taken as given, blanks and all";
    EXPECT_EQ(tmt::platform::GetProfileKeys("t", ini.FileName()), std::vector<std::string>{"m"});
}

TEST_F(IniFileTest, AnEmptyKeyNameEndsTheKeyListAsWineListsIt) {
    // Wine lists a line "=x" as an empty name; the list of names the game receives ends at the
    // first empty one, so nothing after it is listed and ValueExists finds only the keys before.
    IniFile ini = WithContent("[S]\r\n"
                              "; comment=1\r\n"
                              "before=1\r\n"
                              "novalue\r\n"
                              "=x\r\n"
                              "= y\r\n"
                              "after=2\r\n");
    EXPECT_EQ(tmt::platform::GetProfileKeys("S", ini.FileName()),
              (std::vector<std::string>{"before"}));
    EXPECT_TRUE(ini.ValueExists("S", "before"));
    EXPECT_FALSE(ini.ValueExists("S", "after"));
    EXPECT_EQ(ini.ReadString("S", "after", "d"), "2") << "reading by name still finds it";
    EXPECT_EQ(ini.ReadString("S", " ", "d"), "x") << "the empty name reads the first of the run";
}

TEST_F(IniFileTest, EncodingFollowsTheByteOrderMark) {
    EXPECT_EQ(WithContent("[S]\nname=Zo\xC3\xAB\n").ReadString("S", "name", ""), "Zo\u00c3\u00ab")
        << "without a mark the file is Windows-1252";
    EXPECT_EQ(WithContent("\xEF\xBB\xBF[S]\nname=Zo\xC3\xAB\n").ReadString("S", "name", ""),
              "Zo\u00eb");
    EXPECT_EQ(WithContent(Bytes("\xFF\xFE[\0S\0]\0\n\0n\0=\0\xEB\0\n\0")).ReadString("S", "n", ""),
              "\u00eb");
}

TEST_F(IniFileTest, WritesTouchOnlyTheirOwnLine) {
    const std::string original = "; the game's own file\r\n"
                                 "[Graphics]\r\n"
                                 "  Resolution = 800x600 \r\n"
                                 "VSync=On\r\n"
                                 "\r\n"
                                 "; keep me\r\n"
                                 "[Path] ; note\r\n"
                                 "Songs=C:\\Songs\r\n"
                                 "[Unknown]\r\n"
                                 "a=1\r\n"
                                 "a=2\r\n";
    IniFile ini = WithContent(original);
    ini.WriteString("Graphics", "Resolution", "1920x1080");
    ini.WriteString("graphics", "Screens", "2");
    ini.DeleteKey("Path", "Songs");
    ini.WriteInteger("Net", "UpdateChannel", 1);
    EXPECT_EQ(ReadFile(path), "; the game's own file\r\n"
                              "[Graphics]\r\n"
                              "  Resolution=1920x1080\r\n"
                              "VSync=On\r\n"
                              "Screens=2\r\n"
                              "\r\n"
                              "; keep me\r\n"
                              "[Path] ; note\r\n"
                              "[Unknown]\r\n"
                              "a=1\r\n"
                              "a=2\r\n"
                              "[Net]\r\n"
                              "UpdateChannel=1\r\n");
}

TEST_F(IniFileTest, KeepsTheFilesLineEndsAndEncoding) {
    IniFile lf = WithContent("[S]\nk=1");
    lf.WriteString("S", "n", "2");
    EXPECT_EQ(ReadFile(path), "[S]\nk=1\nn=2\n");

    IniFile loneCr = WithContent("[S]\rk=1\r");
    loneCr.WriteString("S", "k", "3");
    EXPECT_EQ(ReadFile(path), "[S]\rk=3\r");

    IniFile utf8 = WithContent("\xEF\xBB\xBF[S]\r\nk=\xFF\xFE broken\r\n");
    utf8.WriteString("S", "name", "\u0141ukasz");
    EXPECT_EQ(ReadFile(path), "\xEF\xBB\xBF[S]\r\nk=\xFF\xFE broken\r\nname=\xC5\x81ukasz\r\n");

    IniFile utf16 = WithContent(Bytes("\xFF\xFE[\0S\0]\0\r\0\n\0"));
    utf16.WriteString("S", "k", "\u00eb");
    EXPECT_EQ(ReadFile(path), Bytes("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xEB\0\r\0\n\0"));
}

TEST_F(IniFileTest, NewFilesAreWindows1252WithCrLf) {
    IniFile ini((folder.Path() / "new.ini").string());
    ini.WriteString("profile", "name", "Zo\u00eb");
    ini.WriteString("profile", "login", "z");
    EXPECT_EQ(ReadFile(folder.Path() / "new.ini"), "[profile]\r\nname=Zo\xEB\r\nlogin=z\r\n");
}

TEST_F(IniFileTest, UndefinedWindows1252BytesRoundTrip) {
    IniFile ini = WithContent("[S]\r\nodd=\x81\x8D\x8F\x90\x9D\r\n");
    const std::string value = ini.ReadString("S", "odd", "");
    ini.WriteString("S", "odd", value);
    EXPECT_EQ(ReadFile(path), "[S]\r\nodd=\x81\x8D\x8F\x90\x9D\r\n");
}

// Asserts that the write raises the error and leaves the file as it was.
void ExpectRefused(IniFile& ini, const fs::path& path, std::string_view value,
                   const std::string& message) {
    const std::string before = fs::exists(path) ? ReadFile(path) : "<none>";
    try {
        ini.WriteString("S", "k", value);
        ADD_FAILURE() << "no error raised";
    } catch (const tmt::Error& error) {
        EXPECT_EQ(std::string(error.what()), message);
    }
    EXPECT_EQ(fs::exists(path) ? ReadFile(path) : "<none>", before);
}

void ExpectRefused(IniFile& ini, const fs::path& path, std::string_view value) {
    ExpectRefused(ini, path, value, "Unable to write to " + ini.FileName());
}

TEST_F(IniFileTest, FailedWritesRaiseAndChangeNothing) {
    IniFile ini = WithContent("[S]\r\nk=old\r\n");
    ExpectRefused(ini, path, "\u0141ukasz \u0141\u00e9", // no \u0141 in Windows-1252
                  ini.FileName() + " cannot store these characters: \u0141");

    IniFile missingFolder((folder.Path() / "no" / "such" / "x.ini").string());
    ExpectRefused(missingFolder, folder.Path() / "no" / "such" / "x.ini", "v");

    IniFile intoFolder(folder.Path().string());
    ExpectRefused(intoFolder, folder.Path(), "v");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1)
        << "no temporary file is left beside it";
}

TEST_F(IniFileTest, ReplacementKeepsPermissionsAndLinks) {
    WriteFile(folder.Path() / "real.ini", "[S]\nk=1\n");
    fs::permissions(folder.Path() / "real.ini",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real.ini", path);
    IniFile ini(path.string());
    ini.WriteString("S", "k", "2");
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(ReadFile(folder.Path() / "real.ini"), "[S]\nk=2\n");
    EXPECT_EQ(fs::status(folder.Path() / "real.ini").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(IniFileTest, OddFilesNeverCrashAndWritesStayOnTheirLine) {
    const std::string odd[] = {
        Bytes("[S]\nk=a\0b\nz=1\n"),
        "[S]\n" + std::string(1 << 20, 'x') + "\nk=1",
        "\xEF\xBB\xBF",
        "\xFF\xFE",
        "\xFF\xFE\x41",
        "[S\nk=1\n",
        "[S]",
        "\r\r\n\n\r",
    };
    for (const std::string& bytes : odd) {
        IniFile ini = WithContent(bytes);
        (void)ini.ReadString("S", "k", "");
        (void)ini.ValueExists("S", "k");
        ini.WriteString("T", "new", "v");
        const std::string after = ReadFile(path);
        EXPECT_NE(after.find(bytes.substr(0, 2)), std::string::npos);
        EXPECT_EQ(ini.ReadString("T", "new", ""), "v");
    }
}

TEST(GameSettingsReading, ResolutionAndChoices) {
    tmt::test::TempDir folder;
    const auto path = folder.Path() / "config.ini";
    IniFile ini(path.string());
    EXPECT_FALSE(tmt::ReadResolution(ini));
    EXPECT_EQ(tmt::ReadFullScreen(ini), tmt::FullScreenSetting::Unrecognised);
    EXPECT_EQ(tmt::ReadScreens(ini), -1);
    EXPECT_EQ(tmt::ReadSongsFolder(ini), "Default");
    EXPECT_EQ(tmt::ReadUpdateChannel(ini), 0);

    struct Resolution {
        const char* stored;
        const char* width;
        const char* height;
    };
    for (const Resolution r : {Resolution{"1280X720", "1280", "720"},
                               {"1280x720", "1280", "720"},
                               {"800x600x32", "800", "600X32"},
                               {"x", "", ""},
                               {"abcxdef", "ABC", "DEF"}}) {
        WriteFile(path, std::string("[Graphics]\nResolution=") + r.stored + "\n");
        const auto read = tmt::ReadResolution(ini);
        ASSERT_TRUE(read) << r.stored;
        EXPECT_EQ(read->width, r.width) << r.stored;
        EXPECT_EQ(read->height, r.height) << r.stored;
    }
    WriteFile(path,
              "[Graphics]\nResolution=1280\nFullScreen=off\nScreens=0x2\n[Net]\nUpdateChannel=2\n"
              "[Path]\nSongs=\n");
    EXPECT_FALSE(tmt::ReadResolution(ini));
    EXPECT_EQ(tmt::ReadFullScreen(ini), tmt::FullScreenSetting::Off);
    EXPECT_EQ(tmt::ReadScreens(ini), 2);
    EXPECT_EQ(tmt::ReadUpdateChannel(ini), 2);
    EXPECT_EQ(tmt::ReadSongsFolder(ini), "");
    WriteFile(path, "[Graphics]\nFullScreen=1\nScreens=two\n");
    EXPECT_EQ(tmt::ReadFullScreen(ini), tmt::FullScreenSetting::Unrecognised);
    EXPECT_EQ(tmt::ReadScreens(ini), -1);
}

} // namespace

namespace {

TEST_F(IniFileTest, KeysThatWouldNotReadBackAreRefused) {
    IniFile ini = WithContent("[S]\r\nk=1\r\n");
    for (const std::string& key : std::vector<std::string>{"", "a=b", "[T]", "; note",
                                                           std::string("a\0b", 3), "two\nlines"}) {
        EXPECT_THROW(ini.WriteString("S", key, "v"), tmt::Error) << key;
    }
    EXPECT_THROW(ini.WriteString("S", "k", std::string("a\0b", 3)), tmt::Error);
    EXPECT_THROW(ini.WriteString("S", "k", "a\r\n[Injected]"), tmt::Error);
    EXPECT_EQ(ReadFile(path), "[S]\r\nk=1\r\n");
}

TEST_F(IniFileTest, AReadOnlyFileIsNotReplaced) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run the write as another user";
    }
    // Root may write anything; the write runs as an ordinary user who owns the folder but whose
    // file is read-only.
    constexpr uid_t kNobody = 65534;
    fs::permissions(folder.Path(), fs::perms::all);
    WriteFile(path, "[S]\r\nk=1\r\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chown(folder.Path().c_str(), kNobody, kNobody), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(2);
        }
        try {
            IniFile(path.string()).WriteString("S", "k", "2");
        } catch (const tmt::Error&) {
            ::_exit(0);
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write must fail";
    EXPECT_EQ(ReadFile(path), "[S]\r\nk=1\r\n");
}

} // namespace
