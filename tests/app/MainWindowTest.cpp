#include "app/UMain.h"

#include "app/ApplicationTitle.h"
#include "platform/OwnExecutable.h"
#include "platform/qt/MessageBox.h"
#include "tests/support/LabelPixels.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestPrefix.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace {

using tmt::ui::MessageBox;

const char* const kToolButtons[] = {"bProfileManager", "bConfig", "bMaintenance", "bRunSpecial",
                                    "bRun"};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        tmt::ui::SetApplicationTitle("TuneMora Tools ");
        MessageBox::TakeShown();
        // By default the program stands outside any game folder.
        tmt::platform::SetOwnExecutablePathForTesting("C:\\Tools\\tunemora-tools");
    }
    void TearDown() override { tmt::platform::SetOwnExecutablePathForTesting(""); }

    std::unique_ptr<TFormMain> Open() { return std::make_unique<TFormMain>(); }

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

    tmt::test::TestPrefix prefix;
};

TEST_F(MainWindowTest, RecordedFolderWithGameShowsTheRegistryValues) {
    prefix.MakeGameFolder("Games/TuneMora");
    prefix.WriteInstallKey(R"("C:\\Games\\TuneMora")", R"("1.0.2 M\xfcnster \"q\"")");
    const auto form = Open();
    EXPECT_EQ(form->InstallDir, "C:\\Games\\TuneMora");
    EXPECT_EQ(form->InstallVer, "1.0.2 M\u00fcnster \"q\"");
    EXPECT_EQ(Label(*form, "lDefaultDir"), "C:\\Games\\TuneMora");
    EXPECT_EQ(Label(*form, "lVersion"), QString::fromUtf8("1.0.2 M\u00fcnster \"q\""));
    EXPECT_EQ(EnabledToolButtons(*form), 5);
    EXPECT_TRUE(MessageBox::TakeShown().empty());
}

TEST_F(MainWindowTest, ToolInAnotherGameFolderTakesItsOwnFolder) {
    prefix.MakeGameFolder("Games/TuneMora");
    prefix.MakeGameFolder("Other/TuneMora");
    tmt::platform::SetOwnExecutablePathForTesting("C:\\Other\\TuneMora\\tunemora-tools");
    const std::string registryBefore = R"("C:\\Games\\TuneMora")";
    for (const bool withKey : {true, false}) {
        SCOPED_TRACE(withKey ? "with installation key" : "without installation key");
        if (withKey) {
            prefix.WriteInstallKey(registryBefore, R"("1.1")");
        } else {
            prefix.WriteSystemReg("WINE REGISTRY Version 2\n");
        }
        const std::string registry = prefix.RegistrySnapshot();
        const auto form = Open();
        EXPECT_EQ(form->InstallDir, "C:\\Other\\TuneMora");
        EXPECT_EQ(form->InstallVer, "Non default installation. Cannot read version.");
        EXPECT_EQ(Label(*form, "lDefaultDir"), "C:\\Other\\TuneMora");
        EXPECT_EQ(Label(*form, "lVersion"), "Non default installation. Cannot read version.");
        EXPECT_EQ(EnabledToolButtons(*form), 5);
        EXPECT_EQ(prefix.RegistrySnapshot(), registry);
    }
}

TEST_F(MainWindowTest, RecordedFolderWithoutVersionLeavesTheVersionEmpty) {
    prefix.MakeGameFolder("Games/TuneMora");
    prefix.WriteInstallKey(R"("C:\\Games\\TuneMora")", std::nullopt);
    const auto form = Open();
    EXPECT_EQ(Label(*form, "lVersion"), "");
    EXPECT_EQ(Label(*form, "lDefaultDir"), "C:\\Games\\TuneMora");
    EXPECT_EQ(EnabledToolButtons(*form), 5);
}

TEST_F(MainWindowTest, NoInstallationAtAllDisablesTheTools) {
    const auto form = Open();
    const auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, MessageBox::Kind::Error);
    EXPECT_EQ(shown[0].buttons, MessageBox::Ok);
    EXPECT_EQ(shown[0].text, "Found path () to TuneMora but this directory doesnt exist! Please "
                             "reinstall TuneMora.");
    EXPECT_FALSE(form->isVisible()) << "the box comes before the window is on screen";
    EXPECT_EQ(Label(*form, "lDefaultDir"),
              "Wrong or none directory in registry. Please reinstall TuneMora!");
    EXPECT_EQ(form->InstallDir, "Wrong or none directory in registry. Please reinstall TuneMora!");
    EXPECT_EQ(Label(*form, "lVersion"), "");
    EXPECT_EQ(EnabledToolButtons(*form), 0);
    EXPECT_TRUE(Button(*form, "bAbout")->isEnabled());
    EXPECT_TRUE(Button(*form, "bExit")->isEnabled());
}

