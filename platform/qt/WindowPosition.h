#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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

} // namespace tmt::ui
