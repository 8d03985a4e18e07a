// The millisecond clock. Live runs read SDL's tick counter; with a fixed frame rate
// the clock is virtual and advances by exactly one frame period per frame, so that
// every timed thing in the game is reproducible.
#pragma once
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

}  // namespace tarvex
