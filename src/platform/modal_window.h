// A modal window of its own beside the game's (the start-up settings dialog). The caller
// draws the picture and reacts to clicks and keys; the platform owns the window and its
// events, a game controller's among them.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarvex {

struct ModalWindowHandlers {
    // The window's picture: width * height RGBA pixels, rows top-down. Asked for before
    // each wait for input, so it shows every change the handlers made.
    std::function<std::vector<uint8_t>()> picture;
    // A left click at (x, y) in window pixels.
    std::function<void(int x, int y)> click;
    // A key press as a Windows virtual-key code (vk::Tab, vk::Return for either Enter,
    // vk::Escape, vk::Space, vk::Back and the arrows); closing the window presses Escape.
    std::function<void(int virtualKey, bool shift)> key;
    // True once the window has done its work; no further event is handed on after that.
    std::function<bool()> finished;
};

// A game controller in the window, as the keys it stands for (0 for none): the left stick
// pushed up or down past half way (once a push) and the pad's arrows move the focus
// (vk::Up, vk::Down), A presses the focused control (vk::Space), Start the default button
// (vk::Return).
class PadKeys {
public:
    // A button pressed, by SDL's name ("a", "start", "dpup", "dpdown").
    static int Button(const std::string& name);
    // The stick's vertical position now, -1 (up) .. 1.
    int Stick(float lefty);

private:
    int pushed_ = 0;  // the way the stick stands pushed: -1 up, 1 down, 0 back near the middle
};

// Shows a centred window of the size with the caption (UTF-8) and runs it until
// `finished` says so, then closes it. False, with no handler called, when the window
// cannot be opened (or there is no `finished` to end it).
bool RunModalWindow(const std::string& caption, int width, int height, const ModalWindowHandlers& handlers);

}  // namespace tarvex
