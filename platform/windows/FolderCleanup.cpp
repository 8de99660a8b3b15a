#include "platform/FolderCleanup.h"

#include "platform/windows/FolderEntries.h"
#include "platform/windows/WideText.h"

namespace tmt::platform {

namespace {

void DeleteEntry(const std::string& path, DWORD attributes) {
    const std::wstring wide = Wide(path);
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        // A junction or symbolic link goes as the link itself: what it leads to lies outside the
        // folder being emptied, perhaps the player's own files.
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            ::RemoveDirectoryW(wide.c_str());
        } else {
            ::DeleteFileW(wide.c_str());
        }
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CleanupDir(path);
        ::RemoveDirectoryW(wide.c_str());
        return;
    }
    if (!::DeleteFileW(wide.c_str())) {
        // Read-only, hidden and system files are deleted too: their attributes are cleared first.
        ::SetFileAttributesW(wide.c_str(), 0);
        ::DeleteFileW(wide.c_str());
    }
}

} // namespace

void CleanupDir(std::string_view folder) {
    const std::string prefix = WithTrailingBackslash(folder);
    ForEachEntry(folder, [&prefix](const WIN32_FIND_DATAW& entry) {
        DeleteEntry(prefix + Narrow(entry.cFileName), entry.dwFileAttributes);
    });
}

bool IsFolderEmpty(std::string_view folder) {
    bool empty = true;
    return ForEachEntry(folder, [&empty](const WIN32_FIND_DATAW&) { empty = false; }) && empty;
}

} // namespace tmt::platform
