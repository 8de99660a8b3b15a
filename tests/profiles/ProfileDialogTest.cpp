#include "tests/profiles/ProfileWindowTest.h"

#include "profiles/ProfileStore.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

namespace {

namespace fs = std::filesystem;
using tmt::test::Jpeg;
using tmt::test::ReadFile;
using tmt::test::WriteFile;
using tmt::ui::MessageBox;
using Editor = Ui::TFProfile;

class ProfileDialogTest : public tmt::test::ProfileWindowTest {
protected:
    void SetUp() override {
        ProfileWindowTest::SetUp();
        WriteFile(game / "red.jpg", red);
        WriteFile(game / "blue.jpeg", blue);
    }
    void MakeBobWithAvatar() {
        MakeProfile("Bob",
                    "[profile]\r\nname=Bob\r\nlogin=b\r\nlocked=no\r\navatar=avatar.jpg\r\n");
        WriteFile(profiles / "Bob" / "avatar.jpg", old);
    }
    bool Modify(const std::function<void(TFProfile&, Editor&)>& inEditor) {
        OpenManager();
        return WithEditor([this] { Click(Get<QPushButton>("bModyfi")); }, inEditor);
    }
    bool Add(const std::function<void(TFProfile&, Editor&)>& inEditor) {
        OpenManager();
        return WithEditor([this] { Click(Get<QPushButton>("bAdd")); }, inEditor);
    }
    static bool ShowsPicture(const Editor& e) { return !e.iAvatar->pixmap().isNull(); }
    // Whether the profile file names an avatar: what the editor handed over reached the store,
    // whose tests check the files themselves.
    static bool NamesAnAvatar(const std::string& folder) {
        return tmt::IniFile(tmt::ProfileFilePath(kInstallDir, folder))
            .ValueExists("profile", "avatar");
    }
    // Bob's editor, Set Picture answered with `picture`, which it refuses with `error`: the
    // picture shown stays, the avatar kept is `kept`, and Save still names an avatar.
    void PickIsRefused(const std::string& picture, const QString& error, const std::string& kept) {
        AnswerPictures({picture});
        EXPECT_TRUE(Modify([&](TFProfile& dialog, Editor& e) {
            const QImage before = e.iAvatar->pixmap().toImage();
            e.Button3->click();
            const auto shown = Shown();
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].kind, MessageBox::Kind::Error);
            EXPECT_EQ(shown[0].text, error);
            EXPECT_EQ(dialog.AvatarPath, kept);
            EXPECT_EQ(e.iAvatar->pixmap().toImage(), before);
            e.Button2->click();
        }));
        EXPECT_TRUE(NamesAnAvatar("Bob"));
    }

    const std::string red = Jpeg(120, 80);
    const std::string blue = Jpeg(64, 64, {.progressive = true});
    const std::string old = Jpeg(100, 100, {.colour = tmt::test::JpegColour::Grayscale});
};

TEST_F(ProfileDialogTest, PictureIsChosenByDoubleClickSetOrMenuButNotBySingleClick) {
    TFProfile dialog;
    const Editor& e = *dialog.Controls();
    EXPECT_TRUE(dialog.SetAvatar.empty() && dialog.AvatarPath.empty());
    std::vector<QString> menu;
    for (const QAction* action : dialog.findChild<QMenu*>("PopupMenu1")->actions()) {
        menu.push_back(action->isSeparator() ? "-" : action->text());
    }
    EXPECT_EQ(menu, (std::vector<QString>{"Set avatar", "-", "Remove avatar"}));
    dialog.show();
    const auto picks = [&](const std::function<void()>& gesture) {
        AnswerPictures({std::nullopt});
        gesture();
        return picturesAsked;
    };
    EXPECT_EQ(picks([&] { QTest::mouseClick(e.iAvatar, Qt::LeftButton); }), 0);
    EXPECT_EQ(picks([&] { QTest::mouseClick(e.iAvatar, Qt::RightButton); }), 0);
    EXPECT_EQ(picks([&] { QTest::mouseDClick(e.iAvatar, Qt::LeftButton); }), 1);
    EXPECT_EQ(picks([&] { e.Button3->click(); }), 1);
    EXPECT_EQ(picks([&] { dialog.findChild<QAction*>("Setavatar1")->trigger(); }), 1);
    EXPECT_FALSE(ShowsPicture(e));
    EXPECT_TRUE(dialog.AvatarPath.empty());

    AnswerPictures({"C:\\Games\\TuneMora\\red.jpg"});
    QTest::mouseDClick(e.iAvatar, Qt::LeftButton);
    EXPECT_EQ(dialog.AvatarPath, "C:\\Games\\TuneMora\\red.jpg");
    EXPECT_EQ(e.iAvatar->pixmap().size(), QSize(100, 66));
    EXPECT_TRUE(dialog.SetAvatar.empty());
    EXPECT_TRUE(Shown().empty());
}

