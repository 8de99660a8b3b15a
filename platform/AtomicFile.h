#pragma once

#include <filesystem>
#include <string_view>

namespace tmt::platform {

// Replaces a file's contents so that a crash or a full disk never leaves half a file: the new
// contents go to a file beside it, are flushed, and that file is renamed over the old one, taking
// over its permissions. A symbolic link stays a link; its target is replaced. False when any step
// fails, and then the old file is exactly as it was.
bool ReplaceFileContents(const std::filesystem::path& nativePath, std::string_view bytes);

// Copies a file the same way, replacing the destination; copying a file onto itself is harmless.
bool CopyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace tmt::platform
