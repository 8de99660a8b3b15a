#include "platform/linux/FileOps.h"

#include "platform/linux/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/falloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tmt::platform::fileops {

namespace {

FaultHook faultHook = nullptr;

// True when the test seam wants this call to fail; errno then tells why.
bool Injected(Call call) {
    if (faultHook == nullptr) {
        return false;
    }
    const int error = faultHook(call);
    if (error != 0) {
        errno = error;
        return true;
    }
    return false;
}

} // namespace

void SetFaultHook(FaultHook hook) {
    faultHook = hook;
}

ReadResult ReadWholeFile(const std::string& path, std::string& bytes) {
    if (Injected(Call::Read)) {
        return ReadResult::Failed;
    }
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
    }
    struct stat info {};
    ReadResult result = ReadResult::Failed;
    if (::fstat(fd.Get(), &info) == 0 && S_ISREG(info.st_mode)) {
        // Read straight into the caller's buffer; a file that grows meanwhile is read to its end.
        std::size_t filled = 0;
        bytes.resize(std::max<std::size_t>(static_cast<std::size_t>(info.st_size), 4096));
        while (true) {
            if (filled == bytes.size()) {
                bytes.resize(bytes.size() * 2);
            }
            const ssize_t got = ::read(fd.Get(), bytes.data() + filled, bytes.size() - filled);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                result = got == 0 ? ReadResult::Read : ReadResult::Failed;
                break;
            }
            filled += static_cast<std::size_t>(got);
        }
        bytes.resize(filled);
    }
    return result;
}

int CreateExclusive(const std::string& path) {
    if (Injected(Call::Create)) {
        return -1;
    }
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

int OpenForRewrite(const std::string& path) {
    if (Injected(Call::Create)) {
        return -1;
    }
    return ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
}

bool Reserve(int fd, std::size_t size) {
    if (Injected(Call::Write)) {
        return false;
    }
    // The room is taken without changing the file's size, which readers would see.
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0) {
        return true;
    }
    // A file system that cannot reserve space still lets the write try.
    return errno == EOPNOTSUPP || errno == ENOSYS;
}

bool Truncate(int fd, std::size_t size) {
    return !Injected(Call::Write) && ::ftruncate(fd, static_cast<off_t>(size)) == 0;
}

bool WriteAll(int fd, std::string_view bytes) {
    return !Injected(Call::Write) && WriteFully(fd, bytes);
}

bool WriteFully(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool Flush(int fd) {
    return !Injected(Call::Flush) && ::fsync(fd) == 0;
}

bool Close(int fd) {
    return ::close(fd) == 0;
}

bool Rename(const std::string& from, const std::string& to) {
    return !Injected(Call::Rename) && ::rename(from.c_str(), to.c_str()) == 0;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (Injected(Call::Rename)) {
        return false;
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system without the flag: a new link is made only where no name stands.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    ::unlink(from.c_str());
    return true;
}

bool RemoveAt(int folder, const char* name, int flags) {
    return !Injected(Call::Remove) && ::unlinkat(folder, name, flags) == 0;
}

bool MakeFolder(const std::string& path) {
    return !Injected(Call::MakeFolder) && ::mkdir(path.c_str(), 0777) == 0;
}

} // namespace tmt::platform::fileops
