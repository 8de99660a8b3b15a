#include "core/Random.h"

#include <chrono>
#include <deque>
#include <random>

namespace tmt {

namespace {

struct Generator {
    std::mt19937_64 engine{0};
    std::deque<std::uint32_t> replay;
};

Generator& TheGenerator() {
    static Generator generator;
    return generator;
}

} // namespace

void SeedRandomFromClock() {
    SeedRandom(static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

void SeedRandom(std::uint64_t seed) {
    TheGenerator().engine.seed(seed);
}

std::uint32_t RandomBelow(std::uint32_t bound) {
    Generator& generator = TheGenerator();
    if (!generator.replay.empty()) {
        const std::uint32_t value = generator.replay.front();
        generator.replay.pop_front();
        return value % bound;
    }
    return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(generator.engine);
}

void SetRandomSequenceForTesting(std::vector<std::uint32_t> values) {
    TheGenerator().replay.assign(values.begin(), values.end());
}

} // namespace tmt
