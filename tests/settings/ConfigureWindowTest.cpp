#include "settings/UConfigure.h"

#include "app/ModalResult.h"
#include "app/UMain.h"
#include "platform/OwnExecutable.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/ScreenSize.h"
#include "settings/FolderChooser.h"
#include "settings/GameSettings.h"
#include "tests/support/FaultInjection.h"
#include "tests/support/GameWindowTest.h"
#include "tests/support/LabelPixels.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WhileShown.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <memory>

namespace {

namespace fs = std::filesystem;
using tmt::ui::MessageBox;

class ConfigureWindowTest : public tmt::test::GameWindowTest {
protected:
    void TearDown() override {
        GameWindowTest::TearDown();
        tmt::ui::SetFolderChooserForTesting(nullptr);
    }

    TFConfigure& Open() {
        window = std::make_unique<TFConfigure>(main.get());
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }
    template <typename T> T* Get(const char* name) { return window->findChild<T*>(name); }
    QString Text(const char* field) { return Get<QLineEdit>(field)->text(); }
    bool Checked(const char* radio) { return Get<QRadioButton>(radio)->isChecked(); }
    void Click(const char* button) { QTest::mouseClick(Get<QPushButton>(button), Qt::LeftButton); }
    void Config(const std::string& bytes) { tmt::test::WriteFile(game / "config.ini", bytes); }
    std::string Config() { return tmt::test::ReadFile(game / "config.ini"); }

    // Types into a size field and moves the focus on; returns the messages shown.
    std::vector<QString> TypeAndLeave(const char* field, const QString& text) {
        QLineEdit* edit = Get<QLineEdit>(field);
        edit->setFocus();
        edit->setText(text);
        Get<QPushButton>("bClose")->setFocus();
        std::vector<QString> texts;
        for (const auto& shown : MessageBox::TakeShown()) {
            texts.push_back(shown.text);
        }
        return texts;
    }

