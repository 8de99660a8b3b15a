#pragma once

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace tmt::ui {

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

// The room that a window's frame takes around it: as the window system reports it once the window
// is made, and before that a title bar of the style's height above it.
inline QMargins FrameMargins(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    const QMargins known(inner.left() - frame.left(), inner.top() - frame.top(),
                         frame.right() - inner.right(), frame.bottom() - inner.bottom());
    if (known.top() > 0) {
        return known;
    }
    return {0, window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window), 0, 0};
}

// The height that a window's frame adds to it.
inline int FrameHeight(const QWidget& window) {
    const QMargins frame = FrameMargins(window);
    return frame.top() + frame.bottom();
}

// Places a window, its frame included, in the middle of the primary screen's free area, and no
// higher or further left than that area when it is larger; a window placed this way keeps its
// place when it is shown, instead of being centred on its owner. The window is placed by its
// inside, where a window manager that is still to draw the frame puts the frame around it.
inline void CentreOnScreen(QWidget& window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        const QMargins margins = FrameMargins(window);
        QRect frame = window.geometry().marginsAdded(margins);
        frame.moveCenter(free.center());
        frame.moveLeft(std::max(frame.left(), free.left()));
        frame.moveTop(std::max(frame.top(), free.top()));
        window.setGeometry(frame.marginsRemoved(margins));
    }
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
