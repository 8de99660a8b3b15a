#include "platform/AtomicFile.h"

#include "platform/RewriteJournal.h"

#include "platform/linux/FileOps.h"
#include "platform/linux/PathMap.h"
#include "platform/linux/UniqueFd.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
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
    const UniqueFd fd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.IsOpen()) {
        ::fsync(fd.Get());
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

// ---- the journal of a rewrite in place ----
//
// A file with several hard links is rewritten where it is (see RewriteInPlace), which a crash in
// the middle of the write would leave torn. So before the first byte changes, the new contents
// and the old go to a journal beside the file: written under a temporary name, flushed, locked by
// its writer, and given the journal's name only when whole. The journal goes once the file holds
// the new bytes or the old ones again. A journal whose writer is gone (its lock can be taken) is
// finished before the file is next read or written.

fs::path JournalOf(const fs::path& target) {
    std::string name(1, '.');
    name.append(target.filename().string()).append(".journal");
    return target.parent_path() / name;
}

// True when `fd` is the file that the path names at this moment.
bool StillNamed(int fd, const fs::path& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

bool WriteInPlace(const fs::path& target, std::string_view bytes) {
    UniqueFd fd(fileops::OpenForRewrite(target.string()));
    if (!fd.IsOpen()) {
        return false;
    }
    const bool written = fileops::Reserve(fd.Get(), bytes.size()) &&
                         fileops::WriteAll(fd.Get(), bytes) &&
                         fileops::Truncate(fd.Get(), bytes.size()) && fileops::Flush(fd.Get());
    return fileops::Close(fd.Release()) && written;
}

void FinishJournalOf(const fs::path& target) {
    const fs::path journal = JournalOf(target);
    if (::access(journal.c_str(), F_OK) != 0) {
        return;
    }
    const UniqueFd fd(::open(journal.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd.IsOpen()) {
        return;
    }
    // A writer still at work holds the lock, and finishes its own rewrite. Once the lock is
    // taken, the name must still be this journal: another process may have finished it meanwhile.
    std::string text;
    std::string now;
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0 && StillNamed(fd.Get(), journal) &&
        fileops::ReadWholeFile(journal.string(), text) == fileops::ReadResult::Read) {
        const ReadResult read = fileops::ReadWholeFile(target.string(), now);
        if (FinishJournal(text, read, now, [&target](std::string_view bytes) {
                return WriteInPlace(target, bytes);
            })) {
            ::unlink(journal.c_str());
        }
    }
}

// Writes the journal and gives it its name; the returned descriptor holds the lock until the
// rewrite is over. None when that fails (nothing was changed), with `outcome` telling whether
// another writer's journal stands there.
UniqueFd CommitJournal(const fs::path& target, std::string_view bytes, std::string_view old,
                       Replacement& outcome) {
    outcome = Replacement::Failed;
    const std::string temporary = TemporaryNameBeside(target);
    UniqueFd fd(fileops::CreateExclusive(temporary));
    if (!fd.IsOpen()) {
        return {};
    }
    // No one else knows the file yet, so the lock is there before anyone can look for it. The
    // journal holds what the file holds, for its writer's eyes only.
    const bool written =
        ::flock(fd.Get(), LOCK_EX) == 0 && ::fchmod(fd.Get(), S_IRUSR | S_IWUSR) == 0 &&
        fileops::WriteAll(fd.Get(), JournalText(bytes, old)) && fileops::Flush(fd.Get());
    if (written && fileops::RenameNoReplace(temporary, JournalOf(target).string())) {
        // The journal's name must be on the disk before the file's bytes change.
        SyncFolder(target.parent_path());
        outcome = Replacement::Done;
        return fd;
    }
    if (written && errno == EEXIST) {
        outcome = Replacement::ChangedMeanwhile;
    }
    ::unlink(temporary.c_str());
    return {};
}

// A file with several hard links is one file under several names: a new file renamed over one
// name would leave the others with the old contents. It is written where it is instead: the room
// is reserved first, so a full disk stops it before the first byte changes, the journal is
// committed, the new bytes go over the old ones in one write, and a write that fails half-way
// puts the old bytes back. The journal stays only when even that fails: the next read or write
// then makes the file whole with the new contents.
Replacement RewriteInPlace(const fs::path& target, std::string_view bytes,
                           std::optional<std::string_view> readBytes) {
    std::string old;
    if (!readBytes) {
        if (fileops::ReadWholeFile(target.string(), old) != fileops::ReadResult::Read) {
            return Replacement::Failed;
        }
        readBytes = old;
    }
    UniqueFd fd(fileops::OpenForRewrite(target.string()));
    if (!fd.IsOpen()) {
        return Replacement::Failed;
    }
    Replacement outcome = fileops::Reserve(fd.Get(), bytes.size())
                              ? CompareWithRead(target, *readBytes)
                              : Replacement::Failed;
    UniqueFd journal;
    if (outcome == Replacement::Done) {
        journal = CommitJournal(target, bytes, *readBytes, outcome);
    }
    bool whole = true;
    if (outcome == Replacement::Done &&
        !(fileops::WriteAll(fd.Get(), bytes) && fileops::Truncate(fd.Get(), bytes.size()) &&
          fileops::Flush(fd.Get()))) {
        outcome = Replacement::Failed;
        whole = ::lseek(fd.Get(), 0, SEEK_SET) == 0 && fileops::WriteAll(fd.Get(), *readBytes) &&
                fileops::Truncate(fd.Get(), readBytes->size()) && fileops::Flush(fd.Get());
    }
    if (!fileops::Close(fd.Release())) {
        outcome = Replacement::Failed;
    }
    if (journal.IsOpen()) {
        if (whole) {
            ::unlink(JournalOf(target).c_str());
        }
        journal.Reset();
    }
    if (outcome == Replacement::Done) {
        RemoveAbandonedTemporaries(target);
    }
    return outcome;
}

Replacement Replace(const fs::path& nativePath, std::string_view bytes,
                    std::optional<std::string_view> readBytes) {
    const fs::path target = FinalTarget(nativePath);
    FinishJournalOf(target);
    // The rename would replace a read-only file as well, and root may write any file; Windows
    // refuses to write a read-only file, whoever asks, and so do we.
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && (fileops::IsReadOnly(old) || ::access(target.c_str(), W_OK) != 0)) {
        return Replacement::Failed;
    }
    if (exists && S_ISREG(old.st_mode) && old.st_nlink > 1) {
        return RewriteInPlace(target, bytes, readBytes);
    }
    const std::string temporary = TemporaryNameBeside(target);
    UniqueFd fd(fileops::CreateExclusive(temporary));
    if (!fd.IsOpen()) {
        return Replacement::Failed;
    }
    if (exists) {
        TakeOverWhatLiesBeside(fd.Get(), target, old);
    }
    const bool written = fileops::WriteAll(fd.Get(), bytes) && fileops::Flush(fd.Get());
    const bool closed = fileops::Close(fd.Release());
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

void FinishInterruptedRewrite(std::string_view path) {
    FinishJournalOf(FinalTarget(ToNativePath(path)));
}

ReadResult ReadFileContents(std::string_view path, std::string& bytes) {
    const fs::path native = ToNativePath(path);
    FinishJournalOf(FinalTarget(native));
    return fileops::ReadWholeFile(native.string(), bytes);
}

bool ReplaceFileContents(std::string_view path, std::string_view bytes) {
    return Replace(ToNativePath(path), bytes, std::nullopt) == Replacement::Done;
}

Replacement ReplaceFileContentsIfUnchanged(std::string_view path, std::string_view bytes,
                                           std::string_view readBytes) {
    return Replace(ToNativePath(path), bytes, readBytes);
}

bool CopyFileAtomically(std::string_view from, std::string_view to) {
    std::string bytes;
    return ReadFileContents(from, bytes) == ReadResult::Read && ReplaceFileContents(to, bytes);
}

} // namespace tmt::platform
