#include "platform/linux/OwnedFiles.h"

#include "platform/linux/DiscoveryLog.h"
#include "platform/linux/UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace tmt::platform {

namespace {

std::optional<std::string> Skipped(const std::filesystem::path& shown, const std::string& why) {
    NoteDiscovery(shown, why);
    return std::nullopt;
}

// The file's bytes up to `limit`; a larger file is refused unless only its head is wanted.
std::optional<std::string> ReadOwned(const std::filesystem::path& shown, std::size_t limit,
                                     bool headOnly) {
    const std::size_t cap = headOnly ? std::numeric_limits<std::size_t>::max() : limit;
    // Looked at before it is opened, since opening a device can already do something.
    struct stat before {};
    if (::stat(shown.c_str(), &before) != 0) {
        return Skipped(shown, errno == ENOENT ? "not there" : std::strerror(errno));
    }
    if (auto why = RecordRefusal(before, cap)) {
        return Skipped(shown, *why);
    }
    // Non-blocking, so that a FIFO put in its place meanwhile cannot hold the search.
    const UniqueFd fd(::open(shown.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (!fd.IsOpen() || ::fstat(fd.Get(), &info) != 0) {
        return Skipped(shown, std::strerror(errno));
    }
    if (info.st_dev != before.st_dev || info.st_ino != before.st_ino) {
        return Skipped(shown, "skipped: replaced while it was read");
    }
    if (auto why = RecordRefusal(info, cap)) {
        return Skipped(shown, *why);
    }
    if (headOnly) {
        std::string head(limit, '\0');
        std::size_t got = 0;
        while (got < head.size()) {
            const ssize_t n = ::read(fd.Get(), head.data() + got, head.size() - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        head.resize(got);
        return head;
    }
    // The file may grow after its size was taken: one byte more than that is asked for, and
    // reading goes on up to one byte past the cap.
    std::string bytes(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t got = 0;
    while (got <= limit) {
        if (got == bytes.size()) {
            bytes.resize(limit + 1);
        }
        const ssize_t n = ::read(fd.Get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return Skipped(shown, std::strerror(errno));
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    if (got > limit) {
        return Skipped(shown, "skipped: too large (grew past " + std::to_string(limit) + " bytes)");
    }
    bytes.resize(got);
    return bytes;
}

} // namespace

bool OwnedByUser(const struct stat& info) {
    return info.st_uid == ::getuid();
}

std::optional<std::string> RecordRefusal(const struct stat& info, std::size_t limit) {
    if (!S_ISREG(info.st_mode)) {
        return "skipped: not a regular file";
    }
    if (!OwnedByUser(info)) {
        return "skipped: not owned by you (owner " + std::to_string(info.st_uid) + ")";
    }
    if (static_cast<unsigned long long>(info.st_size) > limit) {
        return "skipped: too large (" + std::to_string(info.st_size) + " bytes, at most " +
               std::to_string(limit) + ")";
    }
    return std::nullopt;
}

std::optional<struct stat> OwnedFolder(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        NoteDiscovery(path, errno == ENOENT ? "not there" : std::strerror(errno));
        return std::nullopt;
    }
    if (!S_ISDIR(info.st_mode)) {
        NoteDiscovery(path, "skipped: not a folder");
        return std::nullopt;
    }
    if (!OwnedByUser(info)) {
        NoteDiscovery(path,
                      "skipped: not owned by you (owner " + std::to_string(info.st_uid) + ")");
        return std::nullopt;
    }
    return info;
}

std::optional<std::string> ReadOwnedFile(const std::filesystem::path& path, std::size_t limit) {
    return ReadOwned(path, limit, false);
}

std::optional<std::string> ReadOwnedFileHead(const std::filesystem::path& path, std::size_t bytes) {
    return ReadOwned(path, bytes, true);
}

} // namespace tmt::platform
