#include "platform/qt/ScreenSize.h"

#include <windows.h>

namespace tmt::ui {

// The program is aware of each monitor's scaling (its manifest says so), so these are device
// pixels of the primary display.
QSize PrimaryScreenPixels() {
    return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

} // namespace tmt::ui
