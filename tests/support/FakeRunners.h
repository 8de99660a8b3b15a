#pragma once

#include "tests/support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tmt::test {

// Stand-ins for the runners a game is started with (wine, steam, flatpak, bottles-cli, umu-run,
// heroic, playonlinux), each recording every start: which program ran, its working folder, its
// arguments and its environment.
class FakeRunners {
public:
    struct Start {
        std::filesystem::path program;
        std::filesystem::path workingDirectory;
        std::map<std::string, std::string> environment;
        std::vector<std::string> arguments;
    };
    // How a runner refuses a start after recording it: what it writes to its standard error and
    // its exit status, as a parser refuses an argument it does not take.
    struct Refusal {
        int status = 2;
        std::string message;
    };

    // Puts a folder of its own first on PATH while the object lives.
    FakeRunners();
    ~FakeRunners();
    FakeRunners(const FakeRunners&) = delete;
    FakeRunners& operator=(const FakeRunners&) = delete;

    // A recording program found on PATH by `name`.
    void AddToPath(const std::string& name);
    // A recording program at `path`. When `regExport` is given it also answers
    // "reg export KEY FILE ..." by writing that text to FILE (a Z:\ path) as Wine's reg does.
    void Install(const std::filesystem::path& path,
                 const std::optional<std::string>& regExport = std::nullopt);

    // A recording program that refuses every start, on PATH by `name` or at `path`.
    void AddRefusingToPath(const std::string& name, const Refusal& refusal);
    void InstallRefusing(const std::filesystem::path& path, const Refusal& refusal);

    // The starts recorded so far, waiting up to `timeout` for at least `count` of them (runners
    // are started detached, so their records arrive a moment later).
    std::vector<Start>
    WaitForStarts(std::size_t count,
                  std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    std::vector<Start> Starts() const;

private:
    TempDir folder_;
    std::string previousPath_;
};

} // namespace tmt::test
