/* Prints where the shown window of the given title is on the screen, as "left top width height"
 * in the screen's own pixels, or fails when there is no such window. The Windows screenshots cut
 * each window so out of the Wine desktop. */
#include <windows.h>

#include <stdio.h>

int wmain(int argc, wchar_t** argv) {
    HWND window;
    RECT box;

    if (argc != 2) {
        fwprintf(stderr, L"usage: window_rect <title>\n");
        return 2;
    }
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    window = FindWindowW(NULL, argv[1]);
    if (window == NULL || !IsWindowVisible(window) || !GetWindowRect(window, &box)) {
        return 1;
    }
    wprintf(L"%ld %ld %ld %ld\n", box.left, box.top, box.right - box.left, box.bottom - box.top);
    return 0;
}
