#pragma once

#include "app/UMain.h"

#include <QCoreApplication>

namespace tmt::test {

// Lets the main window's search for installations end and its result be taken, as the event
// loop of the program does.
inline void WaitForSearch(const TFormMain& form) {
    while (form.Searching()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

} // namespace tmt::test
