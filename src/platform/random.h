#pragma once
#include <cstdint>

namespace tarvex {

// The game's random numbers: 0..32767 from a linear congruential generator, so that
// a seed reproduces a run exactly.
void SeedRandom(uint32_t seed);
int Random15();

}  // namespace tarvex
