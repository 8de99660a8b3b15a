// The system's own open dialog as the picture dialog, driven through its windows as a person
// would: a file's name typed into its name field, and Open or Cancel pressed. It needs a screen,
// which the Windows stage gives these tests (scripts/windows-screens.sh).
#include "platform/qt/PictureFile.h"
#include "tests/support/GameWindowTest.h"
#include "tests/support/JpegEncoder.h"
#include "tests/support/OffscreenPlatform.h"
#include "tests/support/TempDir.h"
#include "tests/support/windows/ShownDialog.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

namespace {

// The dialog's name field and its box of file types, as Windows numbers them.
constexpr int kNameField = 1152;
constexpr int kTypeBox = 1136;

class PictureFileTest : public tmt::test::GameWindowTest {
protected:
    void SetUp() override {
        if (!tmt::test::OnSystemScreen()) {
            GTEST_SKIP() << "the system's dialog needs a screen";
        }
        GameWindowTest::SetUp();
    }

    std::optional<std::string> Pick(const std::function<void(HWND)>& inDialog) {
        std::optional<std::string> picked;
        QWidget owner;
        EXPECT_TRUE(tmt::test::WhileDialogShown([&] { picked = tmt::ui::OpenPictureFile(&owner); },
                                                inDialog));
        return picked;
    }
};

TEST_F(PictureFileTest, OffersJpegsAndAnswersWithTheTypedFile) {
    tmt::test::WriteFile(game / "red.jpg", tmt::test::EncodeUniformJpeg(120, 80, {200, 0, 0}));
    const std::optional<std::string> picked = Pick([](HWND dialog) {
        std::array<wchar_t, 64> type{};
        ::GetDlgItemTextW(dialog, kTypeBox, type.data(), static_cast<int>(type.size()));
        // The description as written, with its closing blank.
        EXPECT_EQ(std::wstring(type.data()), L"JPEG Image File ");
        ::SetDlgItemTextW(dialog, kNameField, L"C:\\Games\\TuneMora\\red.jpg");
        tmt::test::Press(dialog, IDOK);
    });
    EXPECT_EQ(picked, "C:\\Games\\TuneMora\\red.jpg");
}

TEST_F(PictureFileTest, CancelAnswersNothing) {
    EXPECT_EQ(Pick([](HWND dialog) { tmt::test::Press(dialog, IDCANCEL); }), std::nullopt);
}

} // namespace
