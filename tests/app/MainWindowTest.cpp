#include "app/UMain.h"

#include "app/ApplicationTitle.h"
#include "platform/OwnExecutable.h"
#include "platform/qt/MessageBox.h"
#include "tests/support/GameStarts.h"
#include "tests/support/LabelPixels.h"
#include "tests/support/OutsideGamesTest.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/WaitForSearch.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

namespace {

namespace fs = std::filesystem;
using tmt::ui::MessageBox;

const char* const kToolButtons[] = {"bProfileManager", "bConfig", "bMaintenance", "bRunSpecial",
                                    "bRun"};
const QString kNoInstallation = "Wrong or none directory in registry. Please reinstall TuneMora!";
const QString kNonDefault = "Non default installation. Cannot read version.";

class MainWindowTest : public tmt::test::OutsideGamesTest {
protected:
    void SetUp() override {
        tmt::ui::SetApplicationTitle("TuneMora Tools ");
        OutsideGamesTest::SetUp();
    }

    static std::unique_ptr<TFormMain> Open() {
        auto form = std::make_unique<TFormMain>();
        tmt::test::WaitForSearch(*form);
        return form;
    }
    static QString Label(const TFormMain& form, const char* name) {
        return form.findChild<QLabel*>(name)->text();
    }
    static QPushButton* Button(const TFormMain& form, const char* name) {
        return form.findChild<QPushButton*>(name);
    }
    static int EnabledToolButtons(const TFormMain& form) {
        int enabled = 0;
        for (const char* name : kToolButtons) {
            enabled += Button(form, name)->isEnabled() ? 1 : 0;
        }
        return enabled;
    }
    // The folder and version are shown and taken as the installation's; the tools are on only
    // for a folder that holds the game.
    static void ExpectShown(const TFormMain& form, const QString& folder, const QString& version,
                            bool toolsOn) {
        EXPECT_EQ(Label(form, "lDefaultDir"), folder);
        EXPECT_EQ(QString::fromStdString(form.InstallDir), folder);
        EXPECT_EQ(Label(form, "lVersion"), version);
        EXPECT_EQ(QString::fromStdString(form.InstallVer), version);
        EXPECT_EQ(EnabledToolButtons(form), toolsOn ? 5 : 0);
    }
    static void ExpectErrorBox(const QString& text, const QString& title = "Error") {
        const auto shown = MessageBox::TakeShown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].kind, MessageBox::Kind::Error);
        EXPECT_EQ(shown[0].buttons, MessageBox::Ok);
        EXPECT_EQ(shown[0].title, title);
        EXPECT_EQ(shown[0].text, text);
    }
    void MakeInstalledGame(const std::string& folder = "Games/TuneMora") {
        prefix.MakeGameFolder(folder);
        std::string registryPath = "C:\\\\" + folder;
        for (std::size_t at = 0; (at = registryPath.find('/', at)) != std::string::npos;) {
            registryPath.replace(at, 1, "\\\\");
        }
        prefix.WriteInstallKey("\"" + registryPath + "\"", R"("1.1")");
    }

    tmt::test::TestPrefix prefix;
};

TEST_F(MainWindowTest, RecordedFolderWithGameShowsTheRegistryValues) {
    prefix.MakeGameFolder("Games/TuneMora");
    prefix.WriteInstallKey(R"("C:\\Games\\TuneMora")", R"("1.0.2 M\xfcnster \"q\"")");
    const auto form = Open();
    ExpectShown(*form, "C:\\Games\\TuneMora", QString::fromUtf8("1.0.2 M\u00fcnster \"q\""), true);
    EXPECT_TRUE(MessageBox::TakeShown().empty());
}

// Without a key the tool's folder wins as well: the decision table's own tests show that.
TEST_F(MainWindowTest, ToolInAnotherGameFolderTakesItsOwnFolder) {
    prefix.MakeGameFolder("Games/TuneMora");
    prefix.MakeGameFolder("Other/TuneMora");
    tmt::platform::SetOwnExecutablePathForTesting("C:\\Other\\TuneMora\\tunemora-tools");
    prefix.WriteInstallKey(R"("C:\\Games\\TuneMora")", R"("1.1")");
    const std::string registry = prefix.RegistrySnapshot();
    const auto form = Open();
    ExpectShown(*form, "C:\\Other\\TuneMora", kNonDefault, true);
    EXPECT_EQ(prefix.RegistrySnapshot(), registry);
}

TEST_F(MainWindowTest, RecordedFolderWithoutVersionLeavesTheVersionEmpty) {
    prefix.MakeGameFolder("Games/TuneMora");
    prefix.WriteInstallKey(R"("C:\\Games\\TuneMora")", std::nullopt);
    ExpectShown(*Open(), "C:\\Games\\TuneMora", "", true);
}

TEST_F(MainWindowTest, NoInstallationAtAllDisablesTheTools) {
    const auto form = Open();
    ExpectErrorBox("Found path () to TuneMora but this directory doesnt exist! Please reinstall "
                   "TuneMora.");
    ExpectShown(*form, kNoInstallation, "", false);
    EXPECT_TRUE(Button(*form, "bAbout")->isEnabled());
    EXPECT_TRUE(Button(*form, "bExit")->isEnabled());
}

TEST_F(MainWindowTest, WithoutAnInstallationKeyTheCurrentFolderIsNotTheGame) {
    // "\Tunemora.exe" is the root of the current drive, as on Windows; a tool started from
    // inside a game folder must not take that folder's game (and its Temp) silently.
    const fs::path game = prefix.MakeGameFolder("Games/TuneMora");
    const fs::path before = fs::current_path();
    fs::current_path(game);
    const auto form = Open();
    fs::current_path(before);
    EXPECT_EQ(MessageBox::TakeShown().size(), 1u);
    ExpectShown(*form, kNoInstallation, "", false);
}

