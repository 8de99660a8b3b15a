#include "tests/support/WindowFrame.h"

#include <QWidget>

namespace tmt::test {

// Qt tells the X window manager the least and the largest size; where they are the same, the
// manager offers no resizing.
bool HasResizingFrame(const QWidget& window) {
    return window.minimumSize() != window.maximumSize();
}

} // namespace tmt::test
