#include "platform/Folders.h"

#include "core/text/Text.h"
#include "platform/windows/FolderEntries.h"
#include "platform/windows/WideText.h"

#include "platform/windows/SystemHeaders.h"

namespace tmt::platform {

bool CreateDirectory(std::string_view path) {
    // Wine reports success for a device name such as "nul" without making anything; what follows
    // (a profile written into the new folder) must not take that for a folder.
    const std::wstring folder = Wide(path);
    if (!::CreateDirectoryW(folder.c_str(), nullptr)) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool RemoveDirectory(std::string_view path) {
    return ::RemoveDirectoryW(Wide(path).c_str()) != FALSE;
}

bool IsSymbolicLink(std::string_view path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(WithoutTrailingSeparators(path)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::vector<std::string> ListVisibleFolders(std::string_view folder) {
    std::vector<std::string> names;
    ForEachEntry(folder, [&names](const WIN32_FIND_DATAW& entry) {
        const DWORD attributes = entry.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
            (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0) {
            names.push_back(Narrow(entry.cFileName));
        }
    });
    return names;
}

} // namespace tmt::platform
