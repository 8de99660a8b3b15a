#pragma once

class QWidget;

namespace tmt::test {

// Whether the system gives the shown window a frame that the user can drag to resize it.
bool HasResizingFrame(const QWidget& window);

} // namespace tmt::test
