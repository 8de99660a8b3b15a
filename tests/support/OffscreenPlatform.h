#pragma once

namespace tmt::test {

// Chooses Qt's offscreen platform for the window tests, unless the test command chose another,
// before the application object is made.
void ChooseOffscreenPlatform();

} // namespace tmt::test
