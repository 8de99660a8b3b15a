#pragma once

#include "tests/support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace tmt::test {

// A stand-in for wine, first on PATH while the object lives, that records each start: its
// working folder and every argument it was given.
class FakeWine {
public:
    struct Start {
        std::filesystem::path workingDirectory;
        std::vector<std::string> arguments; // after "wine" itself: [0] is the game's native path
    };

    FakeWine();
    ~FakeWine();
    FakeWine(const FakeWine&) = delete;
    FakeWine& operator=(const FakeWine&) = delete;

    // The starts recorded so far, waiting up to `timeout` for at least `count` of them (the game
    // is started detached, so its record arrives a moment later).
    std::vector<Start> WaitForStarts(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    std::vector<Start> Starts() const;

    TempDir folder_;
    std::string previousPath_;
};

} // namespace tmt::test
