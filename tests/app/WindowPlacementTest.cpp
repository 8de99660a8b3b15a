#include "tests/support/GameWindowTest.h"
#include "tests/support/WhileShown.h"

#include <QDialog>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class WindowPlacementTest : public tmt::test::GameWindowTest,
                            public ::testing::WithParamInterface<const char*> {};

// A tool window stands in the middle of the screen, not of the main window, which the user may
// have moved into a corner.
TEST_P(WindowPlacementTest, ToolWindowOpensInTheMiddleOfTheScreen) {
    const QRect screen = main->screen()->availableGeometry();
    main->show();
    main->move(screen.topLeft());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    QRect placed;
    int frame = 0;
    const bool shown = tmt::test::WhileShown<QDialog>(
        [this] { QTest::mouseClick(main->findChild<QPushButton*>(GetParam()), Qt::LeftButton); },
        [&](QDialog& window) {
            placed = window.frameGeometry();
            frame = placed.height() - window.height();
        });
    ASSERT_TRUE(shown);
    // The window is placed before the window system frames it, so the frame may shift it by as
    // much as the frame is thick.
    const QPoint off = placed.center() - screen.center();
    EXPECT_LE(std::abs(off.x()), frame + 1) << off.x();
    EXPECT_LE(std::abs(off.y()), frame + 1) << off.y();
}

INSTANTIATE_TEST_SUITE_P(EveryToolButton, WindowPlacementTest,
                         ::testing::Values("bProfileManager", "bConfig", "bMaintenance",
                                           "bRunSpecial", "bAbout"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
