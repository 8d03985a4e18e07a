#include "platform/input.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/clock.h"
#include "platform/display.h"
#include "platform/timers.h"

namespace tarvex {

namespace {

struct ReplayEvent {
    uint64_t frame;
    std::string kind;
    std::string arg1, arg2, arg3;
    bool alt = false;   // key: pressed with Alt
    bool ctrl = false;  // key: pressed with Ctrl
};

struct InputState {
    std::deque<Message> queue;
    bool playerLayout = false;
    bool textTyping = false;
    // Mouse accumulated between reads: the wheel, and the pointer's last place mapped
    // into the game's screen.
    int wheel = 0;
    bool haveAbsolute = false;
    int absX = 0, absY = 0;
    // The pointer's place in the window, moved by replayed relative motion; until a
    // device has placed it, the window point that shows the game's pointer.
    bool windowPointKnown = false;
    int windowX = 0, windowY = 0;
    int lastCursorX = kScreenWidth / 2, lastCursorY = kScreenHeight / 2;
    bool down[2] = {false, false};
    bool releasePending[2] = {false, false};  // pressed and released between two reads
    // Replay and recording.
    std::vector<ReplayEvent> replay;
    size_t replayNext = 0;
    bool replaying = false;
    FILE* record = nullptr;
    uint64_t frame = 0;
    // The hint key (Tab) held down.
    bool hintKeyHeld = false;
    // The game controller: its buttons, presses not yet taken, the left stick, and the
    // pointer motion the engine made from them (not recorded: the pad's events are).
    bool padDown[kPadButtonCount] = {};
    int padPresses[kPadButtonCount] = {};
    float padAxes[kPadAxisCount] = {};
    int nudgeX = 0, nudgeY = 0;
    SDL_GameController* controller = nullptr;
    bool controllerSystem = false;
};

InputState input;

void Record(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Record(const char* format, ...) {
    if (!input.record) return;
    std::fprintf(input.record, "%llu ", static_cast<unsigned long long>(input.frame));
    va_list args;
    va_start(args, format);
    std::vfprintf(input.record, format, args);
    va_end(args);
    std::fputc('\n', input.record);
    std::fflush(input.record);
}

void Press(int button, bool down) {
    if (button < 0 || button > 1) return;
    if (down) {
        input.down[button] = true;
        input.releasePending[button] = false;
    } else if (input.down[button]) {
        // Keep a press that was released before the frame read it visible for one read.
        input.releasePending[button] = true;
    }
}

// A key as the window procedure receives it: the key-down message, then the
// character it types unless the player's layout is typing (save names), where
// only Enter and Backspace come from the key itself. A digit key with Ctrl held is the
// workbench's: a message of its own, and no character.
void DeliverKey(int scancode, bool shift, bool ctrl = false) {
    // At the console's prompt Shift with the key left of 1 types "~" (Lua's "~="), its text alone.
    if (input.textTyping && shift && scancode == SDL_SCANCODE_GRAVE) return;
    int code = VirtualKeyOfScancode(scancode);
    if (ctrl && code >= '0' && code <= '9') {
        PostMessage(MessageType::CtrlKeyDown, code);
        return;
    }
    if (code) PostMessage(MessageType::KeyDown, code);
    // The key left of 1 opens the console: its character never reaches the game.
    if (input.textTyping || scancode == SDL_SCANCODE_GRAVE) return;
    int ch = UsLayoutCharacter(scancode, shift);
    if (ch == 0) return;
    if (input.playerLayout && ch != 13 && ch != 8) return;
    PostMessage(MessageType::Char, ch);
}

// The pointer at a window point: the game's pointer goes to the screen point shown there.
void PointerAtWindowPoint(int wx, int wy) {
    input.windowPointKnown = true;
    input.windowX = wx;
    input.windowY = wy;
    WindowToScreen(wx, wy, input.absX, input.absY);
    input.haveAbsolute = true;
}

// The controller's buttons and axes by their replay names (SDL's own names).
constexpr const char* kPadButtonNames[kPadButtonCount] = {"a", "b", "x", "y", "back", "start", "leftshoulder",
                                                          "rightshoulder"};
constexpr const char* kPadAxisNames[kPadAxisCount] = {"leftx", "lefty"};

int PadButtonOfName(const std::string& name) {
    for (int b = 0; b < kPadButtonCount; ++b)
        if (name == kPadButtonNames[b]) return b;
    return -1;
}

int PadAxisOfName(const std::string& name) {
    for (int a = 0; a < kPadAxisCount; ++a)
        if (name == kPadAxisNames[a]) return a;
    return -1;
}

// A controller button: A and B are the mouse's left and right buttons, Start is Escape;
// the others are read by the game through TakePadPresses and PadButtonHeld.
void SetPadButton(int button, bool down) {
    if (button < 0 || button >= kPadButtonCount) return;
    const bool wasDown = input.padDown[button];
    input.padDown[button] = down;
    if (!down || wasDown) {
        if (!down && button == static_cast<int>(PadButtonId::A)) Press(0, false);
        if (!down && button == static_cast<int>(PadButtonId::B)) Press(1, false);
        return;
    }
    ++input.padPresses[button];
    if (button == static_cast<int>(PadButtonId::A)) Press(0, true);
    else if (button == static_cast<int>(PadButtonId::B)) Press(1, true);
    else if (button == static_cast<int>(PadButtonId::Start)) PostMessage(MessageType::KeyDown, vk::Escape);
}

void SetPadAxis(int axis, float value) {
    if (axis < 0 || axis >= kPadAxisCount) return;
    input.padAxes[axis] = std::clamp(value, -1.0f, 1.0f);
}

// Opens the first controller SDL knows, when none is open.
void OpenController() {
    if (input.controller) return;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (!SDL_IsGameController(i)) continue;
        input.controller = SDL_GameControllerOpen(i);
        if (input.controller) return;
    }
}

void DeliverText(const std::string& utf8) {
    if (input.textTyping) {
        for (char32_t c : Utf8ToCodePoints(utf8)) PostMessage(MessageType::Text, static_cast<int32_t>(c));
        return;
    }
    for (unsigned char c : Utf8ToCp1251(utf8)) PostMessage(MessageType::Char, c);
}

// A controller plugged in or out, a button or the left stick (live input only).
void ControllerEvent(const SDL_Event& e) {
    switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED:
        OpenController();
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        if (input.controller && SDL_GameControllerGetJoystick(input.controller) &&
            SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(input.controller)) == e.cdevice.which) {
            SDL_GameControllerClose(input.controller);
            input.controller = nullptr;
            for (int b = 0; b < kPadButtonCount; ++b) SetPadButton(b, false);
            for (float& a : input.padAxes) a = 0;
            OpenController();
        }
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        if (input.replaying) break;
        const char* name = SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(e.cbutton.button));
        const int button = name ? PadButtonOfName(name) : -1;
        if (button < 0) break;
        const bool down = e.type == SDL_CONTROLLERBUTTONDOWN;
        Record("pad button %s %s", kPadButtonNames[button], down ? "down" : "up");
        SetPadButton(button, down);
        break;
    }
    case SDL_CONTROLLERAXISMOTION: {
        if (input.replaying) break;
        const char* name = SDL_GameControllerGetStringForAxis(static_cast<SDL_GameControllerAxis>(e.caxis.axis));
        const int axis = name ? PadAxisOfName(name) : -1;
        if (axis < 0) break;
        // Recorded to two decimals, and used as recorded, so that a replay moves alike.
        const float value = std::round(std::clamp(e.caxis.value / 32767.0f, -1.0f, 1.0f) * 100.0f) / 100.0f;
        if (value == input.padAxes[axis]) break;
        Record("pad axis %s %.2f", kPadAxisNames[axis], static_cast<double>(value));
        SetPadAxis(axis, value);
        break;
    }
    default:
        break;
    }
}

