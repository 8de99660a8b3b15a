// The tool keeps no settings of its own: opening every window and the system's file and folder
// dialogs, and closing them, writes nothing where a user's settings are kept (the home folder;
// on Windows also the profile folder and the registry hive HKEY_CURRENT_USER), and nothing into
// the game's prefix or registry key. On Windows the system's dialogs need a screen, which the
// Windows stage gives this test (scripts/windows-screens.sh).
#include "platform/qt/FolderBrowser.h"
#include "platform/qt/PictureFile.h"
#include "tests/app/EveryWindow.h"
#include "tests/support/SystemDialog.h"
#include "tests/support/UserState.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Every file below a folder with its bytes.
std::map<std::string, std::string> Files(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        files[tmt::test::Utf8Of(entry.path())] =
            entry.is_regular_file() ? tmt::test::ReadFile(entry.path()) : "/";
    }
    return files;
}

class NoSettingsTest : public tmt::test::EveryWindowTest {
protected:
    void SetUp() override {
        if (!tmt::test::CanShowSystemDialogs()) {
            GTEST_SKIP() << "the system's dialogs need a screen";
        }
        // Watched from before the main window is made.
        watch_ = std::make_unique<tmt::test::UserStateWatch>();
        EveryWindowTest::SetUp();
    }
    void TearDown() override {
        EveryWindowTest::TearDown();
        watch_.reset();
    }

    std::unique_ptr<tmt::test::UserStateWatch> watch_;
};

TEST_F(NoSettingsTest, OpeningEveryWindowAndDialogWritesNothing) {
    const auto prefixFiles = Files(prefix.Root());
    const std::string registry = prefix.RegistrySnapshot();
    for (const std::string& className : tmt::test::EveryWindowName()) {
        QWidget& window = Open(className);
        window.close();
    }
    EXPECT_TRUE(tmt::test::CancelWhenShown([&] { tmt::ui::OpenPictureFile(main.get()); }));
    EXPECT_TRUE(tmt::test::CancelWhenShown([&] {
        tmt::ui::BrowseForFolder(main.get(), QStringLiteral("Select new Songs directory"));
    }));
    main->close();
    QApplication::processEvents();

    EXPECT_EQ(watch_->Changes(), std::vector<std::string>());
    EXPECT_EQ(Files(prefix.Root()), prefixFiles);
    EXPECT_EQ(prefix.RegistrySnapshot(), registry);
}

} // namespace
