/* Runs a case list through the Windows functions the program stands in for, under Wine, and
 * prints each result in the line form tm_platform_cli prints for the program's own functions.
 *
 *   platform_probe.exe <root> < cases > results
 *
 * <root> is the Windows path of the case tree; every path in a case is relative to it, with "/"
 * between components. See tests/wine/CaseFormat.h for the case and result forms. */
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

enum { kMaxFields = 8, kKeyBuffer = 65536, kValueBuffer = 2048, kDumpBuffer = 1 << 20 };

typedef struct {
    WCHAR* text; /* NULL for the null argument \N */
    size_t length;
} Field;

static WCHAR g_root[MAX_PATH * 4];

/* ---- output: UTF-8, with everything that is not plain text written as \u{hex} ---- */

static void PutCodePoint(unsigned long c) {
    char bytes[4];
    int n;
    if (c < 0x80) {
        bytes[0] = (char)c;
        n = 1;
    } else if (c < 0x800) {
        bytes[0] = (char)(0xC0 | (c >> 6));
        bytes[1] = (char)(0x80 | (c & 0x3F));
        n = 2;
    } else if (c < 0x10000) {
        bytes[0] = (char)(0xE0 | (c >> 12));
        bytes[1] = (char)(0x80 | ((c >> 6) & 0x3F));
        bytes[2] = (char)(0x80 | (c & 0x3F));
        n = 3;
    } else {
        bytes[0] = (char)(0xF0 | (c >> 18));
        bytes[1] = (char)(0x80 | ((c >> 12) & 0x3F));
        bytes[2] = (char)(0x80 | ((c >> 6) & 0x3F));
        bytes[3] = (char)(0x80 | (c & 0x3F));
        n = 4;
    }
    fwrite(bytes, 1, (size_t)n, stdout);
}

/* The same escaping as the CLI's: see CaseFormat.h. `extra` holds further ASCII characters to
 * escape (the separators of a dump). */
static void PutText(const WCHAR* text, size_t length, const char* extra) {
    size_t i;
    for (i = 0; i < length; ++i) {
        unsigned long c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        }
        if (c == '\\') {
            fputs("\\\\", stdout);
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) ||
                   (c >= 0xD800 && c <= 0xDFFF) || c == '|' ||
                   (c < 0x80 && extra != NULL && strchr(extra, (int)c) != NULL)) {
            printf("\\u{%lX}", c);
        } else {
            PutCodePoint(c);
        }
    }
}

static void PutWide(const WCHAR* text) {
    PutText(text, wcslen(text), NULL);
}

/* A double-NUL-terminated list as "<count>:" and its items joined by "|". */
static void PutList(const WCHAR* list, DWORD length) {
    const WCHAR* at = list;
    int count = 0;
    const WCHAR* end = list + length;
    while (at < end && *at != 0) {
        ++count;
        at += wcslen(at) + 1;
    }
    printf("%d:", count);
    for (at = list; at < end && *at != 0; at += wcslen(at) + 1) {
        if (at != list) {
            fputc('|', stdout);
        }
        PutWide(at);
    }
}

/* ---- input ---- */

