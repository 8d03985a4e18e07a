// Input: SDL events become the window messages the game's window procedure takes
// (activation, close, key down with Windows virtual-key codes, typed characters,
// timers), and the mouse is read once a frame as the 16-byte mouse state.
// Replays feed the same paths from a text script; recording writes that script.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tarvex {

// SysKeyDown is a key pressed with Alt (Alt+Enter switches full screen); CtrlKeyDown a digit
// key pressed with Ctrl (the workbench's keys), which types no character. Text is a typed
// Unicode character while text typing is on (the console's prompt).
enum class MessageType { Activate, Close, KeyDown, SysKeyDown, Char, Timer, CtrlKeyDown, Text };

struct Message {
    MessageType type;
    int32_t value;  // activation state, virtual-key code, character code (code page 1251), timer id
                    // or Unicode code point
};

struct MouseState {
    int32_t dx = 0, dy = 0, dz = 0;  // relative motion and wheel
    uint8_t buttons[4] = {0, 0, 0, 0};  // 0x80 when down; 0 left, 1 right
};
static_assert(sizeof(MouseState) == 16, "the mouse state is 16 bytes");

// Windows virtual-key codes used by the game.
namespace vk {
constexpr int Back = 0x08, Tab = 0x09, Return = 0x0D, Escape = 0x1B, Space = 0x20;
constexpr int PageUp = 0x21, PageDown = 0x22, End = 0x23, Home = 0x24;
constexpr int Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28, Delete = 0x2E;
constexpr int F1 = 0x70, F2 = 0x71, F5 = 0x74, F6 = 0x75, F7 = 0x76, F9 = 0x78, F11 = 0x7A, F12 = 0x7B;
constexpr int Grave = 0xC0;  // the key left of 1 (VK_OEM_3)
}  // namespace vk

// The game controller's buttons the engine uses, and its left stick.
enum class PadButtonId { A, B, X, Y, Back, Start, LeftShoulder, RightShoulder };
constexpr int kPadButtonCount = 8;
enum class PadAxisId { LeftX, LeftY };
constexpr int kPadAxisCount = 2;

void ResetInput();
// Queues a message for the window procedure.
void PostMessage(MessageType type, int32_t value);
// Takes the next message, pumping SDL events and due window timers first. False when none waits.
bool TakeMessage(Message& out);
// Waits (live runs) until a message arrives; returns immediately on the virtual clock.
void WaitForMessage();

// Typed characters: while `playerLayout` is on (save names) the player's own layout
// is used and converted to code page 1251; otherwise keys type the US-layout characters.
void SetPlayerLayoutTyping(bool playerLayout);
// While text typing is on, keys post only their key-down messages and typed text (the
// player's layout, or a replay's text events) comes as Text messages of Unicode code points.
void SetTextTyping(bool on);

// The mouse: every device's pointer position in the window (absolute devices such as
// tablets and remote desktops, and relative ones alike) mapped to the game's screen.
// Fills `out` with the motion since the last read (the mapped position as the difference
// to the given cursor) and the buttons. Returns 0.
int ReadMouse(int cursorX, int cursorY, MouseState& out);
// Forgets presses made and released since the last read (the next read shows only the
// buttons held down).
void DropPendingClicks();

// The hints are asked for: Tab or the controller's Back button held.
bool HintKeyHeld();
// The controller: A and B press the mouse's left and right buttons and Start sends Escape
// by themselves; the other buttons are read here. Presses since the last take.
bool PadButtonHeld(PadButtonId button);
int TakePadPresses(PadButtonId button);
float PadAxisValue(PadAxisId axis);
// Moves the pointer by screen pixels at the next ReadMouse (the controller's stick and jumps).
void NudgePointer(int dx, int dy);

// Conversions shared with tests and tools.
// US-layout character of an SDL scancode (0 when the key types nothing).
int UsLayoutCharacter(int scancode, bool shift);
// The Unicode code points of UTF-8 text (malformed bytes are dropped).
std::u32string Utf8ToCodePoints(const std::string& utf8);
// Appends the code page 1251 bytes of UTF-8 text (characters it lacks are dropped).
std::string Utf8ToCp1251(const std::string& utf8);
std::string Cp1251ToUtf8(const std::string& cp1251);
// Windows virtual-key code of an SDL scancode (0 when the game has no use for it).
int VirtualKeyOfScancode(int scancode);

// Replays and recordings (one event a line, "FRAME kind ..."): pointer X Y (a point of the
// game's screen), motion X Y (a window point, as an absolute device reports it), move DX DY
// (window pixels, as a mouse reports them), press/release left|right, key NAME (Alt+NAME
// with Alt held, Ctrl+NAME with Ctrl), text UTF8, window W H (the window resized).
// keydown Tab / keyup Tab (the hint key held and let go), pad button NAME down|up (a, b, x,
// y, back, start, leftshoulder, rightshoulder), pad axis NAME VALUE (leftx, lefty; -1..1).
bool OpenReplay(const std::string& path, std::string& error);
// Adds replay lines to the events still to come (tests that play frame by frame).
bool AddReplayEvents(const std::string& lines, std::string& error);
bool OpenRecording(const std::string& path);
void CloseRecording();
// Delivers the replay's events of this frame into the message queue and mouse.
void BeginInputFrame(uint64_t frame);
bool ReplayFinished();

}  // namespace tarvex
