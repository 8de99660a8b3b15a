#include "platform/qt/MessageBox.h"
#include "tests/support/OffscreenPlatform.h"

#include <QApplication>
#include <gtest/gtest.h>

// Window tests drive real widgets, so they need an application object; message boxes are answered
// by the tests through the message-box seam and never wait for a person.
int main(int argc, char** argv) {
    tmt::test::ChooseOffscreenPlatform();
    QApplication app(argc, argv);
    tmt::ui::MessageBox::SetTestMode(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
