#pragma once

#include "platform/OwnExecutable.h"
#include "platform/qt/MessageBox.h"

#include <gtest/gtest.h>

namespace tmt::test {

// Tests of the main window and what it opens: the program stands outside any game folder, as it
// is usually installed, and no box an earlier test left unread counts.
class OutsideGamesTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetOwnExecutablePathForTesting("C:\\Tools\\tunemora-tools");
        ui::MessageBox::TakeShown();
    }
    void TearDown() override { platform::SetOwnExecutablePathForTesting(""); }
};

} // namespace tmt::test
