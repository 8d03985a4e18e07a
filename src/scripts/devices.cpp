#include "scripts/devices.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <set>
#include <vector>

#include "base/globals.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "media/sound.h"
#include "resources/frame_sequence.h"
#include "resources/game_file.h"
#include "scripts/scene_dispatch.h"

namespace tarvex {

Devices devices;

namespace {

#define POD(scene) "animgfx/scene" scene "/pod000.bmp"
#define MASK(scene) "animgfx/scene" scene "/asterisk000.bmp"
const KeyboardDevice kDevices[] = {
    {1, POD("033"), MASK("033"), 269, 185, 20, 12, 2, 3, 1, {0, 0, 0}},
    {2, POD("097"), MASK("097"), 302, 362, 16, 11, 2, 3, 1, {0, 0, 0}},
    {3, POD("097"), MASK("097"), 302, 362, 16, 11, 2, 3, 1, {0, 0, 0}},
    {4, POD("097"), MASK("097"), 302, 362, 16, 11, 2, 3, 1, {0, 0, 0}},
    {6, POD("033"), MASK("033"), 333, 320, 20, 6, 24, 23, 1, {0, 0, 0}},
    {7, POD("252"), MASK("252"), 305, 348, 14, 12, 6, 7, 3, {0x1, 0x2, 0x4}},
    {8, POD("252"), MASK("252"), 305, 348, 14, 12, 29, 30, 2, {0x40000, 0x80000, 0}},
    {9, POD("252"), MASK("252"), 305, 348, 14, 12, 32, 33, 2, {0x40000, 0x80000, 0}},
    {10, POD("252"), MASK("252"), 305, 348, 14, 12, 43, 44, 1, {0, 0, 0}},
    {11, POD("252"), MASK("252"), 305, 348, 14, 12, 4, 11, 1, {0, 0, 0}},
    {12, POD("252"), MASK("252"), 305, 348, 14, 12, 10, 5, 1, {0, 0, 0}},
};
#undef POD
#undef MASK

// The flags of the scene whose texts a guard picks among.
constexpr int kGuardScene = 252;

constexpr const char* kCodesFile = "data/codes.txt";
constexpr size_t kMaxCodesFileSize = 64 * 1024;
constexpr uint32_t kSpoiledPad = std::numeric_limits<uint32_t>::max();
constexpr int kEnter = 13;
constexpr int kEnterSound = 7;
constexpr int kInputCursorSlot = 14;
constexpr int kSceneSlots = 30;

struct CodesFile {
    bool read = false;
    std::string folder;  // the game folder it was read from
    bool present = false;
    bool missingSaid = false;
    std::map<std::string, std::string> values;
    std::set<std::string> missingNames;
};
CodesFile codes;

struct Place {
    int x, y;
};
constexpr Place kInscriptionPlaces[kPadPositions] = {{314, 145}, {350, 193}, {377, 193},
                                                     {405, 193}, {433, 193}, {460, 193}};
constexpr Place kStarPlaces[kPadPositions] = {{328, 230}, {352, 229}, {380, 229},
                                              {408, 230}, {436, 229}, {464, 229}};
constexpr Place kMonitorPlace = {307, 139};
constexpr Place kColourPlaces[kColourSlots] = {{519, 47}, {518, 106}, {518, 165}, {517, 223}, {517, 280}};

// Shows a sequence in a slot from its first frame.
void ShowSequence(const std::string& path, int slot, int x, int y, float speed, int endRule = 0) {
    LoadFrameSequence(path, slot, x, y, 1, speed, 0, endRule, 0, 0.3f, -1, 0);
    PlayAnimation(slot, 0.0f, speed);
}

void AddPadDigit(int digit) {
    if (digit < 0 || digit > 9) {
        devices.padDigits = kSpoiledPad;
        return;
    }
    devices.padNumber = devices.padNumber * 10 + static_cast<uint32_t>(digit);
    if (devices.padDigits != kSpoiledPad) ++devices.padDigits;
}

std::string Trim(const std::string& s) {
    const char* blanks = " \t\r\f\v";
    const size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// "NAME VALUE" lines; "#" starts a comment; blank lines are skipped.
void ParseCodes(const std::string& text) {
    size_t start = 0;
    int lineNumber = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.resize(hash);
        line = Trim(line);
        if (line.empty()) continue;
        const size_t gap = line.find_first_of(" \t");
        const std::string name = line.substr(0, std::min(gap, line.size()));
        const std::string value = gap == std::string::npos ? std::string() : Trim(line.substr(gap));
        if (value.empty() || value.find_first_of(" \t") != std::string::npos) {
            std::fprintf(stderr, "%s: line %d is not NAME VALUE, ignored\n", kCodesFile, lineNumber);
            continue;
        }
        codes.values[name] = value;
    }
}

// Read at the first use and kept while the game folder stays the same.
void ReadCodes() {
    std::error_code ec;
    const std::string folder = std::filesystem::current_path(ec).string();
    if (codes.read && codes.folder == folder) return;
    codes = CodesFile{};
    codes.read = true;
    codes.folder = folder;
    std::vector<uint8_t> bytes;
    if (!ReadGameFile(kCodesFile, bytes, kMaxCodesFileSize)) return;
    codes.present = true;
    std::string text(bytes.begin(), bytes.end());
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    ParseCodes(text);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The expected text against the typed buffer as two C strings, letter case ignored, over
// the longer of the keys counted and the text: the comparison ends where both texts end,
// so a second Enter finds the same entry. Past its 12 bytes the buffer reads as ended.
// An empty text (a missing code) refuses every entry.
bool EntryMatches(const std::string& expected, int effectiveCount) {
    if (expected.empty()) return false;
    const size_t length = std::max(static_cast<size_t>(std::max(effectiveCount, 0)), expected.size());
    for (size_t i = 0; i < length; ++i) {
        const char want = i < expected.size() ? expected[i] : '\0';
        const char typed = i < static_cast<size_t>(kTypedBufferSize) ? devices.codechar[i] : '\0';
        if (Lower(want) != Lower(typed)) return false;
        if (want == '\0') break;
    }
    return true;
}

// The key's click: each group of key codes has its sound slot; a code in two groups
// plays both.
void PlayKeyClick(int key) {
    struct Group {
        int first, last, extra, slot;
    };
    static constexpr Group kGroups[] = {{64, 73, 102, 0},  {74, 83, 104, 1},  {84, 93, 39, 2}, {94, 103, -1, 3},
                                        {104, 113, -1, 4}, {114, 123, 109, 5}, {48, 57, -1, 6}};
    if (key == kEnter) {
        PlaySlot(kEnterSound, 0, 0, 0);
        return;
    }
    for (const Group& g : kGroups)
        if ((key >= g.first && key <= g.last) || key == g.extra) PlaySlot(g.slot, 0, 0, 0);
}

// Where the input cursor stands right of a mask, and how fast it blinks, per device kind.
struct CursorLook {
    int dx, dy;
    float speed;
};
CursorLook CursorFor(int deviceKind) {
    switch (deviceKind) {
    case 1: return {20, 7, 0.3f};
    case 2:
    case 3:
    case 4: return {13, 15, 0.5f};
    case 6: return {20, 7, 0.5f};
    default: return {14, 9, 0.2f};
    }
}

int DeviceCode(int deviceKind, bool match) {
    const KeyboardDevice* d = FindKeyboardDevice(deviceKind);
    if (!d) return 0;
    return match ? d->matchCode : d->mismatchCode;
}

}  // namespace

void PadDigit(int digit, int position, int kind) {
    AddPadDigit(digit);
    if (position < 1 || position > kPadPositions) return;
    const int i = position - 1;
    char path[64];
    if (kind == 1) {
        std::snprintf(path, sizeof path, "animgfx/scene067/nadpis%02d_000.Tif", position);
        ShowSequence(path, position, kInscriptionPlaces[i].x, kInscriptionPlaces[i].y, 1.0f);
    } else if (kind == 2) {
        if (position == 1) ShowSequence("animgfx/scene098/Monitor000.Tif", 0, kMonitorPlace.x, kMonitorPlace.y, 1.0f);
        std::snprintf(path, sizeof path, "animgfx/scene098/asterisk%d_000.Tif", position);
        ShowSequence(path, position, kStarPlaces[i].x, kStarPlaces[i].y, 1.0f);
    }
}

void DialDigit(const char* picture, int digit, int position) {
    AddPadDigit(digit);
    if (!picture || position < 0 || position >= kSceneSlots) return;
    ShowSequence(picture, position, 318 + 15 * position, 218, 1.0f);
}

void ClearPad() {
    devices.padNumber = 0;
    devices.padDigits = 0;
}

bool PadMatches(const std::string& code) {
    if (code.empty() || code.size() > 10 || devices.padDigits != code.size()) return false;
    if (code.find_first_not_of("0123456789") != std::string::npos) return false;
    uint64_t value = 0;
    for (char c : code) value = value * 10 + static_cast<uint64_t>(c - '0');
    // Ten digits may not fit the pad's 32 bits: such a code can never be entered.
    return value <= std::numeric_limits<uint32_t>::max() && devices.padNumber == value;
}

void TypedKey(int key, int keyCount, const char* cursorPicture, const char* maskPicture, int x, int y,
              const std::string& expected, int step, int deviceKind) {
    PlayKeyClick(key);
    if (key == kEnter) {
        interaction.EXE = DeviceCode(deviceKind, EntryMatches(expected, keyCount - 1));
        return;
    }
    // A key past the buffer is never stored: the entry is then a wrong one.
    if (keyCount < 1 || keyCount > kTypedBufferSize) {
        interaction.EXE = DeviceCode(deviceKind, false);
        return;
    }
    devices.codechar[keyCount - 1] = static_cast<char>(key);
    const int maskX = x + keyCount * step;
    if (maskPicture) ShowSequence(maskPicture, keyCount + 2, maskX, y, 1.0f);
    const CursorLook c = CursorFor(deviceKind);
    if (cursorPicture) ShowSequence(cursorPicture, kInputCursorSlot, maskX + c.dx, y + c.dy, c.speed, 1);
}

void ClearTypedEntry() {
    std::memset(devices.codechar, 0, sizeof devices.codechar);
    devices.numberdigit = 0;
}

void ColourSlot(int slot, const char* picture, int value) {
    if (slot < 1 || slot > kColourSlots) return;
    const Place& p = kColourPlaces[slot - 1];
    if (picture) ShowSequence(picture, slot - 1, p.x, p.y, 1.0f);
    devices.chosenColours[slot - 1] = value;
}

std::string DeviceCodeName(int mainSost, int index) {
    const KeyboardDevice* d = FindKeyboardDevice(mainSost);
    if (!d || index < 0 || index >= d->textCount) return {};
    char name[32];
    if (d->guards[index])
        std::snprintf(name, sizeof name, "device%d.%x", mainSost, d->guards[index]);
    else
        std::snprintf(name, sizeof name, "device%d", mainSost);
    return name;
}

std::string DeviceExpectedText(int mainSost, int index) {
    const std::string name = DeviceCodeName(mainSost, index);
    std::string value;
    if (name.empty() || !GameCode(name, value)) return {};
    return value;
}

bool GameCode(const std::string& name, std::string& value) {
    ReadCodes();
    if (!codes.present) {
        if (!codes.missingSaid) std::fprintf(stderr, "%s is missing: every code is refused\n", kCodesFile);
        codes.missingSaid = true;
        return false;
    }
    const auto it = codes.values.find(name);
    if (it == codes.values.end()) {
        if (codes.missingNames.insert(name).second)
            std::fprintf(stderr, "%s has no code %s: it is refused\n", kCodesFile, name.c_str());
        return false;
    }
    value = it->second;
    return true;
}

const KeyboardDevice* FindKeyboardDevice(int mainSost) {
    for (const KeyboardDevice& d : kDevices)
        if (d.mainSost == mainSost) return &d;
    return nullptr;
}

bool DeviceTypedCharacter(int ch, bool sceneMayTake) {
    const bool deviceChar = (ch >= '0' && ch <= '9') || (ch >= 0x40 && ch <= 0x80) || ch == 13 || ch == 0x27;
    if (loop.MainSost != 0 && deviceChar) {
        const KeyboardDevice* d = FindKeyboardDevice(loop.MainSost);
        if (!d) return true;  // the lantern view (5) takes no keys
        ++devices.numberdigit;
        if (devices.numberdigit >= d->limit) {
            // Past the device's limit keys only report the mismatch (Enter still
            // reaches the entry on the keyboards of modes 6 and up).
            if (ch != 13 || d->mainSost <= 4) {
                interaction.EXE = d->mismatchCode;
                return true;
            }
        }
        for (int i = 0; i < d->textCount; ++i) {
            if (d->guards[i] && !TestFlagsOf(kGuardScene, d->guards[i])) continue;
            TypedKey(ch, devices.numberdigit, d->cursorPicture, d->maskPicture, d->x, d->y,
                     DeviceExpectedText(d->mainSost, i), d->step, d->mainSost);
        }
        return true;
    }
    // With no keyboard device chosen, a scene's own on-screen keys may take it (the keypad's digits).
    return loop.MainSost == 0 && sceneMayTake && SceneTypedCharacter(ch);
}

void StartDevices() {
    ResetDevices();
    devices.numberdigit = 0;
}

void ResetDevices() {
    ClearPad();
    std::memset(devices.codechar, 0, sizeof devices.codechar);
    std::fill(std::begin(devices.chosenColours), std::end(devices.chosenColours), 0);
    codes = CodesFile{};
}

}  // namespace tarvex
