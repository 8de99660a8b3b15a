#include "tests/support/Undeletable.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tmt::test {

struct Undeletable::Held {
    int fd = -1;
    bool ok = false;

    bool Set(int extra) const {
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
            return false;
        }
        flags = (flags & ~FS_IMMUTABLE_FL) | extra;
        return ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
};

Undeletable::Undeletable(const std::filesystem::path& path) : held_(std::make_unique<Held>()) {
    held_->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    held_->ok = held_->fd >= 0 && held_->Set(FS_IMMUTABLE_FL);
}

Undeletable::~Undeletable() {
    if (held_->ok) {
        held_->Set(0);
    }
    if (held_->fd >= 0) {
        ::close(held_->fd);
    }
}

bool Undeletable::ok() const {
    return held_->ok;
}

} // namespace tmt::test
