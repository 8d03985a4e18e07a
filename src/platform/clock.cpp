#include "platform/clock.h"

#include <SDL2/SDL.h>
#include <time.h>

namespace tarvex {

static double fixedFps = 0.0;
static uint64_t virtualFrame = 0;

uint32_t GetMilliseconds() {
    if (fixedFps > 0.0) {
        // Frame n starts at floor(n * 1000 / F) ms, so no rounding error accumulates.
        return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<double>(virtualFrame) * 1000.0 / fixedFps));
    }
    return SDL_GetTicks();
}

void SetFixedFrameRate(double framesPerSecond) {
    fixedFps = framesPerSecond > 0.0 ? framesPerSecond : 0.0;
    virtualFrame = 0;
}

bool ClockIsVirtual() { return fixedFps > 0.0; }

void AdvanceVirtualClock() {
    if (fixedFps > 0.0) ++virtualFrame;
}

void SetVirtualFrame(uint64_t frame) { virtualFrame = frame; }

void SleepMilliseconds(uint32_t ms) {
    if (fixedFps <= 0.0) SDL_Delay(ms);
}

ThreadCpuClock::time_point ThreadCpuClock::now() noexcept {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return time_point(duration(static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec));
}

}  // namespace tarvex
