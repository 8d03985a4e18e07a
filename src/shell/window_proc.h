// The window procedure: activation, close, the key table, typed characters routed
// to the game (its devices and scenes) or the save-name entry, and the window timers.
#pragma once
#include "platform/input.h"

namespace tarvex {

// Handles one message. Returns false when the message asks the program to end.
bool WindowProc(const Message& message);
void HandleKeyDown(int key);
void HandleCharacter(int ch);
void HandleTimer(int id);

}  // namespace tarvex
