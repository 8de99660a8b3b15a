#pragma once

#include "app/ApplicationMessages.h"

#include <QAbstractButton>
#include <QString>

#include <exception>
#include <utility>

class QWidget;

namespace tmt::ui {

// Runs one event handler. An error that escapes it ends the handler there and is shown in the
// error report; it never unwinds into Qt's event loop, which does not survive exceptions.
template <typename Handler> void Guarded(QWidget* owner, Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        ShowErrorReport(owner, QString::fromUtf8(error.what()));
    }
}

// A slot for connect() that runs one handler of `owner` inside the guard.
template <typename Window> auto GuardedSlot(Window* owner, void (Window::*handler)()) {
    return [owner, handler] {
        Guarded(owner, [owner, handler] { (owner->*handler)(); });
    };
}

// A click on the button runs one handler of `owner` inside the guard.
template <typename Window>
void OnClick(QAbstractButton* button, Window* owner, void (Window::*handler)()) {
    QObject::connect(button, &QAbstractButton::clicked, owner, GuardedSlot(owner, handler));
}

} // namespace tmt::ui