    std::unique_ptr<TFConfigure> window;
};

TEST_F(ConfigureWindowTest, WithoutAFileShowsTheDefaultsAndSaveCreatesIt) {
    Open();
    const QSize screen = tmt::ui::PrimaryScreenPixels();
    EXPECT_EQ(Text("eResW"), QString::number(screen.width()));
    EXPECT_EQ(Text("eResH"), QString::number(screen.height()));
    EXPECT_TRUE(Checked("rbFullON"));
    EXPECT_TRUE(Checked("rbMonitor1"));
    EXPECT_TRUE(Checked("rbStable"));
    EXPECT_EQ(Get<QLabel>("lSongsDir")->text(), "Default");
    EXPECT_FALSE(Get<QRadioButton>("rbDeveloper")->isEnabled());
    EXPECT_FALSE(fs::exists(game / "config.ini")) << "opening writes nothing";

    Click("bSave");
    EXPECT_EQ(Config(), "[Graphics]\r\nResolution=" + std::to_string(screen.width()) + "x" +
                            std::to_string(screen.height()) +
                            "\r\nFullScreen=On\r\nScreens=1\r\n[Net]\r\nUpdateChannel=0\r\n");
    EXPECT_FALSE(window->isVisible());
}

TEST_F(ConfigureWindowTest, ShowsTheStoredSettings) {
    Config("[Graphics]\r\nResolution=800x600x32\r\nFullScreen=off\r\nScreens=0x2\r\n"
           "[Path]\r\nSongs=\r\n[Net]\r\nUpdateChannel=2\r\n");
    Open();
    EXPECT_EQ(Text("eResW"), "800");
    EXPECT_EQ(Text("eResH"), "600X32");
    EXPECT_TRUE(Checked("rbFullOFF"));
    EXPECT_TRUE(Checked("rbMonitor2"));
    EXPECT_TRUE(Checked("rbDeveloper")) << "checked although the user cannot pick it";
    EXPECT_EQ(Get<QLabel>("lSongsDir")->text(), "");
    Click("bSave");
    EXPECT_NE(Config().find("[Path]\r\nSongs=\r\n"), std::string::npos)
        << "an empty songs folder is written back, not removed";
}

TEST_F(ConfigureWindowTest, SavingChangesOnlyTheFiveKeysLines) {
    const std::string game_own = "; TuneMora settings\r\n"
                                 "[Graphics]\r\n"
                                 "VSync = On\r\n"
                                 "  Resolution = 1024x768\r\n"
                                 "FullScreen=On\r\n"
                                 "\r\n"
                                 "[Path]\r\n"
                                 "Songs=C:\\Songs\r\n"
                                 "Skins=C:\\Skins\r\n"
                                 "[Audio]\r\n"
                                 "Volume=80\r\n"
                                 "[Net]\r\n"
                                 "UpdateChannel=1\r\n"
                                 "Server=example\r\n";
    Config(game_own);
    Open();
    Get<QRadioButton>("rbMonitor2")->setChecked(true);
    Get<QRadioButton>("rbFullOFF")->setChecked(true);
    Click("bSetDefSongsDir");
    EXPECT_EQ(Config(), game_own) << "nothing is written before Save";
    Click("bSave");
    EXPECT_EQ(Config(), "; TuneMora settings\r\n"
                        "[Graphics]\r\n"
                        "VSync = On\r\n"
                        "  Resolution=1024x768\r\n"
                        "FullScreen=Off\r\n"
                        "Screens=2\r\n"
                        "\r\n"
                        "[Path]\r\n"
                        "Skins=C:\\Skins\r\n"
                        "[Audio]\r\n"
                        "Volume=80\r\n"
                        "[Net]\r\n"
                        "UpdateChannel=1\r\n"
                        "Server=example\r\n");
}

TEST_F(ConfigureWindowTest, ChosenSongsFolderIsSavedInTheGamesForm) {
    Open();
    tmt::ui::SetFolderChooserForTesting(
        [] { return std::optional<std::string>("Z:\\music\\songs"); });
    Click("bSongsDir");
    EXPECT_EQ(Get<QLabel>("lSongsDir")->text(), "Z:\\music\\songs");
    tmt::ui::SetFolderChooserForTesting([] { return std::optional<std::string>(); });
    Click("bSongsDir");
    EXPECT_EQ(Get<QLabel>("lSongsDir")->text(), "Z:\\music\\songs") << "cancel changes nothing";
    Click("bSave");
    EXPECT_NE(Config().find("[Path]\r\nSongs=Z:\\music\\songs\r\n"), std::string::npos);
}

TEST_F(ConfigureWindowTest, SizeFieldsAreCheckedWhenTheFocusLeaves) {
    Open();
    EXPECT_EQ(TypeAndLeave("eResW", "abc"),
              std::vector<QString>{"'abc' is not a valid integer value"});
    EXPECT_EQ(Text("eResW"), "abc") << "without a stored resolution the rejected text stays";

    // Otherwise the field returns to what the file holds at that moment.
    Config("[Graphics]\r\nResolution=1024x768\r\n");
    EXPECT_EQ(TypeAndLeave("eResH", "0"), std::vector<QString>{"Resolution must be bigger than 0"});
    EXPECT_EQ(Text("eResH"), "768");
    EXPECT_EQ(TypeAndLeave("eResW", "-5"),
              std::vector<QString>{"Resolution must be bigger than 0"});
    EXPECT_EQ(TypeAndLeave("eResW", "abc"),
              std::vector<QString>{"'abc' is not a valid integer value"});
    EXPECT_EQ(Text("eResW"), "1024");
    EXPECT_EQ(TypeAndLeave("eResW", ""), std::vector<QString>{"'' is not a valid integer value"});
    EXPECT_TRUE(TypeAndLeave("eResW", " +$10").empty()) << "accepted and kept as typed";
    EXPECT_EQ(Text("eResW"), " +$10");
    Config("[Graphics]\r\nResolution=640x480\r\n");
    TypeAndLeave("eResW", "x");
    EXPECT_EQ(Text("eResW"), "640");
}

TEST_F(ConfigureWindowTest, EnterInASizeFieldSavesUnchecked) {
    Open();
    QLineEdit* width = Get<QLineEdit>("eResW");
    width->setFocus();
    width->setText("abc");
    QTest::keyClick(width, Qt::Key_Return);
    EXPECT_NE(Config().find("Resolution=abcx"), std::string::npos);
}

// A file that cannot be deleted (players make config.ini read-only, which DeleteFileW refuses)
// stays and the window closes all the same: the deletion's and the fault sweep's tests.
TEST_F(ConfigureWindowTest, ResetAsksAndDeletesTheFile) {
    Config("[Graphics]\r\nFullScreen=Off\r\n");
    Open();
    Get<QLineEdit>("eResW")->setText("1");
    MessageBox::SetNextAnswer(tmt::ui::mrAbort);
    Click("bResetSettings");
    auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, MessageBox::Kind::Warning);
    EXPECT_EQ(shown[0].title, "Warning");
    EXPECT_EQ(shown[0].text, "This option will remove file config.ini from your computer and close "
                             "this window. Run TuneMora to recreate it.");
    EXPECT_EQ(shown[0].buttons, MessageBox::Yes | MessageBox::Abort);
    EXPECT_EQ(shown[0].defaultButton, MessageBox::Yes);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Text("eResW"), "1") << "edits stay after Abort";
    EXPECT_TRUE(fs::exists(game / "config.ini"));

    MessageBox::SetNextAnswer(tmt::ui::mrYes);
    Click("bResetSettings");
    EXPECT_FALSE(fs::exists(game / "config.ini"));
    EXPECT_FALSE(window->isVisible());
}

