#include "tests/support/linux/FakeWineServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace tmt::test {

namespace fs = std::filesystem;

namespace {

int Connect(const fs::path& socket, int type) {
    const int fd = ::socket(AF_UNIX, type, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        throw std::runtime_error("cannot connect to " + socket.string());
    }
    return fd;
}

} // namespace

FakeWineServer::FakeWineServer(const fs::path& socket, int backlog) : socket_(socket) {
    for (fs::path folder = socket.parent_path(); !fs::exists(folder);
         folder = folder.parent_path()) {
        made_.push_back(folder);
    }
    fs::create_directories(socket.parent_path());
    for (fs::path folder = socket.parent_path(); folder != "/tmp" && folder != folder.root_path();
         folder = folder.parent_path()) {
        fs::permissions(folder, fs::perms::owner_all);
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    fds_.push_back(fd);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, backlog) != 0) {
        throw std::runtime_error("cannot listen on " + socket.string());
    }
}

FakeWineServer::~FakeWineServer() {
    Stop();
    std::error_code error;
    fs::remove(socket_, error);
    for (const fs::path& folder : made_) {
        fs::remove(folder, error);
    }
}

std::vector<fs::path> FakeWineServer::Chain() const {
    std::vector<fs::path> chain;
    for (fs::path folder = socket_.parent_path(); folder != "/tmp" && folder != folder.root_path();
         folder = folder.parent_path()) {
        chain.insert(chain.begin(), folder);
    }
    chain.push_back(socket_);
    return chain;
}

void FakeWineServer::Fill() {
    fds_.push_back(Connect(socket_, SOCK_STREAM));
}

void FakeWineServer::Stop() {
    for (const int fd : fds_) {
        ::close(fd);
    }
    fds_.clear();
}

std::string ServerFolder(const fs::path& prefix) {
    struct stat info {};
    if (::stat(prefix.c_str(), &info) != 0) {
        throw std::runtime_error("no prefix " + prefix.string());
    }
    char name[64];
    std::snprintf(name, sizeof name, "server-%llx-%llx",
                  static_cast<unsigned long long>(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    return name;
}

fs::path UpstreamSocket(const fs::path& prefix, uid_t uid) {
    return fs::path("/tmp") / (".wine-" + std::to_string(uid)) / ServerFolder(prefix) / "socket";
}

bool ProcessEnds(pid_t pid) {
    const int process = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (process < 0) {
        return true;
    }
    pollfd ended{process, POLLIN, 0};
    const bool gone = ::poll(&ended, 1, 10000) == 1;
    ::close(process);
    return gone;
}

} // namespace tmt::test