// Controller events start once, with the window; controllers present at the start arrive
// as "added" events, or were announced already to the settings dialog before the game.
void StartControllers() {
    if (input.controllerSystem) return;
    input.controllerSystem = true;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        std::fprintf(stderr, "tarvex: no game controller support: %s\n", SDL_GetError());
    else
        OpenController();
}

void PumpEvents() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    StartControllers();
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_QUIT:
            PostMessage(MessageType::Close, 0);
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) PostMessage(MessageType::Activate, 1);
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) PostMessage(MessageType::Activate, 0);
            if (e.window.event == SDL_WINDOWEVENT_MOVED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                WindowPlacementChanged();
            // The player's own resizing of the window; full screen follows from Alt+Enter.
            if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED && !input.replaying && !IsFullScreen() &&
                !WindowSizeWasAsked(e.window.data1, e.window.data2))
                Record("window %d %d", e.window.data1, e.window.data2);
            break;
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
        case SDL_CONTROLLERAXISMOTION:
            ControllerEvent(e);
            break;
        case SDL_KEYUP:
            if (input.replaying || e.key.keysym.scancode != SDL_SCANCODE_TAB) break;
            Record("keyup Tab");
            input.hintKeyHeld = false;
            break;
        case SDL_KEYDOWN:
            if (input.replaying) break;
            // Tab is held for the hints: it is no key press and types nothing.
            if (e.key.keysym.scancode == SDL_SCANCODE_TAB) {
                if (!e.key.repeat) Record("keydown Tab");
                input.hintKeyHeld = true;
                break;
            }
            if (e.key.keysym.scancode == SDL_SCANCODE_RETURN && (e.key.keysym.mod & KMOD_ALT)) {
                // Alt+Enter switches full screen, once a press however long it is held.
                if (e.key.repeat) break;
                Record("key Alt+Return");
                PostMessage(MessageType::SysKeyDown, vk::Return);
                break;
            }
            // A held Escape opens the menu (or leaves it) once, not at the key's repeat rate.
            if (e.key.repeat && e.key.keysym.scancode == SDL_SCANCODE_ESCAPE) break;
            Record((e.key.keysym.mod & KMOD_CTRL) ? "key Ctrl+%s" : "key %s", SDL_GetScancodeName(e.key.keysym.scancode));
            DeliverKey(e.key.keysym.scancode, (e.key.keysym.mod & KMOD_SHIFT) != 0, (e.key.keysym.mod & KMOD_CTRL) != 0);
            break;
        case SDL_TEXTINPUT:
            if (input.replaying || !(input.playerLayout || input.textTyping)) break;
            Record("text %s", e.text.text);
            DeliverText(e.text.text);
            break;
        case SDL_MOUSEMOTION:
            // Where the pointer is in the window, whatever device moved it.
            if (!input.replaying) PointerAtWindowPoint(e.motion.x, e.motion.y);
            break;
        case SDL_MOUSEWHEEL:
            if (!input.replaying) input.wheel += e.wheel.y * 120;
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (input.replaying) break;
            int button = e.button.button == SDL_BUTTON_LEFT ? 0 : e.button.button == SDL_BUTTON_RIGHT ? 1 : -1;
            if (button < 0) break;
            bool down = e.type == SDL_MOUSEBUTTONDOWN;
            Record("%s %s", down ? "press" : "release", button == 0 ? "left" : "right");
            Press(button, down);
            break;
        }
        default:
            break;
        }
    }
}

}  // namespace

