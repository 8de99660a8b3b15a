#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tmt::platform {

// The game's path form and the host's. Everything above the platform layer speaks Windows paths
// ("C:\Games\TuneMora\config.ini"); on Linux these live inside the Wine prefix.

// X:\a\b becomes the target of <prefix>/dosdevices/x: followed by /a/b. A path that begins with
// "/" is already native, its backslashes read as separators. A component that does not exist with
// the exact letter case resolves to the one existing entry that matches without case, as Wine
// does; components that do not exist keep the spelling given.
std::filesystem::path ToNativePath(std::string_view windowsPath);
// The same inside the given prefix rather than the one in use.
std::filesystem::path ToNativePathIn(const std::filesystem::path& prefix,
                                     std::string_view windowsPath);

// A native path that the system hands over becomes X:\... through the drive whose target is the
// longest prefix of it; without such a drive it stays native.
std::string ToWindowsPath(const std::filesystem::path& nativePath);

} // namespace tmt::platform
