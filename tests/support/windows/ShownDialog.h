#pragma once

#include <QTimer>

#include <windows.h>

#include <functional>
#include <string>

namespace tmt::test {

// The dialog box of the system's that this thread shows at the moment, if any.
inline HWND ShownDialog() {
    HWND found = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM out) -> BOOL {
            wchar_t name[16] = {};
            ::GetClassNameW(window, name, 16);
            if (::IsWindowVisible(window) && std::wstring(name) == L"#32770") {
                *reinterpret_cast<HWND*>(out) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Runs `action`, which shows a dialog box of the system's and waits in it; once the dialog is
// shown, `inDialog` drives it. Qt's timers tick inside the dialog's own message loop, as they are
// messages of this thread. Returns whether the dialog was shown.
inline bool WhileDialogShown(const std::function<void()>& action,
                             const std::function<void(HWND)>& inDialog) {
    bool shown = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const HWND dialog = ShownDialog();
        if (dialog == nullptr || shown) {
            return;
        }
        shown = true;
        poll.stop();
        inDialog(dialog);
    });
    poll.start();
    action();
    return shown;
}

// Presses one of the dialog's buttons by its command, as a click on it does.
inline void Press(HWND dialog, int command) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, command)));
}

} // namespace tmt::test
