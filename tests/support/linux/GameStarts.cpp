#include "tests/support/GameStarts.h"

#include "tests/support/FakeRunners.h"
#include "tests/support/linux/StartedPrograms.h"

namespace tmt::test {

// The adopter first, so that it outlives the stand-in and waits for the last game on the way out.
struct GameStarts::Recorder {
    StartedPrograms started;
    FakeRunners runners;
};

GameStarts::GameStarts() : recorder_(std::make_unique<Recorder>()) {
    recorder_->runners.AddToPath("wine");
}

GameStarts::~GameStarts() = default;

std::vector<GameStarts::Start> GameStarts::Starts(std::size_t /*expected*/) const {
    recorder_->started.WaitUntilAllEnded();
    std::vector<Start> starts;
    for (FakeRunners::Start& start : recorder_->runners.Starts()) {
        starts.push_back({std::move(start.workingDirectory), std::move(start.arguments)});
    }
    return starts;
}

} // namespace tmt::test
