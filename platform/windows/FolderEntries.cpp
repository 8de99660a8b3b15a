#include "platform/windows/FolderEntries.h"

#include "platform/windows/Handles.h"
#include "platform/windows/WideText.h"

namespace tmt::platform {

std::string WithTrailingBackslash(std::string_view folder) {
    std::string path(folder);
    if (path.empty() || (path.back() != '\\' && path.back() != '/')) {
        path += '\\';
    }
    return path;
}

bool ForEachEntry(std::string_view folder,
                  const std::function<void(const WIN32_FIND_DATAW&)>& each) {
    WIN32_FIND_DATAW entry{};
    const UniqueFind find(
        ::FindFirstFileW(Wide(WithTrailingBackslash(folder) + "*.*").c_str(), &entry));
    if (!find.IsOpen()) {
        return false;
    }
    do {
        const std::wstring_view name = entry.cFileName;
        if (name != L"." && name != L"..") {
            each(entry);
        }
    } while (::FindNextFileW(find.Get(), &entry));
    return true;
}

} // namespace tmt::platform
