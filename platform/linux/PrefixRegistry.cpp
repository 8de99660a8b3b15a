#include "platform/linux/PrefixRegistry.h"

#include "core/text/Text.h"
#include "platform/linux/Launcher.h"
#include "platform/linux/SystemReg.h"
#include "platform/linux/UniqueFd.h"
#include "platform/linux/WineServer.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <memory>

namespace tmt::platform {

namespace {

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

// The key's section line as Wine writes a name without escapes: separators doubled, upper-cased
// for comparison without case.
std::string EscapedSectionName(std::string_view keyPath) {
    std::string name;
    for (const char c : keyPath) {
        if (c == '\\' && (name.empty() || name.back() == '\\')) {
            continue;
        }
        name += c;
    }
    if (!name.empty() && name.back() == '\\') {
        name.pop_back();
    }
    std::string escaped;
    for (const char c : UpperAscii(name)) {
        escaped += c;
        if (c == '\\') {
            escaped += c;
        }
    }
    return escaped;
}

// Whether whole sections of system.reg may hold the key: a section line names it plainly, or a
// section line's name holds escapes that only decoding can compare. Most pieces hold neither and
// are passed over at the pace of a byte scan, without taking each line apart.
bool MayHoldKey(std::string_view content, std::string_view escapedName) {
    // The bytes that end or escape a name; one table look-up tells them from the rest.
    static constexpr auto kSpecial = [] {
        std::array<bool, 256> special{};
        special[static_cast<unsigned char>(']')] = true;
        special[static_cast<unsigned char>('\n')] = true;
        special[static_cast<unsigned char>('\\')] = true;
        return special;
    }();
    const auto special = [](char c) {
        return kSpecial[static_cast<unsigned char>(c)];
    };
    for (std::size_t at = content.find('['); at != std::string_view::npos;
         at = content.find('[', at + 1)) {
        if (at > 0 && content[at - 1] != '\n') {
            continue;
        }
        for (std::size_t i = at + 1; i < content.size(); ++i) {
            if (!special(content[i])) {
                continue;
            }
            if (content[i] == ']') {
                if (EqualsIgnoreAsciiCase(content.substr(at + 1, i - at - 1), escapedName)) {
                    return true;
                }
                break;
            }
            if (content[i] == '\n') {
                break;
            }
            if (i + 1 >= content.size() || content[i + 1] != '\\') {
                return true;
            }
            ++i;
        }
    }
    return false;
}

} // namespace

std::optional<KeyValues> ReadMachineKeyFromFile(const std::filesystem::path& prefix,
                                                std::string_view keyPath) {
    // Non-blocking, so that a FIFO in the file's place cannot hold the start-up forever; only a
    // regular file is read.
    const UniqueFd fd(::open((prefix / "system.reg").c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!fd.IsOpen() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    // The file is read piece by piece and searched a whole number of sections at a time, so that
    // reading stops with the piece that holds the key. Reading beats mapping the file here: every
    // page of a mapping costs a fault, which under a hypervisor costs more than the copy.
    constexpr std::size_t kPiece = 512 << 10;
    // No section of a real registry comes near this; one that does is no registry's.
    constexpr std::size_t kMaxSection = 64 << 20;
    std::size_t capacity = 2 * kPiece;
    // Left uninitialised: every byte searched was read first.
    std::unique_ptr<char[]> buffer(new char[capacity]);
    std::size_t size = 0;
    std::optional<std::string> key;
    std::string escapedName;
    while (true) {
        if (capacity - size < kPiece) {
            if (capacity >= kMaxSection) {
                return std::nullopt;
            }
            std::unique_ptr<char[]> larger(new char[capacity * 2]);
            std::copy(buffer.get(), buffer.get() + size, larger.get());
            buffer = std::move(larger);
            capacity *= 2;
        }
        const ssize_t got = ::read(fd.Get(), buffer.get() + size, kPiece);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        const std::size_t searched = size == 0 ? 0 : size - 1;
        size += static_cast<std::size_t>(std::max<ssize_t>(got, 0));
        const std::string_view content(buffer.get(), size);
        if (!key) {
            // The architecture line stands in the header at the start of the file.
            key = In32BitView(keyPath, IsWin32Prefix(content));
            escapedName = EscapedSectionName(*key);
        }
        if (got <= 0) {
            return FindKeyValues(content, *key);
        }
        // Only whole sections are searched; the last one may go on in the next piece. The new
        // bytes alone are looked through for its start, so no byte is looked at twice.
        const std::size_t last = content.substr(searched).rfind("\n[");
        if (last != std::string_view::npos && searched + last > 0) {
            const std::size_t complete = searched + last;
            const std::string_view sections = content.substr(0, complete);
            if (MayHoldKey(sections, escapedName)) {
                if (auto values = FindKeyValues(sections, *key)) {
                    return values;
                }
            }
            std::copy(buffer.get() + complete, buffer.get() + size, buffer.get());
            size -= complete;
        } else if (content.front() != '[' && content.substr(0, 2) != "\n[") {
            // Nothing here begins a section: only a last line end can still matter.
            buffer[0] = buffer[size - 1];
            size = 1;
        }
    }
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
