#include "app/UMain.h"

#include "platform/linux/ServerDeadline.h"
#include "platform/qt/MessageBox.h"
#include "tests/support/FakeHome.h"
#include "tests/support/OutsideGamesTest.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/linux/FakeWineServer.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace {

namespace fs = std::filesystem;
using tmt::platform::ServerDeadline;

// The main window while its search waits for a Wine server of the prefix, whose wine never
// answers: the window is there and says so, and closing it ends the search and that wine.
class SearchingWindowTest : public tmt::test::OutsideGamesTest {
protected:
    void SetUp() override {
        OutsideGamesTest::SetUp();
        // Only closing the window ends the question.
        ServerDeadline::SetLimit(std::chrono::hours(1));
        home.MakeEmptyPrefix(prefix);
        tmt::test::WriteFile(wine, "#!/bin/sh\necho $$ > '" + pidFile.string() + ".new'\nmv '" +
                                       pidFile.string() + ".new' '" + pidFile.string() +
                                       "'\nexec /bin/sleep 1000\n");
        fs::permissions(wine, fs::perms::owner_all);
        home.Set("WINE", wine.string());
    }
    void TearDown() override {
        ServerDeadline::SetLimit(limit_);
        OutsideGamesTest::TearDown();
    }

    tmt::test::FakeHome home;
    fs::path prefix = home.Path() / ".wine";
    fs::path wine = home.Path() / "bin" / "wine";
    fs::path pidFile = home.Path() / "wine.pid";

private:
    std::chrono::milliseconds limit_ = ServerDeadline::Limit();
};

TEST_F(SearchingWindowTest, TheWindowWaitsForNothingAndItsCloseEndsTheSearch) {
    const tmt::test::FakeWineServer server(tmt::test::UpstreamSocket(prefix));
    auto form = std::make_unique<TFormMain>();
    form->show();
    ASSERT_TRUE(form->Searching());
    EXPECT_EQ(form->findChild<QLabel*>("lDefaultDir")->text(),
              QString::fromUtf8("Searching for TuneMora\xE2\x80\xA6"));
    for (const char* tool : {"bProfileManager", "bConfig", "bMaintenance", "bRunSpecial", "bRun"}) {
        EXPECT_FALSE(form->findChild<QPushButton*>(tool)->isEnabled()) << tool;
    }
    EXPECT_TRUE(form->findChild<QPushButton*>("bAbout")->isEnabled());
    EXPECT_TRUE(form->findChild<QPushButton*>("bExit")->isEnabled());
    EXPECT_EQ(form->cursor().shape(), Qt::BusyCursor);
    EXPECT_TRUE(tmt::ui::MessageBox::TakeShown().empty());

    // The question is asked; the search still waits for its answer.
    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(pidFile); }, 60000));
    EXPECT_TRUE(form->Searching());
    pid_t pid = 0;
    std::ifstream(pidFile) >> pid;
    ASSERT_GT(pid, 0);
    form.reset();
    EXPECT_TRUE(tmt::test::ProcessEnds(pid)) << "the wine asked outlived the window";
}

} // namespace
