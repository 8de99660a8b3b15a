#pragma once

class QWidget;

namespace tmt::ui {

// Makes a window of fixed size fit the free area of the primary screen, its frame included, and
// centres it there. A window that fits keeps its size and layout. A larger one keeps its controls
// at their size and lets them scroll in the room there is, with `staysInView` (a row of buttons,
// say) held below the scrolling part, where it is always seen.
void FitOnScreen(QWidget& window, QWidget* staysInView = nullptr);

} // namespace tmt::ui
