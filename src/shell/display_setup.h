// The display set-up: the window, the settings dialog, the device with its depth
// and stencil, the surfaces the game draws into; the fatal-error report and the
// release of everything at the end.
#pragma once
#include <cstdint>
#include <string>

#include "base/display_values.h"
#include "platform/display.h"
#include "platform/surface.h"

namespace tarvex {

constexpr int32_t kFailureResult = static_cast<int32_t>(0x80004005u);
inline constexpr const char* kGameTitle = "Тарвекс";

struct DisplayOptions {
    bool headless = false;
    bool fullScreen = true;
    bool linearScaling = false;
    bool displayModeChange = false;
    // Headless runs present into a picture of the window's size (window screenshots).
    bool presentWhenHeadless = false;
    bool forceSettingsDialog = false;
};

// 0 on success; 1 when the player chose Exit in the settings dialog; another
// non-zero value after a failure that was reported.
int InitDisplay(const DisplayOptions& options);
// Reports a set-up failure: releases everything, shows the message, returns code.
int FatalError(int code, const std::string& message);
// Releases the fonts, the display, the music and the sound system; kills the timers. Safe twice.
void ReleaseAll();
// The message for a failed set-up step.
const char* DisplayFailureMessage(DisplayStep step);

}  // namespace tarvex
