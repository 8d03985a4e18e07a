// The devices of the close-up scenes: number pads and telephone dials (on-screen keys
// building a number), typed entry on keyboard devices (compared with an expected text on
// Enter), the colour panel, and the game's stored codes from "data/codes.txt".
#pragma once
#include <cstdint>
#include <string>

namespace tarvex {

constexpr int kTypedBufferSize = 12;

extern uint32_t padNumber;               // the digits entered so far
extern char codechar[kTypedBufferSize];  // the typed buffer: key k at index k - 1
extern int32_t chosenColours[5];         // the colour panel's five values

void PadDigit(int digit, int position, int kind);
void DialDigit(const char* picture, int digit, int position);
// One key of a keyboard device (called by the window procedure with the key count).
void TypedKey(int key, int keyCount, const char* cursorPicture, const char* maskPicture, int x, int y,
              const std::string& expected, int step, int deviceKind);
void ColourSlot(int slot, const char* picture, int value);

// The expected text `index` (0..2, in the keyboard table's order) of keyboard device mode
// `mainSost`, from "data/codes.txt"; "" when there is none (every entry is then refused).
std::string DeviceExpectedText(int mainSost, int index);
// A stored code by name ("pad98.general" ...); false when the file or the name is missing
// (said once on stderr).
bool GameCode(const std::string& name, std::string& value);

void ResetDevices();

}  // namespace tarvex
