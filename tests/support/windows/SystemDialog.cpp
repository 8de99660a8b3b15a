#include "tests/support/SystemDialog.h"

#include "tests/support/OffscreenPlatform.h"
#include "tests/support/windows/ShownDialog.h"

namespace tmt::test {

bool CancelWhenShown(const std::function<void()>& action) {
    return WhileDialogShown(action, [](HWND dialog) { Press(dialog, IDCANCEL); });
}

bool CanShowSystemDialogs() {
    return OnSystemScreen();
}

} // namespace tmt::test
