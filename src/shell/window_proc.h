// The window procedure: activation, close, the key table, typed characters routed
// to the device puzzles or the save-name entry, and the window timers 1 to 4.
#pragma once
#include "platform/input.h"

namespace tarvex {

extern int numberdigit;

// Handles one message. Returns false when the message asks the program to end.
bool WindowProc(const Message& message);
void HandleKeyDown(int key);
void HandleCharacter(int ch);
void HandleTimer(int id);

// The mouse device.
int CreateMouse();
int AcquireMouse();
void ResetWindowProc();

// Device puzzle parameters of a keyboard device mode (MainSost 1..12).
struct KeyboardDevice {
    int mainSost;
    const char* cursorPicture;
    const char* maskPicture;
    int x, y, step, limit;
    int matchCode, mismatchCode;  // left in EXE by the entry on Enter
    int textCount;              // expected texts
    unsigned guards[3];         // bits of scene 252's flag word guarding each text; 0 unguarded
};
const KeyboardDevice* FindKeyboardDevice(int mainSost);

}  // namespace tarvex
