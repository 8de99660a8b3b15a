#include "platform/DesignFontFile.h"

#include "platform/windows/SystemHeaders.h"

#include <shlobj.h>

namespace tmt::platform {

std::filesystem::path DesignFontFile() {
    PWSTR fonts = nullptr;
    std::filesystem::path folder = L"C:\\Windows\\Fonts";
    if (::SHGetKnownFolderPath(FOLDERID_Fonts, 0, nullptr, &fonts) == S_OK) {
        folder = fonts;
    }
    ::CoTaskMemFree(fonts);
    return folder / L"tahoma.ttf";
}

} // namespace tmt::platform
