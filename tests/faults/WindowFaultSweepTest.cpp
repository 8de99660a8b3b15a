// The windows' own writes under a failing file system: the user is told in the program's words,
// and the game's files keep their old contents or the results of the steps that were completed.
#include "app/ModalResult.h"
#include "maintenance/UMaintenance.h"
#include "platform/qt/MessageBox.h"
#include "settings/UConfigure.h"
#include "tests/support/FaultSweep.h"
#include "tests/support/GameWindowTest.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;
using tmt::test::ContentOf;
using tmt::test::Fault;
using tmt::test::SweepEveryCall;
using tmt::ui::MessageBox;

class WindowFaultSweep : public tmt::test::GameWindowTest {
protected:
    template <typename Window> Window& Open() {
        auto window = std::make_unique<Window>(main.get());
        Window& shown = *window;
        open = std::move(window);
        shown.show();
        return shown;
    }
    void Click(const char* button) {
        QTest::mouseClick(open->findChild<QPushButton*>(button), Qt::LeftButton);
    }
    std::string Shown() {
        std::string texts;
        for (const auto& shown : MessageBox::TakeShown()) {
            texts += shown.text.toStdString();
        }
        return texts;
    }

    std::unique_ptr<QDialog> open;
};

TEST_F(WindowFaultSweep, ConfigurationSaveStopsAtTheFailingKey) {
    const fs::path config = game / "config.ini";
    const std::string old = "; TuneMora settings\r\n[Graphics]\r\nVSync=On\r\nResolution=1x1\r\n"
                            "[Path]\r\nSongs=C:\\Old\r\n[Net]\r\nServer=example\r\n";
    const auto setUp = [&] {
        tmt::test::WriteFile(config, old);
        Open<TFConfigure>();
        open->findChild<QLineEdit*>("eResW")->setText("800");
        open->findChild<QLineEdit*>("eResH")->setText("600");
        open->findChild<QRadioButton*>("rbMonitor2")->setChecked(true);
        open->findChild<QRadioButton*>("rbFullOFF")->setChecked(true);
        Click("bSetDefSongsDir");
    };
    const auto save = [&] {
        Click("bSave");
        return Shown();
    };
    setUp();
    const auto steps = tmt::test::ContentsDuring(config, save);
    SweepEveryCall(
        "configuration save", setUp, save,
        [&](const std::optional<Fault>& fault, const std::string& reported) {
            EXPECT_EQ(reported, fault ? "Unable to write to C:\\Games\\TuneMora\\config.ini." : "");
            EXPECT_EQ(open->isVisible(), fault.has_value());
            EXPECT_EQ(steps.count(ContentOf(config)), 1u) << ContentOf(config).value_or("(absent)");
            EXPECT_EQ(tmt::test::TemporariesIn(game), 0);
        });
}

TEST_F(WindowFaultSweep, ResetThatCannotDeleteLeavesTheFileWhole) {
    const fs::path config = game / "config.ini";
    const std::string old = "[Graphics]\r\nVSync=On\r\n";
    SweepEveryCall(
        "configuration reset",
        [&] {
            tmt::test::WriteFile(config, old);
            Open<TFConfigure>();
        },
        [&] {
            MessageBox::SetNextAnswer(tmt::ui::mrYes);
            Click("bResetSettings");
            MessageBox::TakeShown();
            return std::string();
        },
        [&](const std::optional<Fault>& fault, const std::string&) {
            // The window closes whether or not the file could be deleted.
            EXPECT_FALSE(open->isVisible());
            EXPECT_EQ(ContentOf(config), fault ? std::optional(old) : std::nullopt);
        });
}

TEST_F(WindowFaultSweep, TempCleanupThatCannotDeleteSaysSo) {
    const fs::path temp = game / "Temp";
    SweepEveryCall(
        "Temp cleanup window",
        [&] {
            tmt::test::WriteFile(temp / "a.log", "a");
            tmt::test::WriteFile(temp / "deep" / "b.log", "b");
            Open<TFMaintenance>().findChild<QCheckBox*>("CheckBox1")->setChecked(true);
        },
        [&] {
            Click("bClear");
            return Shown();
        },
        [&](const std::optional<Fault>& fault, const std::string& reported) {
            // A delete refused for want of rights is tried again after the rights are given.
            EXPECT_EQ(reported, fault && fault->error != EACCES
                                    ? "Temp directory cleanup incomplete: some files could not be "
                                      "deleted."
                                    : "Temp directory cleanup complete!");
        });
}

} // namespace
