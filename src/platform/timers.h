// Window timers 0..9, polled by the message loop on the game thread and delivered
// as timer messages (never from another thread).
#pragma once
#include <cstdint>

namespace tarvex {

constexpr int kWindowTimerCount = 10;

void SetWindowTimer(int id, uint32_t periodMs);
void KillWindowTimer(int id);
void KillAllWindowTimers();
bool WindowTimerActive(int id);
// Returns the id of a timer that is due at `now` (and schedules its next tick), or -1.
int PollWindowTimers(uint32_t now);

}  // namespace tarvex
