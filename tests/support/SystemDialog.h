#pragma once

#include <functional>

namespace tmt::test {

// Runs `action`, which shows one of the system's file or folder dialogs (on Linux, Qt's dialog
// that stands in for it) and waits in it, and cancels that dialog as soon as it is shown, as a
// person would. Returns whether a dialog was shown.
bool CancelWhenShown(const std::function<void()>& action);

// Whether those dialogs can be shown where the tests run: the system's own need a screen.
bool CanShowSystemDialogs();

} // namespace tmt::test