// Told when the folder is chosen: at Save the rest of what was set would be lost with it.
TEST_F(ConfigureWindowTest, ASongsFolderTheFileCannotHoldIsRefusedWhenChosen) {
    const QString folder = QString::fromUtf8("C:\\Piosenki \u0141\u00f3d\u017a");
    tmt::ui::SetFolderChooserForTesting(
        [&] { return std::optional<std::string>(folder.toStdString()); });
    Config("[Graphics]\r\nResolution=1x1\r\n");
    Open();
    Get<QLineEdit>("eResW")->setText("1280");
    Click("bSongsDir");
    auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, MessageBox::Kind::Error);
    EXPECT_EQ(shown[0].text.toStdString(),
              "C:\\Games\\TuneMora\\config.ini cannot store these characters: "
              "\u0141 \u017a.");
    EXPECT_EQ(Get<QLabel>("lSongsDir")->text(), "Default");
    EXPECT_EQ(Text("eResW"), "1280");
    EXPECT_EQ(Config(), "[Graphics]\r\nResolution=1x1\r\n");

    Click("bSave");
    EXPECT_TRUE(MessageBox::TakeShown().empty());
    EXPECT_NE(Config().find("Resolution=1280x1"), std::string::npos);

    // Without a config.ini the save creates one that holds the folder: UTF-16LE.
    window->close();
    fs::remove(game / "config.ini");
    Open();
    Click("bSongsDir");
    Click("bSave");
    EXPECT_TRUE(MessageBox::TakeShown().empty());
    EXPECT_EQ(Config().substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(tmt::ReadSongsFolder(tmt::IniFile(tmt::GameSettingsPath(FormMain->InstallDir))),
              folder.toStdString());
}

TEST_F(ConfigureWindowTest, AFailedWriteStopsTheSaveAndKeepsTheWindowOpen) {
    Config("[Graphics]\r\nResolution=1x1\r\n");
    Open();
    Get<QLineEdit>("eResW")->setText("800");
    Get<QLineEdit>("eResH")->setText("600");
    tmt::ui::SetFolderChooserForTesting([] { return std::optional<std::string>("C:\\Songs"); });
    Click("bSongsDir");
    {
        // The third key's replacement of the file fails, as on a full disk.
        const tmt::test::FailNthCall fail(tmt::platform::fileops::Call::Rename, 3, ENOSPC);
        Click("bSave");
    }
    const auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, MessageBox::Kind::Error);
    EXPECT_EQ(shown[0].text, "Unable to write to C:\\Games\\TuneMora\\config.ini.");
    EXPECT_EQ(Config(), "[Graphics]\r\nResolution=800x600\r\n[Path]\r\nSongs=C:\\Songs\r\n");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(std::distance(fs::directory_iterator(game), fs::directory_iterator()), 2)
        << "only Tunemora.exe and config.ini: no temporary file left";
}

