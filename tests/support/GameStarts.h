#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tmt::test {

// Records every start of the game while the object lives: on Linux through a stand-in for wine
// first on PATH, on Windows through the stand-in game that TestPrefix puts into game folders.
class GameStarts {
public:
    struct Start {
        std::filesystem::path workingDirectory;
        std::vector<std::string> arguments; // [0] is the game's native path, then the switches
    };

    GameStarts();
    ~GameStarts();
    GameStarts(const GameStarts&) = delete;
    GameStarts& operator=(const GameStarts&) = delete;

    // The starts recorded so far, waiting up to `timeout` for at least `count` of them (the game
    // is started detached, so its record arrives a moment later).
    std::vector<Start> WaitForStarts(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    struct Recorder;
    std::unique_ptr<Recorder> recorder_;
};

} // namespace tmt::test
