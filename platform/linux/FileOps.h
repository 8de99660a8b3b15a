#pragma once

#include <string>
#include <string_view>

// The system calls through which every replacement of a game file writes, flushes and renames.
// They are kept in one place so that each of them can be made to fail on purpose.
namespace tmt::platform::fileops {

enum class ReadResult { Read, Missing, Failed };
// The whole of a regular file (links followed). A folder, a device or a read error is a failure.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes);

// Creates a new file (mode 0666 less the umask) that no one else has opened; -1 on failure.
int CreateExclusive(const std::string& path);
bool WriteAll(int fd, std::string_view bytes);
bool Flush(int fd);
bool Close(int fd);
bool Rename(const std::string& from, const std::string& to);

// Test seam: when a hook is set, it is asked before each creating, writing, flushing and renaming
// call; an answer other than 0 makes that call fail with the answer as errno.
enum class Call { Create, Write, Flush, Rename };
using FaultHook = int (*)(Call);
void SetFaultHook(FaultHook hook);

} // namespace tmt::platform::fileops
