#include "platform/AtomicFile.h"

#include "platform/linux/FileOps.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <system_error>

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

// Gives the new file the old file's mode and, where allowed, its owner.
void TakeOverPermissions(int fd, const fs::path& target) {
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only the owner's rights can be kept when the file belongs to someone else.
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

Replacement Replace(const fs::path& nativePath, std::string_view bytes,
                    std::optional<std::string_view> readBytes) {
    const fs::path target = FinalTarget(nativePath);
    // The rename would replace a read-only file as well; Windows refuses to write it, and so do we.
    if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) {
        return Replacement::Failed;
    }
    const std::string temporary = TemporaryNameBeside(target);
    const int fd = fileops::CreateExclusive(temporary);
    if (fd < 0) {
        return Replacement::Failed;
    }
    TakeOverPermissions(fd, target);
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
