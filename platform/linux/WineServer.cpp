#include "platform/linux/WineServer.h"

#include "core/text/Text.h"
#include "core/text/TextEncoding.h"
#include "platform/linux/DiscoveryLog.h"
#include "platform/linux/GroupProcess.h"
#include "platform/linux/OwnedFiles.h"
#include "platform/linux/SystemReg.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>
#include <thread>

namespace tmt::platform {

namespace fs = std::filesystem;

namespace {

// A server that does not take a connection in this time counts as not answering; Wine's own
// client waits far longer, but the search must not.
constexpr std::chrono::milliseconds kConnectTime{250};
constexpr std::chrono::milliseconds kConnectRetry{10};

std::string Hex(unsigned long long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%llx", value);
    return text;
}

// "SOFTWARE\\TuneMora" as reg.exe takes it: one separator between names, under the root's name.
std::string RegKeyName(std::string_view keyPath) {
    std::string name = "HKEY_LOCAL_MACHINE";
    std::size_t at = 0;
    while (at < keyPath.size()) {
        const std::size_t start = keyPath.find_first_not_of('\\', at);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(keyPath.find('\\', start), keyPath.size());
        name += '\\';
        name += keyPath.substr(start, end - start);
        at = end;
    }
    return name;
}

// The temporary file as the prefix's programs see it, through the drive that covers it.
std::optional<std::string> WindowsPathIn(const fs::path& prefix, const fs::path& file) {
    std::optional<std::string> best;
    std::size_t bestLength = 0;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        std::error_code error;
        const fs::path target =
            fs::canonical(prefix / "dosdevices" / std::string{letter, ':'}, error);
        if (error) {
            continue;
        }
        const auto [targetEnd, fileAt] =
            std::mismatch(target.begin(), target.end(), file.begin(), file.end());
        const std::size_t length = target.string().size();
        if (targetEnd != target.end() || (best && length <= bestLength)) {
            continue;
        }
        std::string path{UpperAscii(letter), ':'};
        for (auto component = fileAt; component != file.end(); ++component) {
            path += '\\';
            path += component->string();
        }
        best = path;
        bestLength = length;
    }
    return best;
}

// The values of the first key of a regedit export; the file names the key in its own form, so
// its header is replaced by one the system.reg reader matches.
std::optional<KeyValues> FirstKeyOfExport(const std::string& exported) {
    const std::string text = Utf16ToUtf8(exported, ByteOrder::LittleEndian);
    const std::size_t header = text.find("\n[");
    if (header == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t headerEnd = text.find('\n', header + 1);
    const std::string rest = headerEnd == std::string::npos ? "" : text.substr(headerEnd);
    return FindKeyValues("[K]" + rest, "K");
}

struct TemporaryFolder {
    fs::path path;
    TemporaryFolder() {
        std::string name = "/tmp/tunemora-tools-XXXXXX";
        if (::mkdtemp(name.data()) != nullptr) {
            path = name;
        }
    }
    ~TemporaryFolder() {
        if (!path.empty()) {
            std::error_code error;
            fs::remove_all(path, error);
        }
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
};

// A folder of the server's path as Wine's client accepts it: a folder (no link) of the user's,
// closed to everyone else. Opened, so that what is checked is what is used.
UniqueFd OpenServerFolder(int parent, const char* name, const fs::path& shown) {
    // O_PATH: Wine's client needs only to pass through these folders, not to list them.
    UniqueFd folder(::openat(parent, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!folder.IsOpen() || ::fstat(folder.Get(), &info) != 0) {
        if (errno != ENOENT) {
            NoteDiscovery(shown, std::string("skipped: ") + std::strerror(errno));
        }
        return {};
    }
    if (!OwnedByUser(info)) {
        NoteDiscovery(shown, "skipped: not owned by you (owner " + std::to_string(info.st_uid) +
                                 "), so no server of yours listens there");
        return {};
    }
    if ((info.st_mode & 077) != 0) {
        NoteDiscovery(shown, "skipped: other accounts may use it, so no server of yours "
                             "listens there");
        return {};
    }
    return folder;
}

// Connects to the socket in `server`, an open folder, through its descriptor, without blocking:
// a server whose queue is full is tried again for a moment.
UniqueFd ConnectIn(int server, const fs::path& shown, ServerDeadline& deadline) {
    struct stat info {};
    if (::fstatat(server, "socket", &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return {};
    }
    if (!S_ISSOCK(info.st_mode) || !OwnedByUser(info)) {
        NoteDiscovery(shown, "skipped: not a socket of yours");
        return {};
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "/proc/self/fd/%d/socket", server);
    const auto giveUp = std::min(deadline.End(), std::chrono::steady_clock::now() + kConnectTime);
    while (true) {
        UniqueFd connection(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (!connection.IsOpen()) {
            return {};
        }
        // As Wine's client asks, so that the server's first message says who it is.
        const int enable = 1;
        ::setsockopt(connection.Get(), SOL_SOCKET, SO_PASSCRED, &enable, sizeof enable);
        if (::connect(connection.Get(), reinterpret_cast<const sockaddr*>(&address),
                      sizeof address) == 0) {
            // The client that takes it over waits for the server as on its own connection.
            ::fcntl(connection.Get(), F_SETFL, ::fcntl(connection.Get(), F_GETFL) & ~O_NONBLOCK);
            return connection;
        }
        if (errno != EAGAIN && errno != EINTR) {
            NoteDiscovery(shown, errno == ECONNREFUSED
                                     ? "skipped: no server listens any more"
                                     : std::string("skipped: ") + std::strerror(errno));
            return {};
        }
        if (std::chrono::steady_clock::now() >= giveUp) {
            NoteDiscovery(shown, "skipped: timed out, the server takes no connection");
            return {};
        }
        std::this_thread::sleep_for(kConnectRetry);
    }
}

} // namespace

UniqueFd ConnectToWineServer(const fs::path& prefix, ServerDeadline& deadline) {
    struct stat info {};
    if (::stat(prefix.c_str(), &info) != 0) {
        return {};
    }
    const std::string server = "server-" + Hex(static_cast<unsigned long long>(info.st_dev)) + "-" +
                               Hex(static_cast<unsigned long long>(info.st_ino));
    std::vector<std::string> roots{".wine-" + std::to_string(::getuid())};
    if (auto named = ReadOwnedFile(prefix / "wineserver", limits::kServerName)) {
        while (!named->empty() && (named->back() == '\n' || named->back() == '\r')) {
            named->pop_back();
        }
        if (!named->empty() && *named != "." && *named != ".." &&
            named->find('/') == std::string::npos && named->find('\0') == std::string::npos) {
            roots.push_back(*named);
        }
    }
    const UniqueFd tmp(::open("/tmp", O_PATH | O_DIRECTORY | O_CLOEXEC));
    for (const std::string& root : roots) {
        if (deadline.Passed()) {
            NoteDiscovery(prefix, "not asked: the time for Wine servers is up");
            return {};
        }
        const fs::path rootPath = fs::path("/tmp") / root;
        const UniqueFd rootFolder = OpenServerFolder(tmp.Get(), root.c_str(), rootPath);
        if (!rootFolder.IsOpen()) {
            continue;
        }
        const UniqueFd serverFolder =
            OpenServerFolder(rootFolder.Get(), server.c_str(), rootPath / server);
        if (!serverFolder.IsOpen()) {
            continue;
        }
        if (UniqueFd connection =
                ConnectIn(serverFolder.Get(), rootPath / server / "socket", deadline);
            connection.IsOpen()) {
            return connection;
        }
    }
    return {};
}

std::optional<KeyValues> AskWineServer(const std::string& wine, const fs::path& prefix,
                                       std::string_view keyPath, UniqueFd connection,
                                       ServerDeadline& deadline, const std::stop_token& stop) {
    const TemporaryFolder folder;
    if (folder.path.empty()) {
        return std::nullopt;
    }
    const fs::path file = folder.path / "key.reg";
    const std::optional<std::string> windowsFile = WindowsPathIn(prefix, file);
    if (!windowsFile) {
        NoteDiscovery(prefix, "not asked: no drive of the prefix reaches " + file.string());
        return std::nullopt;
    }
    if (!RunInOwnGroup(
            {wine, "reg", "export", RegKeyName(keyPath), *windowsFile, "/reg:32", "/y"},
            {{"WINEPREFIX", prefix.string()}, {"WINEDEBUG", "-all"}, {"WINESERVERSOCKET", "3"}},
            connection.Get(), deadline.End(), stop)) {
        NoteDiscovery(prefix, deadline.Passed() ? "asked, but timed out: no answer in time"
                                                : "asked: no key in the answer");
        return std::nullopt;
    }
    const std::optional<std::string> exported = ReadOwnedFile(file, limits::kKeyExport);
    if (!exported) {
        return std::nullopt;
    }
    return FirstKeyOfExport(*exported);
}

} // namespace tmt::platform
