// Stands in for the game while it runs, in the tests of what the program does while the game is
// running: copied into a game folder as Tunemora.exe and started there (by Wine on Linux, by
// CreateProcessW on Windows). Once it runs it makes the file that its first argument names, so
// that a test knows it is up, and then waits until it is ended from outside.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == NULL || count < 2)
        return 1;
    HANDLE ready = CreateFileW(arguments[1], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (ready == INVALID_HANDLE_VALUE)
        return 1;
    CloseHandle(ready);
    LocalFree(arguments);
    Sleep(INFINITE);
    return 0;
}
