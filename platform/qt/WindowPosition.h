#pragma once

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace tmt::ui {

// Places a window in the middle of the primary screen; a window placed this way keeps its place
// when it is shown, instead of being centred on its owner.
inline void CentreOnScreen(QWidget& window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
}

// Lays out a control's surroundings at once, from its parent out to its window, after the control
// changed its size hint; otherwise the window follows over several turns of the event loop.
inline void SettleLayouts(QWidget& control) {
    for (QWidget* widget = control.parentWidget(); widget != nullptr;
         widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
        if (QLayout* layout = widget->layout()) {
            layout->activate();
        }
    }
}

// The height that a window's frame adds to it: as the window system reports it once the window is
// shown, and before that the style's height of a title bar.
inline int FrameHeight(const QWidget& window) {
    const int known = window.frameGeometry().height() - window.geometry().height();
    return known > 0 ? known
                     : window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
}

// Moves a window that has grown past the bottom or right edge of the primary screen's free area
// back onto it, as far as it fits.
inline void KeepOnScreen(QWidget& window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        QRect frame = window.frameGeometry();
        frame.moveRight(std::min(frame.right(), free.right()));
        frame.moveBottom(std::min(frame.bottom(), free.bottom()));
        frame.moveLeft(std::max(frame.left(), free.left()));
        frame.moveTop(std::max(frame.top(), free.top()));
        window.move(frame.topLeft());
    }
}

} // namespace tmt::ui
