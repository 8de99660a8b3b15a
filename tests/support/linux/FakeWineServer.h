#pragma once

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

} // namespace tmt::test
