#pragma once

#include "platform/linux/UniqueFd.h"

#include <dirent.h>

#include <cstddef>
#include <memory>

namespace tmt::platform {

// Reads the entries of an open folder in large batches straight from the kernel, so that walking
// a tree costs one system call per batch rather than per entry. Entries may be deleted while it
// reads. A reader can let go of its descriptor midway (Park) and carry on later with the folder
// opened again (Resume): what was left is then read from memory.
class FolderReader {
public:
    explicit FolderReader(UniqueFd folder);

    int Fd() const { return folder_.Get(); }
    bool IsOpen() const { return folder_.IsOpen(); }

    // The next entry other than "." and "..", or nullptr when there is none (or the folder
    // cannot be read further). Valid until the next call.
    const struct dirent64* Next();
    // True once a read has failed, as against reaching the end.
    bool Failed() const { return failed_; }

    // Reads everything left into memory, then closes the folder.
    void Park();
    void Resume(UniqueFd folder) { folder_ = std::move(folder); }

private:
    bool Fill();

    UniqueFd folder_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    bool exhausted_ = false;
    bool failed_ = false;
};

} // namespace tmt::platform
