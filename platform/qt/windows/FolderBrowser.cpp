#include "platform/qt/FolderBrowser.h"

#include "platform/qt/windows/OwnerWindow.h"

#include <QString>
#include <QWidget>

#include <windows.h>

#include <shlobj.h>

namespace tmt::ui {

namespace {

// BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON
constexpr UINT kFlags = 0x241;

// When the chooser opens, it moves to the middle of the work area of the monitor nearest to the
// main window, whichever monitor it was first placed on.
int CALLBACK CentreWhenOpened(HWND chooser, UINT message, LPARAM, LPARAM mainWindow) {
    if (message != BFFM_INITIALIZED) {
        return 0;
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT box{};
    if (::GetMonitorInfoW(
            ::MonitorFromWindow(reinterpret_cast<HWND>(mainWindow), MONITOR_DEFAULTTONEAREST),
            &monitor) &&
        ::GetWindowRect(chooser, &box)) {
        const RECT& area = monitor.rcWork;
        const LONG width = box.right - box.left;
        const LONG height = box.bottom - box.top;
        ::SetWindowPos(chooser, nullptr, area.left + (area.right - area.left - width) / 2,
                       area.top + (area.bottom - area.top - height) / 2, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 0;
}

} // namespace

std::optional<std::string> BrowseForFolder(QWidget* owner, const QString& text) {
    // The newer dialog style is made of COM objects of the calling thread's apartment.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const HWND ownerWindow = OwnerWindow(owner);
    const HWND mainWindow =
        ownerWindow != nullptr ? ::GetAncestor(ownerWindow, GA_ROOTOWNER) : nullptr;
    const std::wstring title = text.toStdWString();

    BROWSEINFOW browse{};
    browse.hwndOwner = ownerWindow;
    browse.pidlRoot = nullptr;
    browse.lpszTitle = title.c_str();
    browse.ulFlags = kFlags;
    browse.lpfn = CentreWhenOpened;
    browse.lParam = reinterpret_cast<LPARAM>(mainWindow != nullptr ? mainWindow : ownerWindow);
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&browse);

    std::optional<std::string> folder;
    if (chosen != nullptr) {
        wchar_t path[MAX_PATH] = {};
        if (::SHGetPathFromIDListW(chosen, path)) {
            folder = QString::fromWCharArray(path).toStdString();
        }
        ::CoTaskMemFree(chosen);
    }
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return folder;
}

} // namespace tmt::ui
