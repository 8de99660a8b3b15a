#include "tests/support/WindowFrame.h"

#include <QGuiApplication>
#include <QWidget>

#include <windows.h>

namespace tmt::test {

// On the system's own windows the frame's style says it; the offscreen platform has no frames,
// only the sizes that Qt allows.
bool HasResizingFrame(const QWidget& window) {
    if (QGuiApplication::platformName() != QStringLiteral("windows")) {
        return window.minimumSize() != window.maximumSize();
    }
    const auto handle = reinterpret_cast<HWND>(window.winId());
    return (::GetWindowLongPtrW(handle, GWL_STYLE) & WS_THICKFRAME) != 0;
}

} // namespace tmt::test
