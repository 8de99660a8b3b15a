#pragma once

#include <string_view>

namespace tmt::platform {

// Existence tests on the game's paths (X:\..., or native). Both follow symbolic links.
// FileExists is true only for something that is not a folder; DirectoryExists only for a folder.
bool FileExists(std::string_view path);
bool DirectoryExists(std::string_view path);

// DeleteFileW: true when the file is gone afterwards because of this call. A read-only file (as
// Wine sees it: no write bit in its mode) is not deleted.
bool DeleteFile(std::string_view path);

} // namespace tmt::platform
