#include "tests/support/GameStarts.h"

#include "tests/support/TempDir.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

namespace tmt::test {

namespace {
constexpr wchar_t kVariable[] = L"TMT_GAME_STARTS";
} // namespace

// The stand-in game writes its records into the folder the variable names; the shell hands the
// test program's environment on to it.
struct GameStarts::Recorder {
    TempDir folder;

    std::vector<Start> Starts() const {
        std::vector<std::filesystem::path> records;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            if (entry.path().extension() == ".start") {
                records.push_back(entry.path());
            }
        }
        std::sort(records.begin(), records.end());
        std::vector<Start> starts;
        for (const auto& record : records) {
            std::istringstream lines(ReadFile(record));
            Start start;
            std::string line;
            std::getline(lines, line);
            start.workingDirectory = PathFromUtf8(line);
            while (std::getline(lines, line)) {
                start.arguments.push_back(line);
            }
            starts.push_back(std::move(start));
        }
        return starts;
    }
};

GameStarts::GameStarts() : recorder_(std::make_unique<Recorder>()) {
    ::SetEnvironmentVariableW(kVariable, recorder_->folder.Path().c_str());
}

GameStarts::~GameStarts() {
    ::SetEnvironmentVariableW(kVariable, nullptr);
}

std::vector<GameStarts::Start> GameStarts::Starts(std::size_t expected) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::vector<Start> starts = recorder_->Starts();
    while (starts.size() < expected && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        starts = recorder_->Starts();
    }
    return starts;
}

} // namespace tmt::test
