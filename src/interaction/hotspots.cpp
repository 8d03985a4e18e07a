#include "interaction/hotspots.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "base/globals.h"
#include "interaction/interaction_state.h"
#include "media/sound.h"
#include "platform/display.h"
#include "platform/input.h"
#include "text/dialogue.h"

namespace tarvex {

namespace {

constexpr int kVerbSound = 54;
constexpr float kDeadZone = 0.2f;
// Pixels a tick at a full push, before acceleration; acceleration reaches its top after a second.
constexpr float kBaseSpeed = 1.0f, kFullSpeed = 12.0f, kTopAcceleration = 2.5f, kAccelerationTicks = 30.0f;
// The pull: within this distance of a hotspot's centre, this share of the way a tick.
constexpr float kPullRadius = 64.0f, kPullShare = 0.12f;

struct PadControl {
    float heldTicks = 0;            // the stick pushed out of its dead zone this long
    float restX = 0, restY = 0;     // fractions of a pixel carried to the next frame
};
PadControl pad;

void Sign(int x, int y, bool tool) {
    DrawColourRect(x - 5, y - 5, x + 5, y + 5, 0, 0, 0, 192);
    if (tool)
        DrawColourRect(x - 3, y - 3, x + 3, y + 3, 96, 224, 255, 255);
    else
        DrawColourRect(x - 3, y - 3, x + 3, y + 3, 255, 208, 64, 255);
}

// Screen order for the jumps: left to right, then top to bottom.
auto Key(int x, int y) { return std::make_tuple(x, y); }

void Jump(int direction) {
    std::vector<Hotspot> spots = SceneHotspots();
    if (spots.empty()) return;
    std::sort(spots.begin(), spots.end(), [](const Hotspot& a, const Hotspot& b) { return Key(a.x, a.y) < Key(b.x, b.y); });
    const auto here = Key(pointer.cursorX, pointer.cursorY);
    const Hotspot* target = nullptr;
    if (direction > 0) {
        for (const Hotspot& h : spots)
            if (Key(h.x, h.y) > here) { target = &h; break; }
        if (!target) target = &spots.front();
    } else {
        for (auto it = spots.rbegin(); it != spots.rend(); ++it)
            if (Key(it->x, it->y) < here) { target = &*it; break; }
        if (!target) target = &spots.back();
    }
    pad.restX = pad.restY = 0;
    NudgePointer(target->x - pointer.cursorX, target->y - pointer.cursorY);
}

void StepVerb(int direction) {
    int verb = interaction.currentVerb;
    if (verb < kVerbLook || verb > kVerbUse) verb = direction > 0 ? kVerbUse : kVerbLook;
    verb = kVerbLook + ((verb - kVerbLook + direction + 4) % 4);
    interaction.currentVerb = verb;
    RestartSlot(kVerbSound, 0, 0, 0);
}

void MoveWithStick(bool pull) {
    const float sx = PadAxisValue(PadAxisId::LeftX), sy = PadAxisValue(PadAxisId::LeftY);
    float dx = 0, dy = 0;
    StickStep(sx, sy, pad.heldTicks, framePace.synch, dx, dy);
    if (dx == 0 && dy == 0) {
        pad.heldTicks = 0;
        pad.restX = pad.restY = 0;
        return;
    }
    pad.heldTicks += framePace.synch;
    if (pull) {
        const Hotspot* nearest = nullptr;
        float best = kPullRadius;
        const std::vector<Hotspot> spots = SceneHotspots();
        for (const Hotspot& h : spots) {
            const float d = std::hypot(static_cast<float>(h.x - pointer.cursorX), static_cast<float>(h.y - pointer.cursorY));
            if (d < best) {
                best = d;
                nearest = &h;
            }
        }
        if (nearest) {
            const float share = std::min(1.0f, kPullShare * framePace.synch);
            dx += (nearest->x - pointer.cursorX) * share;
            dy += (nearest->y - pointer.cursorY) * share;
        }
    }
    dx += pad.restX;
    dy += pad.restY;
    const int ix = static_cast<int>(std::trunc(dx)), iy = static_cast<int>(std::trunc(dy));
    pad.restX = dx - ix;
    pad.restY = dy - iy;
    NudgePointer(ix, iy);
}

}  // namespace

std::vector<Hotspot> SceneHotspots() {
    std::vector<Hotspot> out;
    for (const ActionRegion& r : interaction.actionRegions) {
        if (r.scene != loop.currentScene || !r.enabled || r.right <= r.left + 1 || r.bottom <= r.top + 1) continue;
        Hotspot h;
        h.left = r.left;
        h.top = r.top;
        h.right = r.right;
        h.bottom = r.bottom;
        h.label = r.cursor == kCursorBack ? r.label : -1;
        out.push_back(h);
    }
    for (const ToolRecord& t : interaction.ToolTable) {
        if (t.scene != loop.currentScene || t.inInventory || !t.clickable) continue;
        Hotspot h;
        h.left = t.x + t.offsetX;
        h.top = t.y + t.offsetY;
        h.right = t.right;
        h.bottom = t.bottom;
        h.tool = true;
        if (h.right <= h.left + 1 || h.bottom <= h.top + 1) continue;
        out.push_back(h);
    }
    // The centre, kept on the screen (the pointer reaches 2..797 x 2..597).
    for (Hotspot& h : out) {
        h.x = std::clamp((h.left + h.right) / 2, 2, 797);
        h.y = std::clamp((h.top + h.bottom) / 2, 2, 597);
    }
    return out;
}

void DrawHotspotHints() {
    for (const Hotspot& h : SceneHotspots()) {
        Sign(h.x, h.y, h.tool);
        // The name below the sign, or above it where the screen ends.
        if (h.label >= 0) DrawZoneNameAt(h.label, h.x, h.y + 26 <= 600 ? h.y + 8 : h.y - 26);
    }
}

void StickStep(float stickX, float stickY, float heldTicks, float elapsed, float& dx, float& dy) {
    dx = dy = 0;
    const float length = std::hypot(stickX, stickY);
    if (!(length > kDeadZone)) return;
    const float push = std::min(1.0f, (length - kDeadZone) / (1.0f - kDeadZone));
    const float acceleration = 1.0f + (kTopAcceleration - 1.0f) * std::min(1.0f, heldTicks / kAccelerationTicks);
    const float speed = (kBaseSpeed + (kFullSpeed - kBaseSpeed) * push * push) * acceleration * elapsed;
    dx = stickX / length * speed;
    dy = stickY / length * speed;
}

void PadFrame(bool playing) {
    const int verbSteps = TakePadPresses(PadButtonId::Y) - TakePadPresses(PadButtonId::X);
    const int jumps = TakePadPresses(PadButtonId::RightShoulder) - TakePadPresses(PadButtonId::LeftShoulder);
    if (playing && verbSteps) StepVerb(verbSteps > 0 ? 1 : -1);
    if (playing && jumps) {
        Jump(jumps > 0 ? 1 : -1);
        return;
    }
    MoveWithStick(playing);
}

void PadMenuFrame() {
    for (PadButtonId b : {PadButtonId::X, PadButtonId::Y, PadButtonId::LeftShoulder, PadButtonId::RightShoulder})
        TakePadPresses(b);
    MoveWithStick(false);
}

}  // namespace tarvex
