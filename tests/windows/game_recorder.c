// Stands in for the game in the window tests under Wine: the test support puts it into the game
// folders it makes, as Tunemora.exe. Each start writes one record into the folder that
// TMT_GAME_STARTS names, if it is set: the working folder, then the program's own path, then each
// argument, one per line in UTF-8. The record gets its name only when whole.
#include <windows.h>

#include <shellapi.h>
#include <wchar.h>

static void put(HANDLE file, const wchar_t* text) {
    char utf8[4 * 4096];
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8 - 1, NULL, NULL);
    if (bytes <= 0)
        bytes = 1;
    utf8[bytes - 1] = '\n';
    DWORD written;
    WriteFile(file, utf8, (DWORD)bytes, &written, NULL);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    wchar_t folder[MAX_PATH];
    if (GetEnvironmentVariableW(L"TMT_GAME_STARTS", folder, MAX_PATH) == 0)
        return 0;
    /* Named by the clock, zero-padded, so that names sort in the order of the starts; process ids
       are reused and differ in length. */
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const unsigned long long tick = (unsigned long long)now.QuadPart;
    const unsigned long id = GetCurrentProcessId();
    wchar_t partial[MAX_PATH + 64];
    wchar_t whole[MAX_PATH + 64];
    swprintf(partial, MAX_PATH + 64, L"%ls\\%020llu.%lu.part", folder, tick, id);
    swprintf(whole, MAX_PATH + 64, L"%ls\\%020llu.%lu.start", folder, tick, id);
    HANDLE file =
        CreateFileW(partial, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    wchar_t text[4096];
    GetCurrentDirectoryW(4096, text);
    put(file, text);
    GetModuleFileNameW(NULL, text, 4096);
    put(file, text);
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; i < count; ++i)
        put(file, arguments[i]);
    LocalFree(arguments);
    CloseHandle(file);
    MoveFileExW(partial, whole, MOVEFILE_WRITE_THROUGH);
    return 0;
}
