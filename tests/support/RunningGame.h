#pragma once

#include "tests/support/TestPrefix.h"

#include <filesystem>
#include <memory>

namespace tmt::test {

// The game running while the object lives: the stand-in game (tests/windows/running_game.c)
// becomes the Tunemora.exe of `gameFolder` (a native path) and is started as the system starts a
// Windows program, on Linux by Wine in `prefix` (which must run programs), on Windows by
// CreateProcessW. The constructor returns once the game runs; the destructor ends it, and on
// Linux the prefix's Wine server with it.
class RunningGame {
public:
    RunningGame(const TestPrefix& prefix, const std::filesystem::path& gameFolder);
    ~RunningGame();
    RunningGame(const RunningGame&) = delete;
    RunningGame& operator=(const RunningGame&) = delete;

private:
    struct Process;
    std::unique_ptr<Process> process_;
};

} // namespace tmt::test
