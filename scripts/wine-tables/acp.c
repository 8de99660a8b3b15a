/* Prints the ANSI code page and the system locale Wine gives a program: "<acp> <locale name>". */
#include <windows.h>
#include <stdio.h>

int main(void) {
    WCHAR name[LOCALE_NAME_MAX_LENGTH] = {0};
    GetSystemDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    printf("%u %ls\n", GetACP(), name);
    return 0;
}
