#include "maintenance/UMaintenance.h"

#include "app/ModalResult.h"
#include "app/UMain.h"
#include "platform/OwnExecutable.h"
#include "platform/qt/MessageBox.h"
#include "tests/support/GameWindowTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

namespace {

namespace fs = std::filesystem;
using tmt::ui::MessageBox;

class MaintenanceWindowTest : public tmt::test::GameWindowTest {
protected:
    // Opens the window, ticks the given boxes, presses Clear and returns the texts shown.
    std::vector<QString> Clear(bool temp, bool cache) {
        window = std::make_unique<TFMaintenance>(main.get());
        window->show();
        window->findChild<QCheckBox*>("CheckBox1")->setChecked(temp);
        window->findChild<QCheckBox*>("CheckBox2")->setChecked(cache);
        QTest::mouseClick(window->findChild<QPushButton*>("bClear"), Qt::LeftButton);
        std::vector<QString> texts;
        for (const auto& shown : MessageBox::TakeShown()) {
            EXPECT_EQ(shown.kind, MessageBox::Kind::Plain);
            texts.push_back(shown.text);
        }
        return texts;
    }

    void MakeTemp() {
        tmt::test::WriteFile(game / "Temp" / "a.log", "a");
        tmt::test::WriteFile(game / "Temp" / "deep" / "er" / ".hidden", "b");
    }
    bool TempIsEmpty() const {
        return fs::is_directory(game / "Temp") && fs::is_empty(game / "Temp");
    }

    std::unique_ptr<TFMaintenance> window;
};

// Which message each outcome gives, and whether the window then closes, is the rules' business
// (TemporaryDataTest); here the window asks the platform about the real folder and files.
TEST_F(MaintenanceWindowTest, NothingCheckedClearsNothingAndStaysOpen) {
    MakeTemp();
    tmt::test::WriteFile(game / "covers.cache", "c");
    EXPECT_EQ(Clear(false, false), std::vector<QString>{"Nothing checked. Not clearing."});
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(fs::exists(game / "Temp" / "a.log"));
    EXPECT_TRUE(fs::exists(game / "covers.cache"));
}

TEST_F(MaintenanceWindowTest, TempIsEmptiedAndKeptAndTheCacheDeleted) {
    MakeTemp();
    tmt::test::WriteFile(game / "covers.cache", "c");
    EXPECT_EQ(Clear(true, true),
              (std::vector<QString>{"Temp directory cleanup complete!", "Covers cache deleted!"}));
    EXPECT_TRUE(TempIsEmpty());
    EXPECT_FALSE(fs::exists(game / "covers.cache"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), tmt::ui::mrCancel);
}

// Marks a file immutable for as long as the object lives: not even root can delete it then.
class Immutable {
public:
    explicit Immutable(const fs::path& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        ok_ = fd_ >= 0 && Set(FS_IMMUTABLE_FL);
    }
    ~Immutable() {
        if (ok_) {
            Set(0);
        }
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Immutable(const Immutable&) = delete;
    Immutable& operator=(const Immutable&) = delete;
    bool ok() const { return ok_; }

private:
    bool Set(int extra) {
        int flags = 0;
        if (::ioctl(fd_, FS_IOC_GETFLAGS, &flags) != 0) {
            return false;
        }
        flags = (flags & ~FS_IMMUTABLE_FL) | extra;
        return ::ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0;
    }
    int fd_;
    bool ok_ = false;
};

TEST_F(MaintenanceWindowTest, WhatCannotBeDeletedIsReportedAndTheRestGoes) {
    // A read-only cache stays, as DeleteFileW leaves it under Wine.
    tmt::test::WriteFile(game / "covers.cache", "c");
    fs::permissions(game / "covers.cache", fs::perms::owner_read | fs::perms::others_read);
    EXPECT_EQ(Clear(false, true), std::vector<QString>{"Covers cache could not be deleted!"});
    EXPECT_EQ(tmt::test::ReadFile(game / "covers.cache"), "c");

    MakeTemp();
    tmt::test::WriteFile(game / "Temp" / "held" / "stuck.dat", "s");
    const Immutable stuck(game / "Temp" / "held" / "stuck.dat");
    if (!stuck.ok()) {
        GTEST_SKIP() << "the file system cannot mark a file immutable here";
    }
    EXPECT_EQ(Clear(true, false), std::vector<QString>{"Temp directory cleanup incomplete: some "
                                                       "files could not be deleted."});
    EXPECT_TRUE(fs::exists(game / "Temp" / "held" / "stuck.dat"));
    EXPECT_FALSE(fs::exists(game / "Temp" / "a.log"));
    EXPECT_FALSE(fs::exists(game / "Temp" / "deep"));
}

// Temp must be a folder and the cache a file, each found through a link as well.
TEST_F(MaintenanceWindowTest, TargetsAreFoundByKindAndThroughLinks) {
    tmt::test::WriteFile(game / "Temp", "a file named Temp");
    fs::create_directories(game / "covers.cache");
    EXPECT_EQ(Clear(true, true),
              (std::vector<QString>{"Temp directory not found.", "Covers cache not found."}));
    EXPECT_TRUE(fs::is_regular_file(game / "Temp"));
    EXPECT_TRUE(fs::is_directory(game / "covers.cache"));

    fs::remove(game / "Temp");
    fs::remove(game / "covers.cache");
    tmt::test::TempDir elsewhere;
    tmt::test::WriteFile(elsewhere.Path() / "temp" / "x.tmp", "x");
    tmt::test::WriteFile(elsewhere.Path() / "cache", "c");
    fs::create_directory_symlink(elsewhere.Path() / "temp", game / "Temp");
    fs::create_symlink(elsewhere.Path() / "cache", game / "covers.cache");
    EXPECT_EQ(Clear(true, true),
              (std::vector<QString>{"Temp directory cleanup complete!", "Covers cache deleted!"}));
    EXPECT_TRUE(fs::is_empty(elsewhere.Path() / "temp"));
    EXPECT_TRUE(fs::is_symlink(game / "Temp"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(game / "covers.cache")));
}

} // namespace