TEST_F(ProfileDialogTest, RemoveOnAddKeepsThePickedPictureAndSaveStoresIt) {
    AnswerPictures({"C:\\Games\\TuneMora\\red.jpg"});
    EXPECT_TRUE(Add([](TFProfile& dialog, Editor& e) {
        e.eName->setText("Ann");
        e.Button3->click();
        e.Button4->click();
        dialog.findChild<QAction*>("RemoveAvatar")->trigger();
        EXPECT_TRUE(ShowsPicture(e));
        EXPECT_EQ(dialog.AvatarPath, "C:\\Games\\TuneMora\\red.jpg");
        e.Button2->click();
    }));
    EXPECT_TRUE(NamesAnAvatar("Ann"));
}

TEST_F(ProfileDialogTest, RemoveThenSaveOnModifyDropsTheAvatar) {
    MakeBobWithAvatar();
    EXPECT_TRUE(Modify([](TFProfile& dialog, Editor& e) {
        EXPECT_TRUE(ShowsPicture(e));
        EXPECT_EQ(dialog.SetAvatar, "avatar.jpg");
        EXPECT_EQ(dialog.AvatarPath, "C:\\Games\\TuneMora\\Profiles\\Bob\\avatar.jpg");
        e.Button4->click();
        EXPECT_FALSE(ShowsPicture(e));
        EXPECT_TRUE(dialog.AvatarPath.empty());
        EXPECT_EQ(dialog.SetAvatar, "avatar.jpg");
        e.Button2->click();
    }));
    EXPECT_FALSE(NamesAnAvatar("Bob"));
}

TEST_F(ProfileDialogTest, RemoveSetSaveStoresTheNewPicture) {
    MakeBobWithAvatar();
    AnswerPictures({"C:\\Games\\TuneMora\\blue.jpeg"});
    EXPECT_TRUE(Modify([](TFProfile& dialog, Editor& e) {
        dialog.findChild<QAction*>("RemoveAvatar")->trigger();
        e.Button3->click();
        EXPECT_TRUE(ShowsPicture(e));
        EXPECT_EQ(dialog.AvatarPath, "C:\\Games\\TuneMora\\blue.jpeg");
        e.Button2->click();
    }));
    EXPECT_TRUE(NamesAnAvatar("Bob"));
}

// Which bytes make an unreadable picture is the decoder's tests' business.
TEST_F(ProfileDialogTest, UnreadablePickIsReportedAndStillSaved) {
    WriteFile(game / "broken.jpg", red.substr(0, red.size() / 2));
    MakeBobWithAvatar();
    PickIsRefused("C:\\Games\\TuneMora\\broken.jpg",
                  "Cannot load picture \"C:\\Games\\TuneMora\\broken.jpg\": not a readable JPEG "
                  "file.",
                  "C:\\Games\\TuneMora\\broken.jpg");
}

// A readable picture that would take more memory to show than the program allows: said so, and
// the avatar stays what it was. The file's header claims a 200-megapixel progressive photo, which
// the decoder refuses before it reads a pixel, as it would the photo itself.
TEST_F(ProfileDialogTest, APictureTooLargeToShowIsReportedAndTheAvatarKept) {
    WriteFile(game / "huge.jpg",
              tmt::test::WithDimensions(Jpeg(64, 48, {.progressive = true}), 16384, 12288));
    MakeBobWithAvatar();
    const std::string avatar = ReadFile(profiles / "Bob" / "avatar.jpg");
    PickIsRefused("C:\\Games\\TuneMora\\huge.jpg",
                  "C:\\Games\\TuneMora\\huge.jpg is too large to show: 16384 x 12288.",
                  "C:\\Games\\TuneMora\\Profiles\\Bob\\avatar.jpg");
    EXPECT_EQ(ReadFile(profiles / "Bob" / "avatar.jpg"), avatar);
}

TEST_F(ProfileDialogTest, APhotoOverAHundredMegapixelsIsShownScaledDown) {
    const tmt::test::JpegOptions grey = {.colour = tmt::test::JpegColour::Grayscale, .quality = 10};
    WriteFile(game / "huge.jpg", tmt::test::EncodeUniformJpeg(10001, 10000, {128}, grey));
    TFProfile dialog;
    const Editor& e = *dialog.Controls();
    dialog.show();
    AnswerPictures({"C:\\Games\\TuneMora\\huge.jpg"});
    e.Button3->click();
    EXPECT_EQ(e.iAvatar->pixmap().size(), QSize(100, 100));
    EXPECT_TRUE(Shown().empty());
}

} // namespace
