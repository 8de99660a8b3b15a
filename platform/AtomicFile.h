#pragma once

#include <string>
#include <string_view>

namespace tmt::platform {

// Paths are in the game's form (X:\..., or native).

// Replaces a file's contents so that a crash or a full disk never leaves half a file: the new
// contents go to a file beside it, are flushed, and that file is renamed over the old one, taking
// over its owner and group (where the process may set them), mode and extended attributes (Wine's
// DOS attributes, POSIX ACLs). A symbolic link stays a link; its target is replaced. A file with
// several hard links stays that one file for all of them: it is rewritten in place, after its
// room is reserved and a journal beside it holds the new contents, so that a crash during the
// write is finished by the next read or write (FinishInterruptedRewrite). False when any step
// fails, and then the old file is exactly as it was.
bool ReplaceFileContents(std::string_view path, std::string_view bytes);

// Finishes a rewrite in place of the file that a crash cut off, if its journal is there and its
// writer is gone: the file then holds the new contents, unless it has been written by someone else
// since, which stays. Every read and write of a game file calls this first.
void FinishInterruptedRewrite(std::string_view path);

enum class ReadResult { Read, Missing, Failed };

// The whole of a regular file (links followed), after finishing a rewrite of it that a crash cut
// off. A folder, a device or a read error is a failure; `bytes` then holds nothing meaningful.
ReadResult ReadFileContents(std::string_view path, std::string& bytes);

enum class Replacement { Done, Failed, ChangedMeanwhile };

// ReplaceFileContents for contents made from the file as it was read (`readBytes`, empty for a
// missing file): when the file no longer holds those bytes just before the new one takes its
// place, nothing is replaced and the caller may read it again. Bytes are compared rather than
// time stamps, which are coarser than the writes of a busy writer. This narrows the window in
// which another writer's change is lost to the moment between that check and the rename; only a
// lock both writers take would close it.
Replacement ReplaceFileContentsIfUnchanged(std::string_view path, std::string_view bytes,
                                           std::string_view readBytes);

// Copies a file the same way, replacing the destination; copying a file onto itself is harmless.
bool CopyFileAtomically(std::string_view from, std::string_view to);

} // namespace tmt::platform
