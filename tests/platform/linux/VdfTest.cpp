#include "platform/linux/installations/Vdf.h"

#include "tests/support/ManagerRecords.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

namespace vdf = tmt::platform::vdf;

TEST(VdfTest, ReadsLibraryFoldersAsSteamWritesThem) {
    const auto parsed = vdf::Parse(R"("libraryfolders"
{
	"0"
	{
		"path"		"/home/player/.local/share/Steam"
		"apps"
		{
			"228980"		"712"
		}
	}
	"1"
	{
		"path"		"/mnt/Games Disk/Steam \"Library\""
		"label"		""
	}
}
)");
    ASSERT_TRUE(parsed);
    const vdf::Block* folders = parsed->Child("LibraryFolders");
    ASSERT_NE(folders, nullptr) << "keys compare without case";
    ASSERT_EQ(folders->entries.size(), 2u);
    const auto& second = std::get<vdf::Block>(folders->entries[1].value);
    EXPECT_EQ(*second.Text("path"), "/mnt/Games Disk/Steam \"Library\"");
    EXPECT_EQ(second.Text("apps"), nullptr) << "a block is no text";
    EXPECT_EQ(second.Child("label"), nullptr) << "a text is no block";
    EXPECT_EQ(*std::get<vdf::Block>(folders->entries[0].value).Child("apps")->Text("228980"),
              "712");
}

TEST(VdfTest, UnderstandsEscapesCommentsConditionsAndBareTokens) {
    const auto parsed = vdf::Parse("// written by hand\n"
                                   "AppState {\n"
                                   "  \"name\" \"Tune\\tMora\\n\\\\ M\xc3\xbcnster\" [$LINUX]\n"
                                   "  installdir TuneMora // the folder\n"
                                   "  \"odd\" \"C:\\Games\"\n"
                                   "}");
    ASSERT_TRUE(parsed);
    const vdf::Block* state = parsed->Child("appstate");
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(*state->Text("name"), "Tune\tMora\n\\ M\xc3\xbcnster");
    EXPECT_EQ(*state->Text("installdir"), "TuneMora");
    EXPECT_EQ(*state->Text("odd"), "C:\\Games") << "an unknown escape stays as written";
}

TEST(VdfTest, MalformedTextGivesNothing) {
    for (const std::string text : {
             "\"AppState\" { \"name\" \"TuneMora }",     // open quote
             "\"AppState\" { \"name\" \"TuneMora\"",     // the block never closes
             "\"AppState\" { \"name\" \"TuneMora\" } }", // one brace too many
             "\"AppState\" { \"name\" }",                // a key without value
             "\"AppState\" { \"name\" \"x\" [$WIN32 }",  // an open condition
             "{ }",                                      // a block without key
         }) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(vdf::Parse(text));
    }
    EXPECT_TRUE(vdf::Parse(""));
    EXPECT_TRUE(vdf::Parse("  // nothing but a comment"));
}

TEST(VdfTest, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) {
        deep += "\"k\" {";
    }
    EXPECT_FALSE(vdf::Parse(deep));
    std::string allowed;
    for (int i = 0; i < 32; ++i) {
        allowed += "\"k\" {";
    }
    allowed += std::string(32, '}');
    EXPECT_TRUE(vdf::Parse(allowed));
}

TEST(VdfTest, ReadsSteamsBinaryShortcuts) {
    const tmt::test::TempDir folder;
    const auto file = tmt::test::InstallRecord(
        "steam/shortcuts.vdf", folder.Path() / "shortcuts.vdf", {{"PFX", "/home/player/pfx"}});
    const auto parsed = vdf::ParseBinary(tmt::test::ReadFile(file));
    ASSERT_TRUE(parsed);
    const vdf::Block* shortcuts = parsed->Child("shortcuts");
    ASSERT_NE(shortcuts, nullptr);
    ASSERT_EQ(shortcuts->entries.size(), 2u);
    const auto& first = std::get<vdf::Block>(shortcuts->entries[0].value);
    EXPECT_EQ(*first.Text("appid"), "-1171510507") << "signed, as stored";
    EXPECT_EQ(*first.Text("appname"), "TuneMora");
    EXPECT_EQ(*first.Text("Exe"), "\"/home/player/pfx/drive_c/Games/TuneMora/Tunemora.exe\"");
    EXPECT_EQ(*first.Text("LastPlayTime"), "1718306531");
    EXPECT_NE(first.Child("tags"), nullptr);

    // Cut anywhere inside, the file is refused; what follows the outermost block is ignored.
    const std::string bytes = tmt::test::ReadFile(file);
    for (std::size_t length = 1; length + 1 < bytes.size(); length += 7) {
        EXPECT_FALSE(vdf::ParseBinary(bytes.substr(0, length)) &&
                     vdf::ParseBinary(bytes.substr(0, length))->Child("shortcuts") != nullptr)
            << length;
    }
    EXPECT_TRUE(vdf::ParseBinary(bytes + "left over"));
    EXPECT_FALSE(vdf::ParseBinary(std::string("\x05wide\0", 6))) << "a type Steam never writes";
    EXPECT_FALSE(vdf::ParseBinary(std::string(100000, '\0'))) << "nesting without end";
}

} // namespace
