#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace tmt::platform {

// Replaces a file's contents so that a crash or a full disk never leaves half a file: the new
// contents go to a file beside it, are flushed, and that file is renamed over the old one, taking
// over its permissions. A symbolic link stays a link; its target is replaced. False when any step
// fails, and then the old file is exactly as it was.
bool ReplaceFileContents(const std::filesystem::path& nativePath, std::string_view bytes);

// Which file a path named when it was read, and how far it had been written: another writer that
// replaces or rewrites it meanwhile changes one of these.
struct FileVersion {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    bool operator==(const FileVersion&) const = default;
};

enum class Replacement { Done, Failed, ChangedMeanwhile };

// ReplaceFileContents for contents made from the file as it was read: when the file is no longer
// at `readVersion` with `readBytes` in it just before the new one takes its place, nothing is
// replaced and the caller may read it again. The bytes are compared too, because time stamps are
// coarser than the writes of a busy writer. This narrows the window in which another writer's
// change is lost to the moment between that check and the rename; only a lock both writers take
// would close it.
Replacement ReplaceFileContentsIfUnchanged(const std::filesystem::path& nativePath,
                                           std::string_view bytes, const FileVersion& readVersion,
                                           std::string_view readBytes);

// Copies a file the same way, replacing the destination; copying a file onto itself is harmless.
bool CopyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace tmt::platform