void ResetInput() {
    CloseRecording();
    SDL_GameController* controller = input.controller;
    const bool controllerSystem = input.controllerSystem;
    input = InputState{};
    input.controller = controller;
    input.controllerSystem = controllerSystem;
}

void PostMessage(MessageType type, int32_t value) { input.queue.push_back({type, value}); }

bool TakeMessage(Message& out) {
    PumpEvents();
    int timer = PollWindowTimers(GetMilliseconds());
    if (timer >= 0) PostMessage(MessageType::Timer, timer);
    if (input.queue.empty()) return false;
    out = input.queue.front();
    input.queue.pop_front();
    return true;
}

void WaitForMessage() {
    if (ClockIsVirtual() || !SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_WaitEventTimeout(nullptr, 50);
}

void SetPlayerLayoutTyping(bool playerLayout) { input.playerLayout = playerLayout; }

void SetTextTyping(bool on) { input.textTyping = on; }

void DropPendingClicks() {
    for (int b = 0; b < 2; ++b) {
        if (!input.releasePending[b]) continue;
        input.down[b] = false;
        input.releasePending[b] = false;
    }
}

int ReadMouse(int cursorX, int cursorY, MouseState& out) {
    out = MouseState{};
    input.lastCursorX = cursorX;
    input.lastCursorY = cursorY;
    if (input.haveAbsolute) {
        out.dx = input.absX - cursorX;
        out.dy = input.absY - cursorY;
        input.haveAbsolute = false;
    }
    out.dz = input.wheel;
    input.wheel = 0;
    if ((out.dx || out.dy) && !input.replaying) Record("pointer %d %d", cursorX + out.dx, cursorY + out.dy);
    out.dx += input.nudgeX;
    out.dy += input.nudgeY;
    input.nudgeX = input.nudgeY = 0;
    for (int b = 0; b < 2; ++b) {
        out.buttons[b] = input.down[b] ? 0x80 : 0;
        if (input.releasePending[b]) {
            input.down[b] = false;
            input.releasePending[b] = false;
        }
    }
    return 0;
}

int UsLayoutCharacter(int scancode, bool shift) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return (shift ? 'A' : 'a') + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_0) {
        static const char plain[] = "1234567890", shifted[] = "!@#$%^&*()";
        return (shift ? shifted : plain)[scancode - SDL_SCANCODE_1];
    }
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_0) return "1234567890"[scancode - SDL_SCANCODE_KP_1];
    switch (scancode) {
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER: return 13;
    case SDL_SCANCODE_BACKSPACE: return 8;
    case SDL_SCANCODE_SPACE: return ' ';
    case SDL_SCANCODE_ESCAPE: return 27;
    case SDL_SCANCODE_MINUS: return shift ? '_' : '-';
    case SDL_SCANCODE_EQUALS: return shift ? '+' : '=';
    case SDL_SCANCODE_LEFTBRACKET: return shift ? '{' : '[';
    case SDL_SCANCODE_RIGHTBRACKET: return shift ? '}' : ']';
    case SDL_SCANCODE_BACKSLASH: return shift ? '|' : '\\';
    case SDL_SCANCODE_SEMICOLON: return shift ? ':' : ';';
    case SDL_SCANCODE_APOSTROPHE: return shift ? '"' : '\'';
    case SDL_SCANCODE_GRAVE: return shift ? '~' : '`';
    case SDL_SCANCODE_COMMA: return shift ? '<' : ',';
    case SDL_SCANCODE_PERIOD: return shift ? '>' : '.';
    case SDL_SCANCODE_SLASH: return shift ? '?' : '/';
    default: return 0;
    }
}

