// Stands in for the game in the end-to-end check under Wine. Each start appends to started.txt,
// beside the executable, how it was started (its command line and working folder) and what it
// reads from the config.ini beside it through GetPrivateProfileStringW, as the game would.
#include <windows.h>

#include <wchar.h>

static HANDLE record;

static void put(const wchar_t* name, const wchar_t* value) {
    wchar_t line[4096];
    int length = swprintf(line, sizeof line / sizeof *line, L"%ls=%ls\r\n", name, value);
    char utf8[3 * sizeof line / sizeof *line];
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line, length, utf8, sizeof utf8, NULL, NULL);
    DWORD written;
    WriteFile(record, utf8, (DWORD)bytes, &written, NULL);
}

static void putSetting(const wchar_t* ini, const wchar_t* section, const wchar_t* key) {
    wchar_t value[2048];
    GetPrivateProfileStringW(section, key, L"<absent>", value, sizeof value / sizeof *value, ini);
    wchar_t name[128];
    swprintf(name, sizeof name / sizeof *name, L"%ls/%ls", section, key);
    put(name, value);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show) {
    (void)instance;
    (void)previous;
    (void)arguments;
    (void)show;
    wchar_t folder[MAX_PATH];
    DWORD length = GetModuleFileNameW(NULL, folder, MAX_PATH);
    while (length > 0 && folder[length - 1] != L'\\')
        --length;
    folder[length] = L'\0';

    wchar_t path[MAX_PATH + 16];
    swprintf(path, sizeof path / sizeof *path, L"%lsstarted.txt", folder);
    record = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (record == INVALID_HANDLE_VALUE)
        return 1;

    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    put(L"start", L"");
    put(L"command line", GetCommandLineW());
    put(L"working folder", current);

    wchar_t ini[MAX_PATH + 16];
    swprintf(ini, sizeof ini / sizeof *ini, L"%lsconfig.ini", folder);
    putSetting(ini, L"Graphics", L"Resolution");
    putSetting(ini, L"Graphics", L"FullScreen");
    putSetting(ini, L"Graphics", L"Screens");
    putSetting(ini, L"Path", L"Songs");
    putSetting(ini, L"Net", L"UpdateChannel");
    putSetting(ini, L"Game", L"Difficulty");
    put(L"end", L"");
    CloseHandle(record);
    return 0;
}
