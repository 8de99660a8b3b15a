#include "platform/qt/ScreenSize.h"

#include <QGuiApplication>
#include <QScreen>

namespace tmt::ui {

QSize PrimaryScreenPixels() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {};
    }
    return (QSizeF(screen->geometry().size()) * screen->devicePixelRatio()).toSize();
}

} // namespace tmt::ui
