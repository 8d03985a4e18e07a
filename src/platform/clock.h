// The millisecond clock. Live runs read SDL's tick counter; with a fixed frame rate
// the clock is virtual and advances by exactly one frame period per frame, so that
// every timed thing in the game is reproducible.
#pragma once
#include <chrono>
#include <cstdint>

namespace tarvex {

uint32_t GetMilliseconds();
// Switches to the virtual clock at F frames a second (F <= 0 switches back to live time).
void SetFixedFrameRate(double framesPerSecond);
bool ClockIsVirtual();
// Advances the virtual clock by one frame period (no effect on the live clock).
void AdvanceVirtualClock();
// Sets the virtual clock's frame counter (tests).
void SetVirtualFrame(uint64_t frame);
void SleepMilliseconds(uint32_t ms);

// The processor time the calling thread has used: what a script's time limit counts, so
// that a machine busy with other programs (or a slow disk) does not cut a script short
// while a script that computes without end is still stopped.
struct ThreadCpuClock {
    using rep = int64_t;
    using period = std::nano;
    using duration = std::chrono::nanoseconds;
    using time_point = std::chrono::time_point<ThreadCpuClock>;
    static constexpr bool is_steady = true;
    static time_point now() noexcept;
};

}  // namespace tarvex