static int HexValue(int c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

static void AppendUnit(WCHAR** out, size_t* length, size_t* capacity, WCHAR unit) {
    if (*length + 2 > *capacity) {
        *capacity = *capacity * 2 + 16;
        *out = (WCHAR*)realloc(*out, *capacity * sizeof(WCHAR));
    }
    (*out)[(*length)++] = unit;
    (*out)[*length] = 0;
}

static void AppendCodePoint(WCHAR** out, size_t* length, size_t* capacity, unsigned long c) {
    if (c >= 0x10000) {
        c -= 0x10000;
        AppendUnit(out, length, capacity, (WCHAR)(0xD800 + (c >> 10)));
        AppendUnit(out, length, capacity, (WCHAR)(0xDC00 + (c & 0x3FF)));
    } else {
        AppendUnit(out, length, capacity, (WCHAR)c);
    }
}

/* One field of a case line: UTF-8 with \\ and \u{hex} escapes; "\N" alone is the null argument. */
static Field DecodeField(const char* text, size_t size) {
    Field field = {NULL, 0};
    size_t capacity = 16;
    size_t i = 0;
    if (size == 2 && text[0] == '\\' && text[1] == 'N') {
        return field;
    }
    field.text = (WCHAR*)malloc(capacity * sizeof(WCHAR));
    field.text[0] = 0;
    while (i < size) {
        unsigned char lead = (unsigned char)text[i];
        unsigned long c;
        int extra;
        if (lead == '\\' && i + 1 < size && text[i + 1] == '\\') {
            AppendUnit(&field.text, &field.length, &capacity, L'\\');
            i += 2;
            continue;
        }
        if (lead == '\\' && i + 2 < size && text[i + 1] == 'u' && text[i + 2] == '{') {
            c = 0;
            i += 3;
            while (i < size && text[i] != '}') {
                c = c * 16 + (unsigned long)HexValue(text[i]);
                ++i;
            }
            ++i;
            AppendCodePoint(&field.text, &field.length, &capacity, c);
            continue;
        }
        extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
        c = extra == 0 ? lead : (unsigned long)(lead & (0x3F >> extra));
        ++i;
        while (extra-- > 0 && i < size) {
            c = (c << 6) | ((unsigned char)text[i] & 0x3Fu);
            ++i;
        }
        AppendCodePoint(&field.text, &field.length, &capacity, c);
    }
    return field;
}

/* The root joined with a relative path whose components are separated by "/". */
static WCHAR* FullPath(const Field* relative) {
    size_t rootLength = wcslen(g_root);
    size_t i;
    WCHAR* path = (WCHAR*)malloc((rootLength + relative->length + 2) * sizeof(WCHAR));
    wcscpy(path, g_root);
    if (relative->length > 0) {
        path[rootLength] = L'\\';
        for (i = 0; i < relative->length; ++i) {
            path[rootLength + 1 + i] = relative->text[i] == L'/' ? L'\\' : relative->text[i];
        }
        path[rootLength + 1 + relative->length] = 0;
    }
    return path;
}

/* ---- the operations ---- */

static void Read(Field* f) {
    WCHAR* path = FullPath(&f[0]);
    WCHAR buffer[kValueBuffer];
    GetPrivateProfileStringW(f[1].text, f[2].text, f[3].text, buffer, kValueBuffer, path);
    fputc('=', stdout);
    PutWide(buffer);
    free(path);
}

static void Keys(Field* f) {
    WCHAR* path = FullPath(&f[0]);
    WCHAR* buffer = (WCHAR*)calloc(kKeyBuffer, sizeof(WCHAR));
    DWORD length = GetPrivateProfileStringW(f[1].text, NULL, L"", buffer, kKeyBuffer, path);
    PutList(buffer, length);
    free(buffer);
    free(path);
}

static void Write(Field* f) {
    WCHAR* path = FullPath(&f[0]);
    fputs(WritePrivateProfileStringW(f[1].text, f[2].text, f[3].text, path) ? "ok" : "fail",
          stdout);
    free(path);
}

/* Every section the profile functions see, each with its entries as GetPrivateProfileSectionW
 * hands them out and its key list: the whole file as Wine reads it, to compare two files by. */
static void Dump(Field* f) {
    WCHAR* path = FullPath(&f[0]);
    WCHAR* names = (WCHAR*)calloc(kDumpBuffer, sizeof(WCHAR));
    WCHAR* entries = (WCHAR*)calloc(kDumpBuffer, sizeof(WCHAR));
    DWORD length = GetPrivateProfileSectionNamesW(names, kDumpBuffer, path);
    const WCHAR* name;
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) {
        fputs("missing", stdout);
    }
    for (name = names; name < names + length && *name != 0; name += wcslen(name) + 1) {
        DWORD size = GetPrivateProfileSectionW(name, entries, kDumpBuffer, path);
        const WCHAR* entry;
        fputc('[', stdout);
        PutText(name, wcslen(name), "[]{};");
        fputs("]{", stdout);
        for (entry = entries; entry < entries + size && *entry != 0; entry += wcslen(entry) + 1) {
            if (entry != entries) {
                fputc(';', stdout);
            }
            PutText(entry, wcslen(entry), "[]{};");
        }
        fputc('}', stdout);
    }
    free(entries);
    free(names);
    free(path);
}

