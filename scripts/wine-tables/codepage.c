/* Prints how Wine converts one code page, for tables.py.
   "I <cp> <default unit> <lead ranges>"     the code page's facts
   "S <byte> : <units>"                      a single byte read on its own
   "D <lead> <trail> : <units>"              a lead byte and the byte after it
   "E <unit> : <bytes> used=<0|1>"           a unit written with flags 0 (best fit allowed) */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

static void print_decoded(UINT cp, const unsigned char *in, int n, const char *tag) {
    WCHAR out[8];
    int got = MultiByteToWideChar(cp, 0, (const char *)in, n, out, 8);
    printf("%s", tag);
    for (int i = 0; i < n; i++) printf(" %02X", in[i]);
    printf(" :");
    for (int i = 0; i < got; i++) printf(" %04X", out[i]);
    printf("\n");
}

int main(int argc, char **argv) {
    if (argc < 2) return 2;
    UINT cp = (UINT)atoi(argv[1]);
    CPINFOEXW info;
    if (!GetCPInfoExW(cp, 0, &info)) return 1;
    printf("I %u %04X", cp, info.UnicodeDefaultChar);
    for (int i = 0; i < MAX_LEADBYTES && info.LeadByte[i]; i += 2)
        printf(" %02X-%02X", info.LeadByte[i], info.LeadByte[i + 1]);
    printf("\n");
    for (int b = 0; b < 256; b++) {
        unsigned char in[1] = {(unsigned char)b};
        print_decoded(cp, in, 1, "S");
    }
    for (int lead = 0x80; lead < 256; lead++) {
        if (!IsDBCSLeadByteEx(cp, (BYTE)lead)) continue;
        for (int trail = 0; trail < 256; trail++) {
            unsigned char in[2] = {(unsigned char)lead, (unsigned char)trail};
            print_decoded(cp, in, 2, "D");
        }
    }
    for (int u = 0; u < 0x10000; u++) {
        WCHAR w = (WCHAR)u;
        char out[8];
        BOOL used = FALSE;
        int got = WideCharToMultiByte(cp, 0, &w, 1, out, 8, NULL, &used);
        printf("E %04X :", u);
        for (int i = 0; i < got; i++) printf(" %02X", (unsigned char)out[i]);
        printf(" used=%d\n", used);
    }
    return 0;
}
