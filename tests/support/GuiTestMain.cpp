#include "platform/qt/MessageBox.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

// Window tests drive real widgets, so they need an application object; message boxes are answered
// by the tests through the message-box seam and never wait for a person.
int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    tmt::ui::MessageBox::SetTestMode(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
