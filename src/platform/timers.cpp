#include "platform/timers.h"

#include "platform/clock.h"

namespace tarvex {

namespace {
struct WindowTimer {
    bool active = false;
    uint32_t period = 0;
    uint32_t due = 0;
};
WindowTimer timers[kWindowTimerCount];
}  // namespace

void SetWindowTimer(int id, uint32_t periodMs) {
    if (id < 0 || id >= kWindowTimerCount) return;
    if (periodMs == 0) periodMs = 1;
    timers[id] = {true, periodMs, GetMilliseconds() + periodMs};
}

void KillWindowTimer(int id) {
    if (id >= 0 && id < kWindowTimerCount) timers[id].active = false;
}

void KillAllWindowTimers() {
    for (auto& t : timers) t.active = false;
}

bool WindowTimerActive(int id) { return id >= 0 && id < kWindowTimerCount && timers[id].active; }

int PollWindowTimers(uint32_t now) {
    for (int id = 0; id < kWindowTimerCount; ++id) {
        WindowTimer& t = timers[id];
        // Signed difference keeps working across the 49-day wrap of the clock.
        if (t.active && static_cast<int32_t>(now - t.due) >= 0) {
            // Like system timers, late ticks are coalesced into one.
            t.due = now + t.period;
            return id;
        }
    }
    return -1;
}

}  // namespace tarvex
