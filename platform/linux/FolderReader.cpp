#include "platform/linux/FolderReader.h"

#include <algorithm>
#include <vector>

namespace tmt::platform {

namespace {
// As large as the C library's own readdir batch: a folder of a few hundred entries comes in one.
constexpr std::size_t kBatchSize = 32 * 1024;

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}
} // namespace

FolderReader::FolderReader(UniqueFd folder)
    : folder_(std::move(folder)), buffer_(std::make_unique_for_overwrite<char[]>(kBatchSize)),
      capacity_(kBatchSize) {}

bool FolderReader::Fill() {
    if (exhausted_) {
        return false;
    }
    const ssize_t got = ::getdents64(folder_.Get(), buffer_.get(), capacity_);
    if (got <= 0) {
        exhausted_ = true;
        failed_ = got < 0;
        return false;
    }
    position_ = 0;
    end_ = static_cast<std::size_t>(got);
    return true;
}

const struct dirent64* FolderReader::Next() {
    for (;;) {
        if (position_ == end_ && !Fill()) {
            return nullptr;
        }
        // The kernel pads every record to 8 bytes, so each one stays aligned in the buffer.
        const auto* entry = reinterpret_cast<const struct dirent64*>(buffer_.get() + position_);
        position_ += entry->d_reclen;
        if (!IsDotOrDotDot(entry->d_name)) {
            return entry;
        }
    }
}

void FolderReader::Park() {
    std::vector<char> rest(buffer_.get() + position_, buffer_.get() + end_);
    while (Fill()) {
        rest.insert(rest.end(), buffer_.get(), buffer_.get() + end_);
    }
    // A parked reader keeps only what is left, so a deep chain of parked folders stays small.
    capacity_ = rest.size();
    buffer_ = std::make_unique_for_overwrite<char[]>(capacity_);
    std::copy(rest.begin(), rest.end(), buffer_.get());
    position_ = 0;
    end_ = rest.size();
    exhausted_ = true;
    folder_.Reset();
}

} // namespace tmt::platform
