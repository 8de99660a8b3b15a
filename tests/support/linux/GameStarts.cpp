#include "tests/support/GameStarts.h"

#include "tests/support/FakeWine.h"

namespace tmt::test {

struct GameStarts::Recorder {
    FakeWine wine;
};

GameStarts::GameStarts() : recorder_(std::make_unique<Recorder>()) {}

GameStarts::~GameStarts() = default;

std::vector<GameStarts::Start> GameStarts::WaitForStarts(std::size_t count,
                                                         std::chrono::milliseconds timeout) const {
    std::vector<Start> starts;
    for (FakeWine::Start& start : recorder_->wine.WaitForStarts(count, timeout)) {
        starts.push_back({std::move(start.workingDirectory), std::move(start.arguments)});
    }
    return starts;
}

} // namespace tmt::test