int VirtualKeyOfScancode(int scancode) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0) return '0';
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) return vk::F1 + (scancode - SDL_SCANCODE_F1);
    switch (scancode) {
    case SDL_SCANCODE_ESCAPE: return vk::Escape;
    case SDL_SCANCODE_GRAVE: return vk::Grave;
    case SDL_SCANCODE_LEFT: return vk::Left;
    case SDL_SCANCODE_RIGHT: return vk::Right;
    case SDL_SCANCODE_UP: return vk::Up;
    case SDL_SCANCODE_DOWN: return vk::Down;
    case SDL_SCANCODE_HOME: return vk::Home;
    case SDL_SCANCODE_END: return vk::End;
    case SDL_SCANCODE_DELETE: return vk::Delete;
    case SDL_SCANCODE_PAGEUP: return vk::PageUp;
    case SDL_SCANCODE_PAGEDOWN: return vk::PageDown;
    case SDL_SCANCODE_SPACE: return vk::Space;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER: return vk::Return;
    case SDL_SCANCODE_BACKSPACE: return vk::Back;
    case SDL_SCANCODE_TAB: return vk::Tab;
    default: return 0;
    }
}

std::u32string Utf8ToCodePoints(const std::string& utf8) {
    std::u32string out;
    size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0) {
            ++i;
            continue;
        }
        uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= utf8.size() || (static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += ok ? extra + 1 : 1;
        if (ok && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF)) out += static_cast<char32_t>(cp);
    }
    return out;
}

std::string Utf8ToCp1251(const std::string& utf8) {
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        uint32_t cp;
        int extra;
        if (c < 0x80) { cp = c; extra = 0; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
        else { ++i; continue; }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= utf8.size() || (static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += ok ? extra + 1 : 1;
        if (!ok) continue;
        if (cp < 0x80) out += static_cast<char>(cp);
        else if (cp >= 0x410 && cp <= 0x44F) out += static_cast<char>(0xC0 + (cp - 0x410));
        else if (cp == 0x401) out += static_cast<char>(0xA8);
        else if (cp == 0x451) out += static_cast<char>(0xB8);
        else if (cp == 0x2116) out += static_cast<char>(0xB9);  // numero sign
    }
    return out;
}

std::string Cp1251ToUtf8(const std::string& cp1251) {
    std::string out;
    auto put = [&out](uint32_t cp) {
        if (cp < 0x80) out += static_cast<char>(cp);
        else if (cp < 0x800) { out += static_cast<char>(0xC0 | (cp >> 6)); out += static_cast<char>(0x80 | (cp & 0x3F)); }
        else { out += static_cast<char>(0xE0 | (cp >> 12)); out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F)); out += static_cast<char>(0x80 | (cp & 0x3F)); }
    };
    for (unsigned char c : cp1251) {
        if (c < 0x80) put(c);
        else if (c >= 0xC0) put(0x410 + (c - 0xC0));
        else if (c == 0xA8) put(0x401);
        else if (c == 0xB8) put(0x451);
        else if (c == 0xB9) put(0x2116);
        else put('?');
    }
    return out;
}