TEST_F(MainWindowTest, WithoutAnInstallationKeyTheCurrentFolderIsNotTheGame) {
    // "\Tunemora.exe" is the root of the current drive, as on Windows; a tool started from
    // inside a game folder must not take that folder's game (and its Temp) silently.
    const std::filesystem::path game = prefix.MakeGameFolder("Games/TuneMora");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(game);
    const auto form = Open();
    std::filesystem::current_path(before);
    EXPECT_EQ(MessageBox::TakeShown().size(), 1u);
    EXPECT_EQ(form->InstallDir, "Wrong or none directory in registry. Please reinstall TuneMora!");
    EXPECT_EQ(EnabledToolButtons(*form), 0);
}

TEST_F(MainWindowTest, RecordedFolderWithoutGameNamesItAndKeepsTheVersion) {
    std::filesystem::create_directories(prefix.DriveC() / "Games" / "TuneMora");
    prefix.WriteInstallKey(R"("C:\\Games\\TuneMora")", R"("1.1")");
    const auto form = Open();
    const auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Found path (C:\\Games\\TuneMora) to TuneMora but this directory "
                             "doesnt exist! Please reinstall TuneMora.");
    EXPECT_EQ(Label(*form, "lVersion"), "1.1");
    EXPECT_EQ(EnabledToolButtons(*form), 0);
}

TEST_F(MainWindowTest, ExpandableStringIsNotExpanded) {
    prefix.MakeGameFolder("Program Files/TuneMora");
    qputenv("ProgramFiles", QByteArrayLiteral("C:\\Program Files"));
    prefix.WriteInstallKey(R"(str(2):"%ProgramFiles%\\TuneMora")", R"("1.1")");
    const auto form = Open();
    const auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Found path (%ProgramFiles%\\TuneMora) to TuneMora but this "
                             "directory doesnt exist! Please reinstall TuneMora.");
    EXPECT_EQ(EnabledToolButtons(*form), 0);
}

TEST_F(MainWindowTest, ValueOfAnotherTypeEndsTheDiscoveryWithAnErrorReport) {
    tmt::platform::SetOwnExecutablePathForTesting("");
    prefix.MakeGameFolder("Games/TuneMora");
    prefix.WriteInstallKey("dword:00000001", R"("1.1")");
    const auto form = Open();
    const auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, MessageBox::Kind::Error);
    EXPECT_EQ(shown[0].title, "TuneMora Tools  1.1.3.0");
    // The quote's code is below ".", so the report adds no full stop.
    EXPECT_EQ(shown[0].text, "Invalid data type for 'InstallDir'");
    EXPECT_EQ(Label(*form, "lDefaultDir"), "");
    EXPECT_EQ(Label(*form, "lVersion"), "");
    EXPECT_EQ(EnabledToolButtons(*form), 5);
}

TEST_F(MainWindowTest, CaptionAndTitleCarryTheProgramsOwnVersion) {
    tmt::platform::SetOwnExecutablePathForTesting("");
    prefix.MakeGameFolder("Games/TuneMora");
    prefix.WriteInstallKey(R"("C:\\Games\\TuneMora")", R"("9.9")");
    const auto form = Open();
    EXPECT_EQ(form->windowTitle(), "TuneMora Official Tools 1.1.3.0");
    EXPECT_EQ(tmt::ui::ApplicationTitle(), "TuneMora Tools  1.1.3.0");
}

TEST_F(MainWindowTest, GetVersionReadsTheFileVersionOfTheNamedFile) {
    prefix.MakeGameFolder("Games/TuneMora");
    prefix.WriteInstallKey(R"("C:\\Games\\TuneMora")", R"("9.9")");
    const auto form = Open();
    // This test program carries file version 1.1.3.0 and product version 2.0.0.0.
    tmt::platform::SetOwnExecutablePathForTesting("");
    EXPECT_EQ(form->GetVersion(tmt::platform::OwnExecutablePath()), "1.1.3.0");
    EXPECT_EQ(form->GetVersion("C:\\Games\\TuneMora\\Tunemora.exe"), "0.0.0.0");
    EXPECT_EQ(form->GetVersion("C:\\Games\\missing.exe"), "0.0.0.0");
}

// Runs the event loop until the program is told to end, or fails after a while.
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
            prefix.MakeGameFolder("Games/TuneMora");
            prefix.WriteInstallKey(R"("C:\\Games\\TuneMora")", R"("1.1")");
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

TEST_F(MainWindowTest, VersionAndFolderAreShownAsTheCharactersTheyAre) {
    prefix.MakeGameFolder("Games/Tune&amp;Mora");
    prefix.WriteInstallKey(R"("C:\\Games\\Tune&amp;Mora")", R"("1.0 <i>beta</i> &lt;b&gt;")");
    const auto form = Open();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_EQ(Label(*form, "lVersion"), "1.0 <i>beta</i> &lt;b&gt;");
    EXPECT_EQ(Label(*form, "lDefaultDir"), "C:\\Games\\Tune&amp;Mora");
    for (const char* name : {"Label1", "lVersion", "Label2", "lDefaultDir"}) {
        EXPECT_TRUE(tmt::test::ShowsPlainText(*form->findChild<QLabel*>(name))) << name;
    }
}

} // namespace
