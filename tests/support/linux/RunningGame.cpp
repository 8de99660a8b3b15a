#include "tests/support/RunningGame.h"

#include "tests/support/TempDir.h"
#include "tests/support/linux/Accounts.h"

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tmt::test {

namespace {

namespace fs = std::filesystem;

// Wine without a person: no debugging chatter, no Mono or Gecko installer, no menu entries.
std::vector<std::string> WineEnvironment(const fs::path& prefix) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (!text.starts_with("WINEPREFIX=") && !text.starts_with("WINEDEBUG=") &&
            !text.starts_with("WINEDLLOVERRIDES=")) {
            entries.push_back(text);
        }
    }
    entries.push_back("WINEPREFIX=" + prefix.string());
    entries.push_back("WINEDEBUG=-all");
    entries.push_back("WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=");
    return entries;
}

// Runs a program of Wine's in the prefix, from `folder`, with its output thrown away; returns its
// process id.
pid_t StartWine(const fs::path& prefix, const fs::path& folder,
                std::vector<std::string> arguments) {
    std::vector<std::string> environment = WineEnvironment(prefix);
    std::vector<char*> argv = ExecPointers(arguments);
    std::vector<char*> envp = ExecPointers(environment);
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        if (::chdir(folder.c_str()) == 0) {
            ::execvpe(argv[0], argv.data(), envp.data());
        }
        ::_exit(127);
    }
    if (child < 0) {
        throw std::runtime_error("cannot start Wine");
    }
    return child;
}

void WaitFor(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

// Z: is the root of the file system in every prefix.
std::string OnDriveZ(const fs::path& native) {
    std::string path = "Z:" + native.string();
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    return path;
}

} // namespace

struct RunningGame::Process {
    fs::path prefix;
    pid_t game = -1;
    TempDir signals;

    // Also when the game never came up: the prefix's server and services go too, before the
    // prefix is removed.
    ~Process() {
        if (game > 0) {
            ::kill(game, SIGKILL);
            WaitFor(game);
        }
        WaitFor(StartWine(prefix, "/", {"wineserver", "-k"}));
        WaitFor(StartWine(prefix, "/", {"wineserver", "-w"}));
    }
};

RunningGame::RunningGame(const TestPrefix& prefix, const fs::path& gameFolder)
    : process_(std::make_unique<Process>()) {
    process_->prefix = prefix.Root();
    const fs::path game = gameFolder / "Tunemora.exe";
    fs::copy_file(TM_RUNNING_GAME, game, fs::copy_options::overwrite_existing);
    const fs::path ready = process_->signals.Path() / "running";
    // Plain Wine, as the program itself starts a game of a WINEPREFIX or of ~/.wine.
    process_->game = StartWine(prefix.Root(), gameFolder, {"wine", game.string(), OnDriveZ(ready)});
    // Wine starts its server and services in a fresh prefix first, which takes a few seconds on a
    // busy machine; the limit only keeps a broken Wine from holding the test forever.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!fs::exists(ready)) {
        int status = 0;
        if (::waitpid(process_->game, &status, WNOHANG) == process_->game) {
            process_->game = -1;
            throw std::runtime_error("the stand-in game ended before it ran");
        }
        if (std::chrono::steady_clock::now() > limit) {
            throw std::runtime_error("the stand-in game did not start under Wine");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

RunningGame::~RunningGame() = default;

} // namespace tmt::test