namespace {

// Reads replay lines ("FRAME kind ..."); false with the line that cannot be read.
bool ParseReplay(std::istream& file, const std::string& name, std::vector<ReplayEvent>& events, std::string& error) {
    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        std::istringstream in(line);
        ReplayEvent e;
        std::string frame;
        in >> frame >> e.kind;
        char* end = nullptr;
        unsigned long long f = std::strtoull(frame.c_str(), &end, 10);
        bool ok = !frame.empty() && end && *end == 0 && frame[0] != '-';
        if (ok && (e.kind == "pointer" || e.kind == "motion" || e.kind == "move" || e.kind == "window")) {
            ok = static_cast<bool>(in >> e.arg1 >> e.arg2);
            int x, y;
            ok = ok && std::sscanf(e.arg1.c_str(), "%d", &x) == 1 && std::sscanf(e.arg2.c_str(), "%d", &y) == 1;
            if (ok && e.kind == "window") ok = x >= 1 && y >= 1 && x <= 16384 && y <= 16384;
            // Window points and moves lie within a few screens of the window.
            if (ok && (e.kind == "motion" || e.kind == "move")) ok = std::abs(x) <= 100000 && std::abs(y) <= 100000;
        } else if (ok && (e.kind == "press" || e.kind == "release")) {
            ok = static_cast<bool>(in >> e.arg1) && (e.arg1 == "left" || e.arg1 == "right");
        } else if (ok && e.kind == "key") {
            ok = static_cast<bool>(in >> e.arg1);
            if (ok && e.arg1.rfind("Alt+", 0) == 0 && e.arg1.size() > 4) {
                e.alt = true;
                e.arg1 = e.arg1.substr(4);
            } else if (ok && e.arg1.rfind("Ctrl+", 0) == 0 && e.arg1.size() > 5) {
                e.ctrl = true;
                e.arg1 = e.arg1.substr(5);
            }
            if (ok && e.arg1 == "Enter") e.arg1 = "Return";
            ok = ok && SDL_GetScancodeFromName(e.arg1.c_str()) != SDL_SCANCODE_UNKNOWN;
        } else if (ok && (e.kind == "keydown" || e.kind == "keyup")) {
            // Only the hint key is held.
            ok = static_cast<bool>(in >> e.arg1) && e.arg1 == "Tab";
        } else if (ok && e.kind == "pad") {
            ok = static_cast<bool>(in >> e.arg1 >> e.arg2 >> e.arg3);
            if (ok && e.arg1 == "button") {
                ok = PadButtonOfName(e.arg2) >= 0 && (e.arg3 == "down" || e.arg3 == "up");
            } else if (ok && e.arg1 == "axis") {
                char* end = nullptr;
                const double v = std::strtod(e.arg3.c_str(), &end);
                ok = PadAxisOfName(e.arg2) >= 0 && end && *end == 0 && v >= -1.0 && v <= 1.0;
            } else {
                ok = false;
            }
        } else if (ok && e.kind == "text") {
            size_t at = line.find("text", start) + 4;
            if (at < line.size() && line[at] == ' ') ++at;
            e.arg1 = line.substr(at);
        } else {
            ok = false;
        }
        if (!ok) {
            error = name + ":" + std::to_string(lineNumber) + ": cannot read \"" + line + "\"";
            return false;
        }
        e.frame = f;
        events.push_back(e);
    }
    return true;
}

}  // namespace

bool OpenReplay(const std::string& path, std::string& error) {
    // A folder opens as an empty stream and a pipe may block: regular files only.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        error = "cannot open replay " + path + " (not a regular file)";
        return false;
    }
    std::ifstream file(path);
    if (!file) {
        error = "cannot open replay " + path;
        return false;
    }
    std::vector<ReplayEvent> events;
    if (!ParseReplay(file, path, events, error)) return false;
    // Events of one frame keep their order; frames may be written in any order.
    std::stable_sort(events.begin(), events.end(),
                     [](const ReplayEvent& a, const ReplayEvent& b) { return a.frame < b.frame; });
    input.replay = std::move(events);
    input.replayNext = 0;
    input.replaying = true;
    return true;
}

