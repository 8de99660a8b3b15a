/* Prints every UTF-16 unit that Wine's RtlUpcaseUnicodeChar changes: "<unit> <upper>". */
#include <windows.h>
#include <stdio.h>

typedef WCHAR(WINAPI *Upcase)(WCHAR);

int main(void) {
    Upcase upcase = (Upcase)(void *)GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlUpcaseUnicodeChar");
    if (!upcase) return 1;
    for (int u = 0; u < 0x10000; u++) {
        WCHAR upper = upcase((WCHAR)u);
        if (upper != u) printf("%04X %04X\n", u, upper);
    }
    return 0;
}
