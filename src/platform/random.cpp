#include "platform/random.h"

namespace tarvex {

static uint32_t randomState = 1;

void SeedRandom(uint32_t seed) { randomState = seed; }

int Random15() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFF);
}

}  // namespace tarvex
