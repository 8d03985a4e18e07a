// The devices: written next.
#include "scripts/devices.h"

namespace tarvex {

uint32_t padNumber = 0;
char codechar[kTypedBufferSize];
int32_t chosenColours[5];

void PadDigit(int, int, int) {}
void DialDigit(const char*, int, int) {}
void TypedKey(int, int, const char*, const char*, int, int, const std::string&, int, int) {}
void ColourSlot(int, const char*, int) {}
std::string DeviceExpectedText(int, int) { return {}; }
bool GameCode(const std::string&, std::string&) { return false; }
void ResetDevices() {}

}  // namespace tarvex
