#include "platform/Registry.h"

#include "platform/Error.h"
#include "platform/Text.h"
#include "platform/WineCase.h"
#include "platform/WinePrefix.h"
#include "platform/linux/SystemReg.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tmt::platform {

namespace {

// The prefix's system.reg, mapped read-only for as long as the object lives.
class MappedFile {
public:
    explicit MappedFile(const std::filesystem::path& path) {
        // Non-blocking, so that a FIFO in the file's place cannot hold the start-up forever; only
        // a regular file is read.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            return;
        }
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
            void* at = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ,
                              MAP_PRIVATE, fd, 0);
            if (at != MAP_FAILED) {
                data_ = static_cast<const char*>(at);
                size_ = static_cast<std::size_t>(info.st_size);
            }
        }
        ::close(fd);
    }
    ~MappedFile() {
        if (data_ != nullptr) {
            ::munmap(const_cast<char*>(data_), size_);
        }
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool IsOpen() const { return data_ != nullptr; }
    std::string_view Content() const { return {data_, size_}; }

private:
    const char* data_ = nullptr;
    std::size_t size_ = 0;
};

// A 32-bit program on a 64-bit prefix sees HKLM\Software through Wow6432Node.
std::string In32BitView(std::string_view keyPath, bool win32Prefix) {
    std::string path(keyPath);
    if (win32Prefix) {
        return path;
    }
    const std::size_t start = path.find_first_not_of('\\');
    if (start == std::string::npos) {
        return path;
    }
    const std::size_t end = path.find('\\', start);
    if (!EqualsIgnoreAsciiCase(path.substr(start, end - start), "Software")) {
        return path;
    }
    const std::size_t next = end == std::string::npos ? end : path.find_first_not_of('\\', end);
    const std::string_view rest =
        next == std::string::npos ? std::string_view() : std::string_view(path).substr(next);
    if (EqualsIgnoreAsciiCase(rest.substr(0, rest.find('\\')), "Wow6432Node")) {
        return path;
    }
    std::string view = "Software\\Wow6432Node";
    if (!rest.empty()) {
        view.append("\\").append(rest);
    }
    return view;
}

} // namespace

bool Registry::OpenKey(std::string_view keyPath) {
    CloseKey();
    const MappedFile file(WinePrefix() / "system.reg");
    if (!file.IsOpen()) {
        return false;
    }
    values_ = FindKeyValues(file.Content(), In32BitView(keyPath, IsWin32Prefix(file.Content())));
    return values_.has_value();
}

void Registry::CloseKey() {
    values_.reset();
}

bool Registry::ValueExists(std::string_view name) const {
    return values_ && values_->count(WineUpcasedUtf8(name)) > 0;
}

std::string Registry::ReadString(std::string_view name) const {
    if (!values_) {
        return "";
    }
    const auto found = values_->find(WineUpcasedUtf8(name));
    if (found == values_->end()) {
        return "";
    }
    if (found->second.type == ValueType::Other) {
        throw Error("Invalid data type for '" + std::string(name) + "'");
    }
    return found->second.text;
}

} // namespace tmt::platform
