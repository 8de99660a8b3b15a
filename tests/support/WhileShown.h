#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace tmt::test {

// Runs `action`, which shows a modal dialog of the class `Dialog` and waits in it; once that
// dialog is the active modal window and visible, `inDialog` looks at it or drives it, and the
// dialog is rejected afterwards if it is still open. Returns whether the dialog was shown.
template <typename Dialog>
bool WhileShown(const std::function<void()>& action, const std::function<void(Dialog&)>& inDialog) {
    bool shown = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible() || shown) {
            return;
        }
        shown = true;
        poll.stop();
        inDialog(*dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    poll.start();
    action();
    return shown;
}

} // namespace tmt::test
