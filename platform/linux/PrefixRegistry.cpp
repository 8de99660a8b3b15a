#include "platform/linux/PrefixRegistry.h"

#include "platform/Text.h"
#include "platform/linux/Launcher.h"
#include "platform/linux/SystemReg.h"
#include "platform/linux/WineServer.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tmt::platform {

namespace {

// The prefix's system.reg, mapped read-only for as long as the object lives. Only the pages up to
// the key are ever read.
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

std::optional<KeyValues> ReadMachineKeyFromFile(const std::filesystem::path& prefix,
                                                std::string_view keyPath) {
    const MappedFile file(prefix / "system.reg");
    if (!file.IsOpen()) {
        return std::nullopt;
    }
    return FindKeyValues(file.Content(), In32BitView(keyPath, IsWin32Prefix(file.Content())));
}

std::optional<KeyValues> ReadMachineKey(const std::filesystem::path& prefix,
                                        std::string_view keyPath,
                                        const std::vector<std::string>& winePrograms) {
    if (auto values = ReadMachineKeyFromFile(prefix, keyPath)) {
        return values;
    }
    if (!WineServerRunning(prefix)) {
        return std::nullopt;
    }
    const std::optional<std::string> wine = FindProgram(winePrograms);
    if (!wine) {
        return std::nullopt;
    }
    return AskWineServer(*wine, prefix, keyPath);
}

} // namespace tmt::platform
