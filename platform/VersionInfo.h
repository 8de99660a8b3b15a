#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tmt::platform {

// The fixed part of a file's version resource (VS_FIXEDFILEINFO), as far as the program reads it.
struct FixedFileInfo {
    std::uint32_t fileVersionMS = 0;
    std::uint32_t fileVersionLS = 0;
    std::uint32_t productVersionMS = 0;
    std::uint32_t productVersionLS = 0;
};

// The version record of the named file (a Windows path or a native one), or nothing when the file
// cannot be read or carries none.
std::optional<FixedFileInfo> ReadFixedFileInfo(std::string_view fileName);

} // namespace tmt::platform