bool AddReplayEvents(const std::string& lines, std::string& error) {
    std::istringstream in(lines);
    std::vector<ReplayEvent> events;
    if (!ParseReplay(in, "replay", events, error)) return false;
    // Added after the events still to come; the order by frame is kept.
    input.replay.erase(input.replay.begin(), input.replay.begin() + static_cast<std::ptrdiff_t>(input.replayNext));
    input.replayNext = 0;
    input.replay.insert(input.replay.end(), events.begin(), events.end());
    std::stable_sort(input.replay.begin(), input.replay.end(),
                     [](const ReplayEvent& a, const ReplayEvent& b) { return a.frame < b.frame; });
    input.replaying = true;
    return true;
}

bool OpenRecording(const std::string& path) {
    CloseRecording();
    input.record = std::fopen(path.c_str(), "w");
    if (input.record) std::fprintf(input.record, "# frame event\n");
    return input.record != nullptr;
}

void CloseRecording() {
    if (input.record) std::fclose(input.record);
    input.record = nullptr;
}

void BeginInputFrame(uint64_t frame) {
    input.frame = frame;
    if (!input.replaying) return;
    while (input.replayNext < input.replay.size() && input.replay[input.replayNext].frame <= frame) {
        const ReplayEvent& e = input.replay[input.replayNext++];
        const int a = std::atoi(e.arg1.c_str()), b = std::atoi(e.arg2.c_str());
        if (e.kind == "pointer") {
            input.absX = a;
            input.absY = b;
            input.haveAbsolute = true;
        } else if (e.kind == "motion") {
            PointerAtWindowPoint(a, b);
        } else if (e.kind == "move") {
            // A mouse moves the pointer from where it is; it stays inside the window.
            int w, h;
            GetWindowSize(w, h);
            if (!input.windowPointKnown) ScreenToWindow(input.lastCursorX, input.lastCursorY, input.windowX, input.windowY);
            PointerAtWindowPoint(std::clamp(input.windowX + a, 0, std::max(w - 1, 0)),
                                 std::clamp(input.windowY + b, 0, std::max(h - 1, 0)));
        } else if (e.kind == "window") {
            SetWindowedSize(a, b);
        } else if (e.kind == "press" || e.kind == "release") {
            Press(e.arg1 == "left" ? 0 : 1, e.kind == "press");
        } else if (e.kind == "key" && e.alt) {
            const int code = VirtualKeyOfScancode(SDL_GetScancodeFromName(e.arg1.c_str()));
            if (code) PostMessage(MessageType::SysKeyDown, code);
        } else if (e.kind == "key") {
            DeliverKey(SDL_GetScancodeFromName(e.arg1.c_str()), false, e.ctrl);
        } else if (e.kind == "text") {
            DeliverText(e.arg1);
        } else if (e.kind == "keydown" || e.kind == "keyup") {
            input.hintKeyHeld = e.kind == "keydown";
        } else if (e.kind == "pad" && e.arg1 == "button") {
            SetPadButton(PadButtonOfName(e.arg2), e.arg3 == "down");
        } else if (e.kind == "pad") {
            SetPadAxis(PadAxisOfName(e.arg2), static_cast<float>(std::strtod(e.arg3.c_str(), nullptr)));
        }
    }
}

bool HintKeyHeld() { return input.hintKeyHeld || input.padDown[static_cast<int>(PadButtonId::Back)]; }

bool PadButtonHeld(PadButtonId button) { return input.padDown[static_cast<int>(button)]; }

int TakePadPresses(PadButtonId button) {
    const int n = input.padPresses[static_cast<int>(button)];
    input.padPresses[static_cast<int>(button)] = 0;
    return n;
}

float PadAxisValue(PadAxisId axis) { return input.padAxes[static_cast<int>(axis)]; }

void NudgePointer(int dx, int dy) {
    input.nudgeX += dx;
    input.nudgeY += dy;
}

bool ReplayFinished() { return !input.replaying || input.replayNext >= input.replay.size(); }

}  // namespace tarvex
