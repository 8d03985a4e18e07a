// The start-up settings dialog, drawn by the engine in a window of its own: check
// boxes for the display and sound choices, and the buttons "Старт" and "Выход".
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/surface.h"

namespace tarvex {

enum class SettingsChoice { Open, Start, Exit };

struct SettingsControl {
    int id;                // 1001 ... ; 1 Старт, 2 Выход; 0 group box
    std::string text;      // UTF-8, in the language in use
    Rect rect;             // pixels in the dialog
    int32_t* field;        // configuration field of a check box
};

class SettingsDialog {
public:
    static constexpr int kWidth = 404;
    static constexpr int kHeight = 260;

    SettingsDialog();
    // Opening: each check box from its field.
    const std::vector<SettingsControl>& Controls() const { return controls_; }
    bool Checked(int id) const;
    int Focus() const { return controls_[focus_].id; }
    SettingsChoice Choice() const { return choice_; }

    void Click(int x, int y);
    // Windows virtual-key codes (vk::): Tab / Shift+Tab and the up and down arrows move
    // the focus, Space toggles or presses, Enter starts, Escape exits.
    void Key(int virtualKey, bool shift);
    // Draws the dialog into an RGBA buffer of kWidth x kHeight (rows top-down).
    std::vector<uint8_t> Render() const;

private:
    void Activate(int index);
    void MoveFocus(int delta);
    std::vector<SettingsControl> controls_;
    std::vector<int> checks_;  // check state by control index (-1 for non-check controls)
    size_t focus_ = 0;
    SettingsChoice choice_ = SettingsChoice::Open;
};

// "Старт": reads the check boxes back into their fields (videos into both video
// fields) and sets the starting scene.
void AcceptSettings(const SettingsDialog* dialog = nullptr);
// Whether the dialog opens at start-up: after a run that did not end in order, or
// when asked; never headless.
bool SettingsDialogWanted(bool headless, bool asked);
// Runs the dialog modally in its own window; the configuration is updated on "Старт".
SettingsChoice RunSettingsDialog();

}  // namespace tarvex