/* Rewrites the file as Wine writes it, with nothing changed: a key added to its first section and
 * taken away again. */
static void Normalize(Field* f) {
    WCHAR* path = FullPath(&f[0]);
    WCHAR names[4096];
    DWORD length = GetPrivateProfileSectionNamesW(names, 4096, path);
    if (length == 0) {
        fputs("no-section", stdout);
    } else {
        BOOL added = WritePrivateProfileStringW(names, L"tm-normalize", L"1", path);
        BOOL removed = WritePrivateProfileStringW(names, L"tm-normalize", NULL, path);
        fputs(added && removed ? "ok" : "fail", stdout);
    }
    free(path);
}

/* The folder listing as the game makes it: FindFirstFileW on "<folder>\*.*", folders only, without
 * "." and "..", and, as its run-time library's search with only the folder attribute asked for,
 * without entries that carry the hidden or the system attribute. */
static void List(Field* f) {
    WCHAR* folder = FullPath(&f[0]);
    WCHAR* pattern = (WCHAR*)malloc((wcslen(folder) + 8) * sizeof(WCHAR));
    WIN32_FIND_DATAW data;
    HANDLE find;
    int count = 0;
    swprintf(pattern, wcslen(folder) + 8, L"%ls\\*.*", folder);
    find = FindFirstFileW(pattern, &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
                (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) ||
                wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0) {
                continue;
            }
            fputs(count++ == 0 ? "" : "|", stdout);
            PutWide(data.cFileName);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    free(pattern);
    free(folder);
}

static void MakeFolder(Field* f) {
    WCHAR* path = FullPath(&f[0]);
    fputs(CreateDirectoryW(path, NULL) ? "ok" : "fail", stdout);
    free(path);
}

static void Delete(Field* f) {
    WCHAR* path = FullPath(&f[0]);
    fputs(DeleteFileW(path) ? "ok" : "fail", stdout);
    free(path);
}

static void Exists(Field* f) {
    WCHAR* path = FullPath(&f[0]);
    DWORD attributes = GetFileAttributesW(path);
    fputs(attributes == INVALID_FILE_ATTRIBUTES          ? "none"
          : (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? "dir"
                                                         : "file",
          stdout);
    free(path);
}

/* Whether a text has an exact form in the ANSI code page: no default character, no best fit, and
 * the same text again when converted back. */
static int FitsAnsi(const Field* field) {
    BOOL usedDefault = FALSE;
    int size;
    int units;
    char* bytes;
    WCHAR* back;
    int same;
    if (field->text == NULL || field->length == 0) {
        return 1;
    }
    size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, field->text, (int)field->length, NULL,
                               0, NULL, &usedDefault);
    if (size <= 0 || usedDefault) {
        return 0;
    }
    bytes = (char*)malloc((size_t)size);
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, field->text, (int)field->length, bytes, size,
                        NULL, NULL);
    units = MultiByteToWideChar(CP_ACP, 0, bytes, size, NULL, 0);
    back = (WCHAR*)malloc(((size_t)units + 1) * sizeof(WCHAR));
    MultiByteToWideChar(CP_ACP, 0, bytes, size, back, units);
    same = (size_t)units == field->length &&
           memcmp(back, field->text, field->length * sizeof(WCHAR)) == 0;
    free(back);
    free(bytes);
    return same;
}

static void Fits(Field* f) {
    fputs(FitsAnsi(&f[0]) && FitsAnsi(&f[1]) && FitsAnsi(&f[2]) ? "yes" : "no", stdout);
}

static void AnsiCodePage(Field* f) {
    (void)f;
    printf("%u", GetACP());
}

/* Sets a value in HKEY_LOCAL_MACHINE's 32-bit view: key, name, type (sz, expand, dword) and text
 * (the text's own NULs included, with the terminating one). */
