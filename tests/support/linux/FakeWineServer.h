#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tmt::test {

// A listening socket where a Wine server of a prefix would listen, in folders made as the server
// makes them (mode 0700); it takes connections into its queue but never answers. The folders it
// made are removed again.
class FakeWineServer {
public:
    explicit FakeWineServer(const std::filesystem::path& socket, int backlog = 4);
    ~FakeWineServer();
    FakeWineServer(const FakeWineServer&) = delete;
    FakeWineServer& operator=(const FakeWineServer&) = delete;

    // The folders below /tmp that lead to the socket, the socket last.
    std::vector<std::filesystem::path> Chain() const;
    // Fills the queue: with a backlog of 0, every later connect waits for an accept that never
    // comes.
    void Fill();
    // The server is gone; its socket file stays behind, as after a crash.
    void Stop();

private:
    std::filesystem::path socket_;
    std::vector<std::filesystem::path> made_;
    std::vector<int> fds_;
};

// The name of the server folder of `prefix`: server-<dev>-<inode> in hex, as Wine names it.
std::string ServerFolder(const std::filesystem::path& prefix);
// Where upstream Wine's server of `prefix` listens when the account `uid` runs it.
std::filesystem::path UpstreamSocket(const std::filesystem::path& prefix, uid_t uid = ::getuid());

// Whether the process ends: a process sent SIGKILL ends as soon as the system gets to it, so this
// waits for its end, which the guard only bounds.
bool ProcessEnds(pid_t pid);

} // namespace tmt::test
