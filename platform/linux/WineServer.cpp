#include "platform/linux/WineServer.h"

#include "core/text/Text.h"
#include "core/text/TextEncoding.h"
#include "platform/linux/Launcher.h"
#include "platform/linux/SystemReg.h"
#include "platform/linux/UniqueFd.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <system_error>
#include <thread>

namespace tmt::platform {

namespace fs = std::filesystem;

namespace {

// A wine program that starts in a second or less on a running server; past this it is taken as
// stuck and ended.
constexpr std::chrono::seconds kAnswerTime{10};
constexpr std::size_t kMaxExport = 1 << 20;

// Small files only: a name or an export of one key.
std::optional<std::string> ReadSmall(const fs::path& path, std::size_t limit) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!fd.IsOpen() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::size_t>(info.st_size) > limit) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd.Get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

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

// Runs the program with its output discarded and waits for it, for `limit` at most; true when it
// ended with status 0.
bool RunQuietly(std::vector<std::string> arguments, const fs::path& prefix,
                std::chrono::milliseconds limit) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> environment =
        EnvironmentWith({{"WINEPREFIX", prefix.string()}, {"WINEDEBUG", "-all"}});
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    const UniqueFd process(static_cast<int>(::syscall(SYS_pidfd_open, child, 0)));
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (true) {
        const pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child) {
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        if (ended < 0 && errno != EINTR) {
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(child, SIGKILL);
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return false;
        }
        if (process.IsOpen()) {
            pollfd wait{process.Get(), POLLIN, 0};
            ::poll(&wait, 1, static_cast<int>(left.count()));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
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

} // namespace

std::vector<fs::path> WineServerSockets(const fs::path& prefix) {
    struct stat info {};
    if (::stat(prefix.c_str(), &info) != 0) {
        return {};
    }
    const std::string server = "server-" + Hex(static_cast<unsigned long long>(info.st_dev)) + "-" +
                               Hex(static_cast<unsigned long long>(info.st_ino));
    std::vector<fs::path> sockets{fs::path("/tmp") / (".wine-" + std::to_string(::getuid())) /
                                  server / "socket"};
    if (auto named = ReadSmall(prefix / "wineserver", 256)) {
        while (!named->empty() && (named->back() == '\n' || named->back() == '\r')) {
            named->pop_back();
        }
        if (!named->empty() && *named != "." && *named != ".." &&
            named->find('/') == std::string::npos && named->find('\0') == std::string::npos) {
            sockets.push_back(fs::path("/tmp") / *named / server / "socket");
        }
    }
    return sockets;
}

bool WineServerRunning(const fs::path& prefix) {
    for (const fs::path& socketPath : WineServerSockets(prefix)) {
        struct stat info {};
        sockaddr_un address{};
        if (::lstat(socketPath.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode) ||
            socketPath.string().size() >= sizeof address.sun_path) {
            continue;
        }
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, socketPath.c_str(), socketPath.string().size());
        const UniqueFd connection(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (connection.IsOpen() &&
            ::connect(connection.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) ==
                0) {
            return true;
        }
    }
    return false;
}

std::optional<KeyValues> AskWineServer(const std::string& wine, const fs::path& prefix,
                                       std::string_view keyPath) {
    const TemporaryFolder folder;
    if (folder.path.empty()) {
        return std::nullopt;
    }
    const fs::path file = folder.path / "key.reg";
    const std::optional<std::string> windowsFile = WindowsPathIn(prefix, file);
    if (!windowsFile) {
        return std::nullopt;
    }
    if (!RunQuietly({wine, "reg", "export", RegKeyName(keyPath), *windowsFile, "/reg:32", "/y"},
                    prefix, kAnswerTime)) {
        return std::nullopt;
    }
    const std::optional<std::string> exported = ReadSmall(file, kMaxExport);
    if (!exported) {
        return std::nullopt;
    }
    return FirstKeyOfExport(*exported);
}

} // namespace tmt::platform
