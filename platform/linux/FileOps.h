#pragma once

#include "platform/AtomicFile.h"

#include <sys/stat.h>

#include <string>
#include <string_view>

// The system calls through which every replacement of a game file writes, flushes and renames.
// They are kept in one place so that each of them can be made to fail on purpose.
namespace tmt::platform::fileops {

using platform::ReadResult;

// A file that Wine counts as read-only: a regular file without any write bit in its mode. Wine
// neither writes nor deletes it, for root too; players make config.ini read-only so that the game
// keeps it as it is.
inline bool IsReadOnly(const struct stat& info) {
    return S_ISREG(info.st_mode) && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// The whole of a regular file (links followed). A folder, a device or a read error is a failure.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes);

// Creates a new file (mode 0666 less the umask) that no one else has opened; -1 on failure.
int CreateExclusive(const std::string& path);
// Opens an existing regular file for writing in place, without truncating it; -1 on failure.
int OpenForRewrite(const std::string& path);
// Makes sure the file has room for `size` bytes, so that a write of that many cannot run out of
// space half-way.
bool Reserve(int fd, std::size_t size);
bool Truncate(int fd, std::size_t size);
bool WriteAll(int fd, std::string_view bytes);
// WriteAll without the test seam below, for what is no game file (the search's cache and log):
// a fault test must not count those writes.
bool WriteFully(int fd, std::string_view bytes);
bool Flush(int fd);
bool Close(int fd);
bool Rename(const std::string& from, const std::string& to);
// A rename that fails with EEXIST instead of replacing what `to` names; counted as a Rename.
bool RenameNoReplace(const std::string& from, const std::string& to);
// unlinkat(2) and mkdir(2), here so that deletes and folder creation can be made to fail too.
bool RemoveAt(int folder, const char* name, int flags);
bool MakeFolder(const std::string& path);

// Test seam: when a hook is set, it is asked before each call above except Close and WriteFully;
// an answer other than 0 makes that call fail with the answer as errno. A read fails before its
// first byte.
enum class Call { Read, Create, Write, Flush, Rename, Remove, MakeFolder };
using FaultHook = int (*)(Call);
void SetFaultHook(FaultHook hook);

} // namespace tmt::platform::fileops
