#pragma once

#include <filesystem>
#include <memory>

namespace tmt::test {

// Keeps a file from being deleted for as long as the object lives, as a file another program holds
// does: on Linux it is marked immutable (not even root can delete it then), on Windows it is held
// open without sharing its deletion.
class Undeletable {
public:
    explicit Undeletable(const std::filesystem::path& path);
    ~Undeletable();
    Undeletable(const Undeletable&) = delete;
    Undeletable& operator=(const Undeletable&) = delete;

    // False when the file system offers no way to do it here.
    bool ok() const;

private:
    struct Held;
    std::unique_ptr<Held> held_;
};

} // namespace tmt::test
