#include "platform/RunningPrograms.h"

#include "core/text/Text.h"
#include "platform/linux/PathMap.h"
#include "platform/linux/UniqueFd.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace tmt::platform {

namespace {

// Under Wine a Windows program's process tells little of it by itself: its /proc/<pid>/exe is
// Wine's loader, and its command line is whatever its starter typed (a Unix path, a name relative
// to the working folder, or the Windows path when another Windows program or "wine start" started
// it). Measured under Wine 8, started plainly, by "wine start" and as Proton's "run" starts it,
// two things hold every time: the process carries the program's file name (as the command line
// spells it, cut to 15 bytes) as its own, and it maps the program's file; /proc/<pid>/maps names
// that file. The name sorts out the few processes worth a closer look; the mapped file decides.

// The name the kernel keeps for a process: 15 bytes and a terminating NUL.
constexpr std::size_t kProcessNameLength = 15;

struct ProgramFile {
    dev_t device;
    ino_t inode;
    std::string inodeText; // as /proc/<pid>/maps writes it
    std::string processName;
};

// Reads a file of the proc file system whole; they tell no size in advance.
bool ReadAll(int folder, const char* name, std::string& text) {
    const UniqueFd fd(::openat(folder, name, O_RDONLY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        return false;
    }
    text.clear();
    char buffer[8192];
    while (true) {
        const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

bool HasProgramName(int proc, const char* pid, const ProgramFile& program) {
    const std::string path = std::string(pid) + "/comm";
    const UniqueFd fd(::openat(proc, path.c_str(), O_RDONLY | O_CLOEXEC));
    char name[kProcessNameLength + 2];
    const ssize_t got = fd.IsOpen() ? ::read(fd.Get(), name, sizeof name) : -1;
    if (got <= 0) {
        return false;
    }
    std::string_view text(name, static_cast<std::size_t>(got));
    if (text.back() == '\n') {
        text.remove_suffix(1);
    }
    return EqualsIgnoreAsciiCase(text, program.processName);
}

// Every id of the process (real, effective, saved and file system) is `user`'s.
bool RunsAs(int processFolder, uid_t user) {
    std::string status;
    if (!ReadAll(processFolder, "status", status)) {
        return false;
    }
    const std::size_t line = status.find("\nUid:");
    if (line == std::string::npos) {
        return false;
    }
    const char* at = status.c_str() + line + 5;
    for (int id = 0; id < 4; ++id) {
        char* end = nullptr;
        const unsigned long value = std::strtoul(at, &end, 10);
        if (end == at || value != user) {
            return false;
        }
        at = end;
    }
    return true;
}

// A line of /proc/<pid>/maps: address, rights, offset, device, inode, then, after blanks, the
// file's path as the process's root sees it.
bool MapsProgram(int processFolder, const ProgramFile& program) {
    std::string maps;
    if (!ReadAll(processFolder, "maps", maps)) {
        return false;
    }
    std::size_t start = 0;
    while (start < maps.size()) {
        std::size_t end = maps.find('\n', start);
        if (end == std::string::npos) {
            end = maps.size();
        }
        const std::string_view line(maps.data() + start, end - start);
        start = end + 1;
        std::size_t field = 0;
        for (int skipped = 0; skipped < 4 && field != std::string_view::npos; ++skipped) {
            field = line.find(' ', field);
            field = field == std::string_view::npos ? field : field + 1;
        }
        if (field == std::string_view::npos) {
            continue;
        }
        const std::size_t inodeEnd = line.find(' ', field);
        if (inodeEnd == std::string_view::npos ||
            line.substr(field, inodeEnd - field) != program.inodeText) {
            continue;
        }
        const std::size_t path = line.find('/', inodeEnd);
        if (path == std::string_view::npos) {
            continue;
        }
        // Through the process's own root: a game in a container (Flatpak, Steam's runtime) sees
        // its files under paths of its own.
        const std::string inRoot = "root" + std::string(line.substr(path));
        struct stat mapped {};
        if (::fstatat(processFolder, inRoot.c_str(), &mapped, 0) == 0 &&
            mapped.st_dev == program.device && mapped.st_ino == program.inode) {
            return true;
        }
    }
    return false;
}

bool IsPid(const char* name) {
    if (*name == '\0') {
        return false;
    }
    for (; *name != '\0'; ++name) {
        if (*name < '0' || *name > '9') {
            return false;
        }
    }
    return true;
}

} // namespace

bool IsProgramRunning(std::string_view executablePath) {
    const std::filesystem::path native = ToNativePath(executablePath);
    struct stat file {};
    if (::stat(native.c_str(), &file) != 0 || !S_ISREG(file.st_mode)) {
        return false;
    }
    const ProgramFile program{file.st_dev, file.st_ino, std::to_string(file.st_ino),
                              native.filename().string().substr(0, kProcessNameLength)};
    const uid_t user = ::getuid();

    const std::unique_ptr<DIR, int (*)(DIR*)> proc(::opendir("/proc"), ::closedir);
    if (!proc) {
        return false;
    }
    const int procFd = ::dirfd(proc.get());
    while (const dirent* entry = ::readdir(proc.get())) {
        if (!IsPid(entry->d_name)) {
            continue;
        }
        // The owner of a process's folder is its user; another user's processes stay unread.
        struct stat owner {};
        if (::fstatat(procFd, entry->d_name, &owner, 0) != 0 || owner.st_uid != user ||
            !HasProgramName(procFd, entry->d_name, program)) {
            continue;
        }
        const UniqueFd processFolder(
            ::openat(procFd, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (processFolder.IsOpen() && RunsAs(processFolder.Get(), user) &&
            MapsProgram(processFolder.Get(), program)) {
            return true;
        }
    }
    return false;
}

} // namespace tmt::platform
