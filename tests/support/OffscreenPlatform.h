#pragma once

namespace tmt::test {

// Chooses Qt's offscreen platform for the window tests, unless the test command chose another,
// before the application object is made. On Windows the test command chooses the system's own
// windows with TM_TEST_PLATFORM=windows, as Wine hands no QT_ variable to a Windows program.
void ChooseOffscreenPlatform();

// Whether the tests run on the system's own windows on a screen, which the tests of the system's
// dialogs and of what the screen shows need.
bool OnSystemScreen();

} // namespace tmt::test
