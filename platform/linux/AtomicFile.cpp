#include "platform/AtomicFile.h"

#include "platform/linux/FileOps.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <system_error>
#include <vector>

namespace tmt::platform {

namespace fs = std::filesystem;

namespace {

// The file a path finally names: links are followed to their target, also a dangling one.
fs::path FinalTarget(fs::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) {
            return path;
        }
        const fs::path target = fs::read_symlink(path, error);
        if (error) {
            return path;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

// ".<name>.tmp-": the start of every temporary file name beside the target, followed by the
// writer's process id.
std::string TemporaryPrefix(const fs::path& target) {
    std::string prefix(1, '.');
    prefix.append(target.filename().string()).append(".tmp-");
    return prefix;
}

std::string TemporaryNameBeside(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::string name = TemporaryPrefix(target);
    name.append(std::to_string(::getpid()))
        .append("-")
        .append(std::to_string(stamp))
        .append("-")
        .append(std::to_string(counter++));
    return (target.parent_path() / name).string();
}

// Gives the new file what lies beside the old file's bytes: its owner and group where the process
// may set them, its mode, and its extended attributes (Wine's DOS attributes in user.DOSATTRIB,
// POSIX ACLs, and any other the process may write). The owner comes first, since changing it may
// clear mode bits, and the attributes last, since an ACL holds the mode's group bits as its mask.
void TakeOverWhatLiesBeside(int fd, const fs::path& target, const struct stat& old) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // Only the owner's rights can be kept when the file belongs to someone else.
    }
    ::fchmod(fd, old.st_mode & 07777);
    const ssize_t listed = ::listxattr(target.c_str(), nullptr, 0);
    if (listed <= 0) {
        return;
    }
    std::vector<char> names(static_cast<std::size_t>(listed));
    const ssize_t length = ::listxattr(target.c_str(), names.data(), names.size());
    std::vector<char> value;
    for (ssize_t at = 0; at < length; at += static_cast<ssize_t>(std::strlen(&names[at])) + 1) {
        const char* name = &names[at];
        const ssize_t size = ::getxattr(target.c_str(), name, nullptr, 0);
        if (size < 0) {
            continue;
        }
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::getxattr(target.c_str(), name, value.data(), value.size());
        if (got >= 0 &&
            ::fsetxattr(fd, name, value.data(), static_cast<std::size_t>(got), 0) != 0) {
            // An attribute the process may not write (security.*, trusted.*) stays behind.
        }
    }
}

void SyncFolder(const fs::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A replacement that was cut off by a crash leaves its temporary file; the next successful one
// removes those whose writer is gone. A temporary file of a writer still running is left alone.
void RemoveAbandonedTemporaries(const fs::path& target) {
    const std::string prefix = TemporaryPrefix(target);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(target.parent_path(), error)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            ::unlink(entry.path().c_str());
        }
    }
}

// Done when the file holds what was read, Failed when it cannot be read to tell.
Replacement CompareWithRead(const fs::path& target, std::string_view readBytes) {
    std::string now;
    if (fileops::ReadWholeFile(target.string(), now) == fileops::ReadResult::Failed) {
        return Replacement::Failed;
    }
    return now == readBytes ? Replacement::Done : Replacement::ChangedMeanwhile;
}

// A file with several hard links is one file under several names: a new file renamed over one
// name would leave the others with the old contents. It is written where it is instead: the room
// is reserved first, so a full disk stops it before the first byte changes, the new bytes go over
// the old ones in one write, and a write that fails half-way puts the old bytes back. Unlike a
// rename this is not proof against a crash in the middle of that write.
Replacement RewriteInPlace(const fs::path& target, std::string_view bytes,
                           std::optional<std::string_view> readBytes) {
    std::string old;
    if (!readBytes) {
        if (fileops::ReadWholeFile(target.string(), old) != fileops::ReadResult::Read) {
            return Replacement::Failed;
        }
        readBytes = old;
    }
    const int fd = fileops::OpenForRewrite(target.string());
    if (fd < 0) {
        return Replacement::Failed;
    }
    Replacement outcome = fileops::Reserve(fd, bytes.size()) ? CompareWithRead(target, *readBytes)
                                                             : Replacement::Failed;
    if (outcome == Replacement::Done &&
        !(fileops::WriteAll(fd, bytes) && fileops::Truncate(fd, bytes.size()) &&
          fileops::Flush(fd))) {
        outcome = Replacement::Failed;
        if (::lseek(fd, 0, SEEK_SET) == 0 && fileops::WriteAll(fd, *readBytes) &&
            fileops::Truncate(fd, readBytes->size())) {
            fileops::Flush(fd);
        }
    }
    if (!fileops::Close(fd)) {
        outcome = Replacement::Failed;
    }
    return outcome;
}

Replacement Replace(const fs::path& nativePath, std::string_view bytes,
                    std::optional<std::string_view> readBytes) {
    const fs::path target = FinalTarget(nativePath);
    // The rename would replace a read-only file as well; Windows refuses to write it, and so do we.
    if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) {
        return Replacement::Failed;
    }
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISREG(old.st_mode) && old.st_nlink > 1) {
        return RewriteInPlace(target, bytes, readBytes);
    }
    const std::string temporary = TemporaryNameBeside(target);
    const int fd = fileops::CreateExclusive(temporary);
    if (fd < 0) {
        return Replacement::Failed;
    }
    if (exists) {
        TakeOverWhatLiesBeside(fd, target, old);
    }
    const bool written = fileops::WriteAll(fd, bytes) && fileops::Flush(fd);
    const bool closed = fileops::Close(fd);
    Replacement outcome = written && closed ? Replacement::Done : Replacement::Failed;
    // After the slow flush, as late as possible before the rename.
    if (outcome == Replacement::Done && readBytes) {
        outcome = CompareWithRead(target, *readBytes);
    }
    if (outcome == Replacement::Done && !fileops::Rename(temporary, target.string())) {
        outcome = Replacement::Failed;
    }
    if (outcome != Replacement::Done) {
        ::unlink(temporary.c_str());
        return outcome;
    }
    SyncFolder(target.parent_path());
    RemoveAbandonedTemporaries(target);
    return Replacement::Done;
}

} // namespace

bool ReplaceFileContents(const fs::path& nativePath, std::string_view bytes) {
    return Replace(nativePath, bytes, std::nullopt) == Replacement::Done;
}

Replacement ReplaceFileContentsIfUnchanged(const fs::path& nativePath, std::string_view bytes,
                                           std::string_view readBytes) {
    return Replace(nativePath, bytes, readBytes);
}

bool CopyFileAtomically(const fs::path& from, const fs::path& to) {
    std::string bytes;
    return fileops::ReadWholeFile(from.string(), bytes) == fileops::ReadResult::Read &&
           ReplaceFileContents(to, bytes);
}

} // namespace tmt::platform
