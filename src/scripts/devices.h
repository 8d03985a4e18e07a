// The devices of the close-up scenes: number pads and telephone dials (on-screen keys
// building a number), typed entry on keyboard devices (compared with an expected text on
// Enter), the colour panel, and the game's stored codes from "data/codes.txt".
#pragma once
#include <cstdint>
#include <string>

namespace tarvex {

constexpr int kTypedBufferSize = 12;
constexpr int kPadPositions = 6;
constexpr int kColourSlots = 5;

struct Devices {
    uint32_t padNumber = 0;                    // the digits entered so far
    uint32_t padDigits = 0;                    // how many (saturating; a bad digit spoils the entry)
    char codechar[kTypedBufferSize] = {};      // the typed buffer: key k at index k - 1
    int32_t chosenColours[kColourSlots] = {};  // the colour panel's five values
    // The key count of the current input: pad digits, or keys typed on a keyboard device.
    int numberdigit = 0;
};
extern Devices devices;

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

// A typed character: a key of the keyboard device MainSost chooses, or with none chosen
// one the scene takes (`sceneMayTake`: no menu and no video on screen). True when taken;
// a device takes every key it knows, even past its limit.
bool DeviceTypedCharacter(int ch, bool sceneMayTake);

// A pad key: the digit joins the number; kind 1 lights the inscription digit of the
// position, kind 2 shows a mask star (and the monitor at the first position).
void PadDigit(int digit, int position, int kind);
// A telephone key: the digit joins the number, the picture shows on the dial's display.
void DialDigit(const char* picture, int digit, int position);
// A new pad input: no digits.
void ClearPad();
// True when the pad holds exactly the digits of `code` (as many digits, same value).
bool PadMatches(const std::string& code);

// One key of a keyboard device (called by the window procedure with the key count).
// Enter compares the typed keys with `expected` and leaves the device kind's match or
// mismatch code in EXE; any other key is stored, masked and clicked.
void TypedKey(int key, int keyCount, const char* cursorPicture, const char* maskPicture, int x, int y,
              const std::string& expected, int step, int deviceKind);
// A new typed input: the buffer and the key count cleared.
void ClearTypedEntry();

void ColourSlot(int slot, const char* picture, int value);

// The expected text `index` (0..2, in the keyboard table's order) of keyboard device mode
// `mainSost`, from "data/codes.txt"; "" when there is none (every entry is then refused).
std::string DeviceExpectedText(int mainSost, int index);
// The name of that text in "data/codes.txt" ("device7.2" ...); "" for no such text.
std::string DeviceCodeName(int mainSost, int index);
// A stored code by name ("pad98.general" ...); false when the file or the name is missing
// (said once on stderr).
bool GameCode(const std::string& name, std::string& value);

// Everything back to its start; the codes file is read again at its next use (as it is
// whenever the game folder has changed).
void ResetDevices();
// The start-up's reset: the devices and the key count.
void StartDevices();

}  // namespace tarvex
