#pragma once

#include <QGuiApplication>
#include <QString>
#include <QWidget>

#include <windows.h>

namespace tmt::ui {

// The system's window of the widget's window, to own a dialog of the system's; none where the
// widgets are not the system's own windows (Qt's offscreen platform of the tests).
inline HWND OwnerWindow(const QWidget* owner) {
    if (owner == nullptr || QGuiApplication::platformName() != QStringLiteral("windows")) {
        return nullptr;
    }
    return reinterpret_cast<HWND>(owner->window()->winId());
}

} // namespace tmt::ui
