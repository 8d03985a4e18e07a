// The scene kit: a room described as data (its regions, exits, entry places, tools and
// sounds, and the handlers of what is its own) and the one frame every scene runs on it.
// A scene's init, load and run become InitRoom, LoadRoom and RunRoom with its room; its
// file keeps only its sequences and the reactions to its own objects.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <span>

#include "interaction/interaction_state.h"
#include "interaction/pointer.h"
#include "base/math.h"

namespace tarvex {

// Leaves the current scene for `scene`: the change starts at the end of the frame, as a
// fade (or a cut, with the fast-fade flag).
void RequestScene(int scene);

enum class RoomKind {
    Hero,     // the hero walks the room: created by the init, footsteps, the 3-D pointer
    CloseUp,  // a view without the hero: the toolbar closed at once, a way back
    Passage,  // a corridor view: a close-up whose frame leaves the sequence step alone
    Exits,    // the frame of a scene with no content of its own: exits and the 3-D pointer
};

// An action region (`DefineRegion`): rectangle, cursor, walk target, final facing, action.
struct RoomRegion {
    int left, top, right, bottom, cursor, walkX, walkY;
    float facing;
    int32_t action;
};
// The way back of a close-up view: the lower right corner, action 1.
constexpr RoomRegion kWayBackRegion{592, 434, 800, 600, kCursorBack, 360, 566, kNoFinalHeading, 1};

// A clickable tool placed in the room at a rectangle.
struct RoomTool {
    int tool, left, top, right, bottom;
};
struct RoomSound {
    const char* file;
    int slot;
};
// A way out: the hero arrived with the pending `action` (0: the scene's arrival handler
// chooses `state` itself) makes `state` the scene's state; once the remark on screen is
// over, the state goes back to 0 and the scene changes to `scene`.
struct RoomExit {
    int32_t action;
    uint32_t state;
    int scene;
};
// Where the hero stands when he comes in from the scene `from`.
struct RoomEntry {
    int from;
    Vec3 position;
    float heading;
};
// A pending action that needs a tool on the pointer: on arrival the tool is used up from
// the pointer; with another tool or none held the action is dropped.
struct RoomToolUse {
    int32_t action;
    int tool;
};
struct RoomShadow {
    Vec3 light;
    float length;
    uint32_t colour;
};

struct Room {
    RoomKind kind = RoomKind::Exits;
    Vec3 heroStart{0, 0, 0};  // hero rooms: the hero's place and heading at the init
    float heroHeading = 0.0f;
    std::span<const RoomRegion> regions{};
    std::span<const RoomTool> tools{};
    std::span<const RoomSound> sounds{};
    const char* ambient = nullptr;  // the ambient loop, or none
    const RoomShadow* shadow = nullptr;
    std::span<const RoomExit> exits{};
    std::span<const RoomEntry> entries{};
    std::span<const RoomToolUse> toolUses{};
    // The sequence the scene's state selects: true while it holds the frame (the player
    // cannot act until it ends).
    bool (*sequence)(uint32_t state) = nullptr;
    // The pending action the hero arrived with (0 when none, every frame): true ends the
    // frame there.
    bool (*arrived)(int32_t action) = nullptr;
    // A fresh left press, before the room's regions and the floor take it: the room's own
    // objects consume it by setting `LeftKey`.
    void (*pressed)() = nullptr;
};

// Init: the hero of a hero room, the toolbar of a close-up.
void InitRoom(const Room& room);
// Load: regions, toolbar, tools, sounds, step and turn sounds, ambient loop, shadow
// values, no pending action and step 0, then the entry place by the previous scene.
void LoadRoom(const Room& room);
// One frame: the actors updated (the hero among them), the running sequence, departures
// waiting for the remark, `ResolvePointer`, the arrival, a fresh press on the room's own
// objects, the click on a region or the floor, the 3-D pointer.
void RunRoom(const Room& room);

// The frame of a scene without content of its own: pending action k becomes the state,
// state k leaves for exits[k - 1] once the remark is over. The compiled scenes and the
// scripts' DefaultRun share it.
void DefaultRun(std::span<const int> exits);
inline void DefaultRun(std::initializer_list<int> exits) { DefaultRun(std::span<const int>(exits.begin(), exits.size())); }

}  // namespace tarvex
