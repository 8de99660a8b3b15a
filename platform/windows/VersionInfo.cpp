#include "platform/VersionInfo.h"

#include "platform/windows/WideText.h"

#include "platform/windows/SystemHeaders.h"

#include <vector>

namespace tmt::platform {

std::optional<FixedFileInfo> ReadFixedFileInfo(std::string_view fileName) {
    const std::wstring file = Wide(fileName);
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<BYTE> buffer(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, buffer.data())) {
        return std::nullopt;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(buffer.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        fixed == nullptr || length < sizeof(VS_FIXEDFILEINFO)) {
        return std::nullopt;
    }
    return FixedFileInfo{fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                         fixed->dwProductVersionLS};
}

} // namespace tmt::platform
