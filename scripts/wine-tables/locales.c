/* Prints every locale Wine knows: "<name> <lcid the name resolves to> <its ANSI code page>".
   A neutral name resolves to its default locale, as Wine's start-up does with the Unix locale. */
#include <windows.h>
#include <stdio.h>

static BOOL CALLBACK print_locale(LPWSTR name, DWORD flags, LPARAM unused) {
    (void)flags;
    (void)unused;
    if (!name[0]) return TRUE;
    LCID lcid = LocaleNameToLCID(name, 0);
    WCHAR acp[16] = {0};
    GetLocaleInfoW(lcid, LOCALE_IDEFAULTANSICODEPAGE, acp, 16);
    printf("%ls %04lX %ls\n", name, (unsigned long)lcid, acp);
    return TRUE;
}

int main(void) {
    return EnumSystemLocalesEx(print_locale, LOCALE_ALL, 0, NULL) ? 0 : 1;
}