static void RegistrySet(Field* f) {
    HKEY key;
    LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, f[0].text, 0, NULL, 0,
                                  KEY_ALL_ACCESS | KEY_WOW64_32KEY, NULL, &key, NULL);
    if (status == ERROR_SUCCESS) {
        if (wcscmp(f[2].text, L"dword") == 0) {
            DWORD number = (DWORD)wcstoul(f[3].text, NULL, 10);
            status =
                RegSetValueExW(key, f[1].text, 0, REG_DWORD, (const BYTE*)&number, sizeof number);
        } else {
            DWORD type = wcscmp(f[2].text, L"expand") == 0 ? REG_EXPAND_SZ : REG_SZ;
            status = RegSetValueExW(key, f[1].text, 0, type, (const BYTE*)f[3].text,
                                    (DWORD)((f[3].length + 1) * sizeof(WCHAR)));
        }
        RegCloseKey(key);
    }
    fputs(status == ERROR_SUCCESS ? "ok" : "fail", stdout);
}

/* A value as the program reads it: absent, a string cut at its first NUL, or another type. */
static void RegistryGet(Field* f) {
    HKEY key;
    DWORD type = 0;
    DWORD size = 0;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, f[0].text, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &key) !=
        ERROR_SUCCESS) {
        fputs("no-key", stdout);
        return;
    }
    if (RegQueryValueExW(key, f[1].text, NULL, &type, NULL, &size) != ERROR_SUCCESS) {
        fputs("missing", stdout);
    } else if (type != REG_SZ && type != REG_EXPAND_SZ) {
        fputs("other", stdout);
    } else {
        WCHAR* data = (WCHAR*)calloc(size / sizeof(WCHAR) + 1, sizeof(WCHAR));
        RegQueryValueExW(key, f[1].text, NULL, &type, (BYTE*)data, &size);
        fputs("sz:", stdout);
        PutWide(data);
        free(data);
    }
    RegCloseKey(key);
}

typedef struct {
    const char* name;
    int fields;
    void (*run)(Field*);
} Operation;

static const Operation kOperations[] = {
    {"read", 4, Read},        {"keys", 2, Keys},           {"write", 4, Write},
    {"dump", 1, Dump},        {"normalize", 1, Normalize}, {"list", 1, List},
    {"mkdir", 1, MakeFolder}, {"delete", 1, Delete},       {"exists", 1, Exists},
    {"acp", 0, AnsiCodePage}, {"regset", 4, RegistrySet},  {"regget", 2, RegistryGet},
    {"fits", 3, Fits},
};

/* One case line: "<id>\t<operation>\t<field>...". */
static void RunLine(char* line, size_t size) {
    char* parts[kMaxFields + 2];
    size_t sizes[kMaxFields + 2];
    Field fields[kMaxFields];
    int count = 0;
    size_t start = 0;
    size_t i;
    int field;
    for (i = 0; i <= size && count < kMaxFields + 2; ++i) {
        if (i == size || line[i] == '\t') {
            parts[count] = line + start;
            sizes[count] = i - start;
            ++count;
            start = i + 1;
        }
    }
    if (count < 2) {
        return;
    }
    fwrite(parts[0], 1, sizes[0], stdout);
    fputc('\t', stdout);
    for (i = 0; i < sizeof kOperations / sizeof kOperations[0]; ++i) {
        const Operation* op = &kOperations[i];
        if (strlen(op->name) != sizes[1] || memcmp(op->name, parts[1], sizes[1]) != 0) {
            continue;
        }
        if (count - 2 != op->fields) {
            fputs("bad-case", stdout);
            break;
        }
        for (field = 0; field < op->fields; ++field) {
            fields[field] = DecodeField(parts[field + 2], sizes[field + 2]);
        }
        op->run(fields);
        for (field = 0; field < op->fields; ++field) {
            free(fields[field].text);
        }
        break;
    }
    if (i == sizeof kOperations / sizeof kOperations[0]) {
        fputs("bad-case", stdout);
    }
    fputc('\n', stdout);
}

int wmain(int argc, WCHAR** argv) {
    static char line[1 << 20];
    if (argc != 2) {
        fputs("usage: platform_probe.exe <root> < cases\n", stderr);
        return 2;
    }
    wcsncpy(g_root, argv[1], sizeof g_root / sizeof g_root[0] - 1);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    setvbuf(stdout, NULL, _IOFBF, 1 << 16);
    while (fgets(line, sizeof line, stdin) != NULL) {
        size_t size = strlen(line);
        while (size > 0 && (line[size - 1] == '\n' || line[size - 1] == '\r')) {
            --size;
        }
        RunLine(line, size);
    }
    return 0;
}
