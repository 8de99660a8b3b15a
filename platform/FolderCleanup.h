#pragma once

#include <string_view>

namespace tmt::platform {

// Deletes everything below a folder (a Windows path, with or without trailing backslash) and
// keeps the folder. Links inside are removed as links, never followed; the folder itself is
// followed when it is a link. What cannot be deleted stays, with the folders above it; nothing is
// reported. A missing or unreadable folder is left alone.
void CleanupDir(std::string_view folder);

// True when the folder exists and holds no entry at all, hidden ones included; a folder that
// cannot be read is not taken for empty.
bool IsFolderEmpty(std::string_view folder);

} // namespace tmt::platform
