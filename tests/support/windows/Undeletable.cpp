#include "tests/support/Undeletable.h"

#include <windows.h>

namespace tmt::test {

struct Undeletable::Held {
    HANDLE file = INVALID_HANDLE_VALUE;
};

Undeletable::Undeletable(const std::filesystem::path& path) : held_(std::make_unique<Held>()) {
    held_->file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
}

Undeletable::~Undeletable() {
    if (held_->file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(held_->file);
    }
}

bool Undeletable::ok() const {
    return held_->file != INVALID_HANDLE_VALUE;
}

} // namespace tmt::test
