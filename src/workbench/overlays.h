// Overlays over the game picture that show what the scene has defined: its action regions,
// its tools, the walk mask, the floor depth, the hero's route, what lies under the pointer
// and the frame time. Each is switched on and off by name (the console) or with Ctrl and
// its number (Ctrl+1 "regions" .. Ctrl+7 "frametime"). They are drawn after the game
// picture is finished, so the game's own tables and pictures never see them.
#pragma once
#include <string>
#include <vector>

namespace tarvex {

// The overlays' names in their fixed order, which is also the order of their keys.
const std::vector<std::string>& AllOverlayNames();
// Switches the named overlay; false for a name that is none of them.
bool SetOverlay(const std::string& name, bool on);
// Switches it over; false for an unknown name.
bool ToggleOverlay(const std::string& name);
// The names switched on, in the fixed order.
std::vector<std::string> OverlaysOn();
// Every overlay off (start-up).
void ResetOverlays();
// Draws the overlays switched on over the back buffer.
void DrawOverlays();
// The frame time graph's sample: the time since the previous game frame (each game frame).
void SampleFrameTime(double seconds);

}  // namespace tarvex
