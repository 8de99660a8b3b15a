#pragma once

#include "app/UMain.h"

#include <QTest>
#include <gtest/gtest.h>

namespace tmt::test {

// Lets the main window's search for installations end and its result be taken, as the event
// loop of the program does. The guard only bounds a search that never ends.
inline void WaitForSearch(const TFormMain& form) {
    EXPECT_TRUE(QTest::qWaitFor([&form] { return !form.Searching(); }, 60000))
        << "the search did not end";
}

} // namespace tmt::test