// The value is taken as it is stored: an expandable string stays unexpanded (the registry's own
// tests show that), and then names no folder with the game.
TEST_F(MainWindowTest, RecordedFolderWithoutGameNamesItAndKeepsTheVersion) {
    fs::create_directories(prefix.DriveC() / "Games" / "TuneMora");
    prefix.WriteInstallKey(R"("C:\\Games\\TuneMora")", R"("1.1")");
    const auto form = Open();
    ExpectErrorBox("Found path (C:\\Games\\TuneMora) to TuneMora but this directory doesnt exist! "
                   "Please reinstall TuneMora.");
    ExpectShown(*form, kNoInstallation, "1.1", false);
}

TEST_F(MainWindowTest, ValueOfAnotherTypeEndsTheDiscoveryWithAnErrorReport) {
    tmt::platform::SetOwnExecutablePathForTesting("");
    prefix.MakeGameFolder("Games/TuneMora");
    prefix.WriteInstallKey("dword:00000001", R"("1.1")");
    const auto form = Open();
    // The quote's code is below ".", so the report adds no full stop.
    ExpectErrorBox("Invalid data type for 'InstallDir'", "TuneMora Tools  1.1.3.0");
    ExpectShown(*form, "", "", true);
}

TEST_F(MainWindowTest, VersionAndFolderAreShownAsTheCharactersTheyAre) {
    prefix.MakeGameFolder("Games/Tune&amp;Mora");
    prefix.WriteInstallKey(R"("C:\\Games\\Tune&amp;Mora")", R"("1.0 <i>beta</i> &lt;b&gt;")");
    const auto form = Open();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    ExpectShown(*form, "C:\\Games\\Tune&amp;Mora", "1.0 <i>beta</i> &lt;b&gt;", true);
    for (const char* name : {"Label1", "lVersion", "Label2", "lDefaultDir"}) {
        EXPECT_TRUE(tmt::test::ShowsPlainText(*form->findChild<QLabel*>(name))) << name;
    }
}

TEST_F(MainWindowTest, CaptionTitleAndVersionsComeFromTheNamedFile) {
    tmt::platform::SetOwnExecutablePathForTesting("");
    prefix.MakeGameFolder("Games/TuneMora");
    prefix.WriteInstallKey(R"("C:\\Games\\TuneMora")", R"("9.9")");
    const auto form = Open();
    EXPECT_EQ(form->windowTitle(), "TuneMora Official Tools 1.1.3.0");
    EXPECT_EQ(tmt::ui::ApplicationTitle(), "TuneMora Tools  1.1.3.0");
    // This test program carries file version 1.1.3.0 and product version 2.0.0.0.
    tmt::platform::SetOwnExecutablePathForTesting("");
    EXPECT_EQ(form->GetVersion(tmt::platform::OwnExecutablePath()), "1.1.3.0");
    EXPECT_EQ(form->GetVersion("C:\\Games\\TuneMora\\Tunemora.exe"), "0.0.0.0");
    EXPECT_EQ(form->GetVersion("C:\\Games\\missing.exe"), "0.0.0.0");
}

// Runs the event loop until the program is told to end; the safety net only bounds a failure.
bool EndsTheProgram(const std::function<void()>& action) {
    QTimer::singleShot(0, action);
    // The safety net is stopped with the loop, so it cannot end a later test's event loop.
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QApplication::exit(99); });
    safety.start(5000);
    return QApplication::exec() == 0;
}

TEST_F(MainWindowTest, EscapeAndExitEndTheProgramAlsoWithoutAnInstallation) {
    for (const bool installed : {true, false}) {
        SCOPED_TRACE(installed ? "installed" : "not installed");
        if (installed) {
            MakeInstalledGame();
        }
        const auto form = Open();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        EXPECT_TRUE(EndsTheProgram([&] { QTest::keyClick(form.get(), Qt::Key_Escape); }));
        EXPECT_TRUE(
            EndsTheProgram([&] { QTest::mouseClick(Button(*form, "bExit"), Qt::LeftButton); }));
        MessageBox::TakeShown();
    }
}

// Run starts the game from its folder, with no command-line tail; it is pressed by a
// click, and by Return or the keypad's Enter when it has the focus, as Exit is.
TEST_F(MainWindowTest, RunAndTheFocusedButtonsRespondToClicksAndEnter) {
    MakeInstalledGame("Program Files/Tune Mora");
    const fs::path folder = prefix.DriveC() / "Program Files" / "Tune Mora";
    const tmt::test::GameStarts recorder;
    const auto form = Open();
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };
    // "Run Tunemora" is the fifth stop.
    for (int i = 0; i < 4; ++i) {
        press(Qt::Key_Tab);
    }
    ASSERT_EQ(QApplication::focusWidget(), Button(*form, "bRun"));
    press(Qt::Key_Return);
    press(Qt::Key_Enter, Qt::KeypadModifier);
    QTest::mouseClick(Button(*form, "bRun"), Qt::LeftButton);
    const auto starts = recorder.Starts(3);
    EXPECT_EQ(starts.size(), 3u);
    for (const auto& start : starts) {
        ASSERT_EQ(start.arguments.size(), 1u) << "no command-line tail";
        EXPECT_EQ(fs::canonical(start.arguments[0]), fs::canonical(folder / "Tunemora.exe"));
        EXPECT_EQ(fs::canonical(start.workingDirectory), fs::canonical(folder));
    }
    EXPECT_TRUE(MessageBox::TakeShown().empty());
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), Button(*form, "bExit"));
    EXPECT_TRUE(EndsTheProgram([&] { press(Qt::Key_Return); }));
}

} // namespace
