#pragma once

#include <cstdint>
#include <vector>

namespace tmt {

// The one pseudo-random generator of the process.
void SeedRandomFromClock();
void SeedRandom(std::uint64_t seed);

// A whole number drawn uniformly from 0 up to but not including `bound` (bound > 0).
std::uint32_t RandomBelow(std::uint32_t bound);

// Tests replay a fixed sequence: each draw takes the next value (reduced below the bound) until the
// sequence is used up, then the generator takes over again.
void SetRandomSequenceForTesting(std::vector<std::uint32_t> values);

} // namespace tmt
