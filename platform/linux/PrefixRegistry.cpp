#include "platform/linux/PrefixRegistry.h"

#include "core/text/Text.h"
#include "platform/linux/DiscoveryLog.h"
#include "platform/linux/Launcher.h"
#include "platform/linux/OwnedFiles.h"
#include "platform/linux/SystemReg.h"
#include "platform/linux/UniqueFd.h"
#include "platform/linux/WineServer.h"

#include <cerrno>
#include <cstring>
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
// section line's name holds escapes or bytes beyond ASCII, which only decoding can compare (Wine
// drops a byte that begins no UTF-8 sequence, and folds letters beyond ASCII). A name is walked
// beside the key only up to its first plain byte that differs: decoding leaves plain bytes as they
// are, so no escape further on can make such a name the key. Most names differ within a few
// bytes, and most pieces are passed over at nearly the pace of a byte scan.
bool MayHoldKey(std::string_view content, std::string_view escapedName) {
    for (std::size_t at = content.find('['); at != std::string_view::npos;
         at = content.find('[', at + 1)) {
        if (at > 0 && content[at - 1] != '\n') {
            continue;
        }
        std::size_t matched = 0;
        for (std::size_t i = at + 1; i < content.size(); ++i) {
            const char c = content[i];
            if (c == ']') {
                if (matched == escapedName.size()) {
                    return true;
                }
                break;
            }
            if (static_cast<unsigned char>(c) >= 0x80) {
                return true;
            }
            if (c == '\\') {
                if (i + 1 >= content.size() || content[i + 1] != '\\') {
                    return true;
                }
                // A doubled separator stands in the escaped name as it stands here.
                if (escapedName.substr(matched, 2) != "\\\\") {
                    break;
                }
                matched += 2;
                ++i;
                continue;
            }
            if (c == '\n' || matched == escapedName.size() ||
                UpperAscii(c) != escapedName[matched]) {
                break;
            }
            ++matched;
        }
    }
    return false;
}

// system.reg, opened in a prefix the user owns once it is known to be the user's own regular file
// within the cap: a FIFO or a device in its place is never opened.
struct RegistryFile {
    UniqueFd fd;
    struct stat info;
};

std::optional<RegistryFile> OpenRegistry(const std::filesystem::path& prefix) {
    const std::filesystem::path shown = prefix / "system.reg";
    const UniqueFd folder(::open(prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    if (!folder.IsOpen() || ::fstat(folder.Get(), &info) != 0 || !OwnedByUser(info)) {
        NoteDiscovery(prefix, "skipped: not a folder of yours");
        return std::nullopt;
    }
    if (::fstatat(folder.Get(), "system.reg", &info, 0) != 0) {
        NoteDiscovery(shown, errno == ENOENT ? "not there" : std::strerror(errno));
        return std::nullopt;
    }
    if (auto why = RecordRefusal(info, limits::kRegistry)) {
        NoteDiscovery(shown, *why);
        return std::nullopt;
    }
    // Non-blocking, so that a FIFO put in its place meanwhile cannot hold the search.
    RegistryFile file{UniqueFd(::openat(folder.Get(), "system.reg",
                                        O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)),
                      {}};
    if (!file.fd.IsOpen() || ::fstat(file.fd.Get(), &file.info) != 0 ||
        file.info.st_dev != info.st_dev || file.info.st_ino != info.st_ino) {
        NoteDiscovery(shown, "skipped: cannot be read");
        return std::nullopt;
    }
    if (auto why = RecordRefusal(file.info, limits::kRegistry)) {
        NoteDiscovery(shown, *why);
        return std::nullopt;
    }
    return file;
}

} // namespace

std::optional<KeyValues> ReadMachineKeyFromFile(const std::filesystem::path& prefix,
                                                std::string_view keyPath, RegistryCache* cache) {
    const std::optional<RegistryFile> file = OpenRegistry(prefix);
    if (!file) {
        return std::nullopt;
    }
    if (cache != nullptr && cache->LacksKey(file->info)) {
        NoteDiscovery(prefix / "system.reg", "no key, as an earlier search found");
        return std::nullopt;
    }
    const int fd = file->fd.Get();
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
    std::size_t total = 0;
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
        const ssize_t got = ::read(fd, buffer.get() + size, kPiece);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        total += static_cast<std::size_t>(std::max<ssize_t>(got, 0));
        if (total > limits::kRegistry) {
            NoteDiscovery(prefix / "system.reg", "skipped: grew past the cap while it was read");
            return std::nullopt;
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
            auto values = FindKeyValues(content, *key);
            if (!values && cache != nullptr) {
                cache->NoteLacksKey(file->info);
            }
            return values;
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
                                        const std::vector<std::string>& winePrograms,
                                        KeySearch& search) {
    if (auto values = ReadMachineKeyFromFile(prefix, keyPath, search.cache)) {
        return values;
    }
    UniqueFd connection = ConnectToWineServer(prefix, search.deadline);
    if (!connection.IsOpen()) {
        return std::nullopt;
    }
    const std::optional<FoundProgram> wine = FindProgram(winePrograms);
    if (!wine || !wine->refusal.empty()) {
        NoteDiscovery(prefix, "not asked: " + (wine ? wine->refusal : "no wine of the prefix"));
        return std::nullopt;
    }
    return AskWineServer(wine->path, prefix, keyPath, std::move(connection), search.deadline,
                         search.stop);
}

} // namespace tmt::platform