// Players make config.ini read-only so that the game leaves it as it is; the program never
// rewrites it either, also when it runs as root, who may write any file.
TEST_F(ConfigureWindowTest, AReadOnlyConfigIsNeverRewritten) {
    const std::string kept = "[Graphics]\r\nResolution=1x1\r\n";
    Config(kept);
    fs::permissions(game / "config.ini",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Open();
    Get<QLineEdit>("eResW")->setText("800");
    Click("bSave");
    const auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Unable to write to C:\\Games\\TuneMora\\config.ini.");
    EXPECT_EQ(Config(), kept);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(ConfigureWindowTest, TheSongsFolderIsShownAsTheCharactersItHas) {
    Config("[Path]\r\nSongs=D:\\<b>Songs</b> &amp; more\r\n");
    Open();
    auto* label = Get<QLabel>("lSongsDir");
    EXPECT_EQ(label->text(), "D:\\<b>Songs</b> &amp; more");
    EXPECT_TRUE(tmt::test::ShowsPlainText(*label));
}

TEST_F(ConfigureWindowTest, ALongSongsFolderWrapsInsideTheWindowThatStaysOnTheScreen) {
    Open();
    const QSize designed = window->size();
    const QRect screen = window->screen()->availableGeometry();
    const QString spaced = "D:\\Music Library\\" + QString("Songs For The Game ").repeated(20);
    const QString blankless = "Z:\\" + QString(700, u'x');
    const QString endless = "Z:\\" + QString("very long folder name\\").repeated(400);
    const auto* label = Get<QLabel>("lSongsDir");
    for (const QString& folder : {spaced, blankless, endless}) {
        SCOPED_TRACE(folder.size());
        tmt::ui::SetFolderChooserForTesting(
            [folder] { return std::optional(folder.toStdString()); });
        Click("bSongsDir");
        EXPECT_EQ(label->text(), folder);
        EXPECT_EQ(window->width(), designed.width()) << "the window widened instead of wrapping";
        EXPECT_GT(label->height(), 2 * label->fontMetrics().height()) << "no lines below";
        const QRect frame = window->frameGeometry();
        EXPECT_TRUE(frame.top() >= screen.top() && frame.bottom() <= screen.bottom())
            << "the window stands past the screen's top or bottom edge";
    }
    Click("bSetDefSongsDir");
    EXPECT_EQ(window->size(), designed);

    tmt::ui::SetFolderChooserForTesting([endless] { return std::optional(endless.toStdString()); });
    Click("bSongsDir");
    Click("bSave");
    EXPECT_NE(Config().find("Songs=" + endless.toStdString() + "\r\n"), std::string::npos)
        << "the whole folder is saved, also what the label could not show";
}

TEST_F(ConfigureWindowTest, TheFolderChooserOffersNoNewFolderAndNoFileTypes) {
    Open();
    const bool shown = tmt::test::WhileShown<QFileDialog>(
        [this] { Click("bSongsDir"); },
        [](QFileDialog& chooser) {
            for (const char* name : {"newFolderButton", "fileTypeLabel", "fileTypeCombo"}) {
                const auto* control = chooser.findChild<QWidget*>(name);
                ASSERT_NE(control, nullptr) << name;
                EXPECT_FALSE(control->isVisible()) << name;
            }
            EXPECT_EQ(chooser.labelText(QFileDialog::LookIn), "Select new Songs directory");
        });
    EXPECT_TRUE(shown);
    EXPECT_EQ(Get<QLabel>("lSongsDir")->text(), "Default");
}

} // namespace
