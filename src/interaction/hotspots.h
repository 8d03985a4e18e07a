// What can be clicked in the scene, shown and reached without the mouse: the hints drawn
// while their key is held, and the game controller's pointer, verbs and jumps.
#pragma once
#include <vector>

namespace tarvex {

struct Hotspot {
    int left = 0, top = 0, right = 0, bottom = 0;  // the hit rectangle, exclusive edges
    int x = 0, y = 0;                              // its centre, on the screen
    int label = -1;                                // the zone name's line; -1 none
    bool tool = false;                             // a tool of the scene, else an action region
};

// The enabled action regions and the clickable tools of the current scene, in table order.
std::vector<Hotspot> SceneHotspots();
// A small sign on every hotspot and the zone names of exits. Reads the tables only.
void DrawHotspotHints();

// The controller's part of a game frame, before the pointer is read: while a scene is
// `playing` (its verb bar and hotspots on the screen, as for the hints; the scene's own
// interface may be off, as in the notebook, where the verb bar still takes clicks) X and Y
// step through the verbs and the shoulder buttons jump between hotspots, and the stick
// moves the pointer with a pull towards the nearest hotspot; else the stick alone.
void PadFrame(bool playing);
// The menu's: the stick moves the pointer; presses meant for the game are dropped.
void PadMenuFrame();

// The pointer's step for a stick position held `heldTicks` (1/30 s) with `elapsed` ticks
// this frame, before the pull: none within the dead zone, faster the further and the
// longer the stick is pushed.
void StickStep(float stickX, float stickY, float heldTicks, float elapsed, float& dx, float& dy);

}  // namespace tarvex
