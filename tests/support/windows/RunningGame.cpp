#include "tests/support/RunningGame.h"

#include "tests/support/TempDir.h"

#include <windows.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

namespace tmt::test {

namespace {

namespace fs = std::filesystem;

// The stand-in, built beside the test programs.
fs::path StandIn() {
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(std::wstring(self, length)).parent_path() / L"tm_running_game.exe";
}

} // namespace

struct RunningGame::Process {
    HANDLE game = nullptr;
    TempDir signals;

    ~Process() {
        if (game != nullptr) {
            ::TerminateProcess(game, 0);
            ::WaitForSingleObject(game, 10000);
            ::CloseHandle(game);
        }
    }
};

RunningGame::RunningGame(const TestPrefix&, const fs::path& gameFolder)
    : process_(std::make_unique<Process>()) {
    const fs::path game = gameFolder / L"Tunemora.exe";
    fs::copy_file(StandIn(), game, fs::copy_options::overwrite_existing);
    const fs::path ready = process_->signals.Path() / L"running";
    std::wstring commandLine = L"\"" + game.wstring() + L"\" \"" + ready.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(game.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          gameFolder.c_str(), &startup, &started)) {
        throw std::runtime_error("cannot start the stand-in game");
    }
    ::CloseHandle(started.hThread);
    process_->game = started.hProcess;
    // The limit only keeps a broken system from holding the test forever.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!fs::exists(ready)) {
        if (::WaitForSingleObject(process_->game, 0) == WAIT_OBJECT_0) {
            throw std::runtime_error("the stand-in game ended before it ran");
        }
        if (std::chrono::steady_clock::now() > limit) {
            throw std::runtime_error("the stand-in game did not start");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

RunningGame::~RunningGame() = default;

} // namespace tmt::test
