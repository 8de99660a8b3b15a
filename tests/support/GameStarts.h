#pragma once

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

    // Every start so far, in the order they were made. The game is started detached, so its record
    // arrives a moment later: on Linux this returns once every game started so far has ended; on
    // Windows, where the test cannot see the games end, once `expected` records are there (or
    // after ten seconds), so a start beyond `expected` may be missed there.
    std::vector<Start> Starts(std::size_t expected) const;

private:
    struct Recorder;
    std::unique_ptr<Recorder> recorder_;
};

} // namespace tmt::test
