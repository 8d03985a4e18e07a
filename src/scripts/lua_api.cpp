#include "scripts/lua_api.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "model/model_file.h"
#include "platform/clock.h"
#include "platform/surface.h"
#include "render/actor_render.h"
#include "resources/file_lookup.h"
#include "resources/load_limits.h"
#include "scene/scene_description.h"
#include "scripts/lua_sandbox.h"
#include "scripts/notebook.h"
#include "scripts/scene_dispatch.h"
#include "scripts/script_api.h"

namespace tarvex {

namespace {

bool endGameRequested = false;
int deferredScene = -1;  // asked for while the scene was being entered

constexpr lua_Integer kInt32Min = INT32_MIN, kInt32Max = INT32_MAX;
constexpr lua_Integer kWordMax = UINT32_MAX;
constexpr lua_Integer kCoordMin = -32768, kCoordMax = 32767;  // rectangles and picture places
constexpr lua_Integer kLastScene = kSceneCount - 1;
constexpr lua_Integer kLastGameTool = kGameToolCount - 1;
constexpr double kWorldLimit = 1e6;  // positions, headings, speeds
constexpr size_t kBoneNameLimit = 63;
constexpr int kMaxExits = kActionRegionCount;

// A value as an error message shows it.
const char* Shown(lua_State* L, int i) {
    switch (lua_type(L, i)) {
    case LUA_TNUMBER:
        return lua_isinteger(L, i) ? lua_pushfstring(L, "%I", static_cast<LUAI_UACINT>(lua_tointeger(L, i)))
                                   : lua_pushfstring(L, "%f", lua_tonumber(L, i));
    case LUA_TNONE: return "nothing";
    default: return luaL_typename(L, i);
    }
}

// The arguments of one engine function; every failure names the function and the argument.
class Args {
public:
    Args(lua_State* L, const char* function, int least, int most) : L_(L), function_(function) {
        const int n = lua_gettop(L);
        if (n >= least && n <= most) return;
        if (least == most)
            luaL_error(L, "%s: takes %d argument%s, got %d", function, least, least == 1 ? "" : "s", n);
        else
            luaL_error(L, "%s: takes %d to %d arguments, got %d", function, least, most, n);
    }
    // The value assigned to a field of `Game` (argument 3 of __newindex).
    static Args Field(lua_State* L) { return Args(L); }

    lua_Integer Int(int i, const char* name, lua_Integer low, lua_Integer high) const {
        int exact = 0;
        const lua_Integer v = lua_type(L_, i) == LUA_TNUMBER ? lua_tointegerx(L_, i, &exact) : 0;
        if (!exact || v < low || v > high)
            Fail(i, name, lua_pushfstring(L_, "an integer %I..%I", static_cast<LUAI_UACINT>(low),
                                          static_cast<LUAI_UACINT>(high)));
        return v;
    }
    lua_Integer OptInt(int i, const char* name, lua_Integer low, lua_Integer high, lua_Integer otherwise) const {
        return lua_isnoneornil(L_, i) ? otherwise : Int(i, name, low, high);
    }
    int Int32(int i, const char* name) const { return static_cast<int>(Int(i, name, kInt32Min, kInt32Max)); }
    uint32_t Word(int i, const char* name) const { return static_cast<uint32_t>(Int(i, name, 0, kWordMax)); }
    int Coord(int i, const char* name) const { return static_cast<int>(Int(i, name, kCoordMin, kCoordMax)); }
    int ScreenX(int i, const char* name) const { return static_cast<int>(Int(i, name, 0, 799)); }
    int ScreenY(int i, const char* name) const { return static_cast<int>(Int(i, name, 0, 599)); }
    int Scene(int i) const { return static_cast<int>(Int(i, "scene", 0, kLastScene)); }
    int Tool(int i, const char* name = "tool") const { return static_cast<int>(Int(i, name, 0, kLastGameTool)); }
    int Actor(int i) const { return static_cast<int>(Int(i, "actor", 0, kActorCount - 1)); }
    int Slot(int i) const { return static_cast<int>(Int(i, "slot", 0, kAnimSlotCount - 1)); }
    int SoundSlotArg(int i) const { return static_cast<int>(Int(i, "slot", 0, kSoundSlotCount - 1)); }

    float Number(int i, const char* name, double limit = kWorldLimit) const {
        const double v = lua_type(L_, i) == LUA_TNUMBER ? lua_tonumber(L_, i) : NAN;
        if (!std::isfinite(v) || std::fabs(v) > limit)
            Fail(i, name, lua_pushfstring(L_, "a number within +-%f", limit));
        return static_cast<float>(v);
    }
    float OptNumber(int i, const char* name, float otherwise) const {
        return lua_isnoneornil(L_, i) ? otherwise : Number(i, name);
    }

    // true/false, or 1/0.
    int Flag(int i, const char* name) const {
        if (lua_type(L_, i) == LUA_TBOOLEAN) return lua_toboolean(L_, i);
        int exact = 0;
        const lua_Integer v = lua_type(L_, i) == LUA_TNUMBER ? lua_tointegerx(L_, i, &exact) : -1;
        if (!exact || (v != 0 && v != 1)) Fail(i, name, "true, false, 1 or 0");
        return static_cast<int>(v);
    }
    int OptFlag(int i, const char* name, int otherwise) const {
        return lua_isnoneornil(L_, i) ? otherwise : Flag(i, name);
    }

    // A game file: relative, inside the game folder, with "/" or "\\" between the parts.
    const char* Path(int i, const char* name) const {
        size_t length = 0;
        const char* path = lua_type(L_, i) == LUA_TSTRING ? lua_tolstring(L_, i, &length) : nullptr;
        if (!path || !IsGamePath(std::string_view(path, length)))
            Fail(i, name, lua_pushfstring(L_, "a game file path (relative, no \"..\", at most %d bytes)",
                                          static_cast<int>(kGamePathLimit)));
        return path;
    }
    const char* Name(int i, const char* name, size_t limit) const {
        size_t length = 0;
        const char* text = lua_type(L_, i) == LUA_TSTRING ? lua_tolstring(L_, i, &length) : nullptr;
        if (!text || length == 0 || length > limit || std::strlen(text) != length)
            Fail(i, name, lua_pushfstring(L_, "a name of 1..%d bytes", static_cast<int>(limit)));
        return text;
    }

private:
    explicit Args(lua_State* L) : L_(L), function_(nullptr) {}

    [[noreturn]] void Fail(int i, const char* name, const char* expected) const {
        if (function_)
            luaL_error(L_, "%s: %s (argument %d) must be %s, got %s", function_, name, i, expected, Shown(L_, i));
        else
            luaL_error(L_, "Game.%s must be %s, got %s", name, expected, Shown(L_, i));
        std::abort();  // luaL_error does not return
    }

    lua_State* L_;
    const char* function_;
};

int Push(lua_State* L, bool value) {
    lua_pushboolean(L, value);
    return 1;
}
int Push(lua_State* L, lua_Integer value) {
    lua_pushinteger(L, value);
    return 1;
}

// Loads of the scene's script.

// Bytes of models and textures the script's calls loaded in this visit: they stay loaded
// for the run, so the budget never gets them back.
uint64_t visitKeptBytes = 0;

uint64_t SurfaceBytes(const Surface* s) { return s ? s->pixels.size() : 0; }

uint64_t SlotFrameBytes(const AnimSlot& s) {
    if (s.isTexture || !s.frames) return 0;
    int count = static_cast<int>(s.frameCount);
    if (s.vanishAtEnd && count > 0) --count;
    uint64_t bytes = 0;
    for (int i = 0; i < count; ++i) bytes += SurfaceBytes(static_cast<const Surface*>(s.frames[i]));
    return bytes;
}

// Runs an engine service that loads files under the visit's limits: what it keeps may take
// what is left of the scene's resource budget (the bytes of what it replaces count as
// free), it stops at the call's deadline, and a file that failed earlier in the visit is
// not read again. Past the budget the call fails with a named error; past the deadline the
// engine function's own time check ends it. `kept`: the service loads models and textures,
// which stay loaded.
template <typename Service>
auto Limited(lua_State* L, const char* function, uint64_t replaced, bool kept, Service service) {
    const Sandbox& box = SandboxOf(L);
    const uint64_t budget = box.limits.resourceBytes;
    const uint64_t holding = SceneResourceBytes();
    const uint64_t held = holding - std::min(replaced, holding);
    BeginLimitedLoads(held < budget ? budget - held : 0, box.deadline);
    const auto result = service();
    if (kept) visitKeptBytes += LimitedLoadBytes();
    if (EndLimitedLoads() == LoadStop::Budget)
        luaL_error(L, "%s: the scene's resources would pass their budget of %I MiB", function,
                   static_cast<LUAI_UACINT>(budget >> 20));
    return result;
}

// Every engine function's time counts against the call's limit: a service that took the
// rest of it ends the call as the instruction hook would, and pcall cannot catch that.
int Timed(lua_State* L) {
    const lua_CFunction function = lua_tocfunction(L, lua_upvalueindex(1));
    const int results = function(L);
    ChargeSandbox(L, 0);  // reads the clock: past the deadline the call ends here
    return results;
}

// Regions and tools.

int DefineRegionF(lua_State* L) {
    const Args a(L, "DefineRegion", 10, 10);
    const int index = static_cast<int>(a.Int(1, "index", 0, kActionRegionCount - 1));
    const int left = a.Coord(2, "left"), top = a.Coord(3, "top"), right = a.Coord(4, "right"),
              bottom = a.Coord(5, "bottom");
    const int cursor = static_cast<int>(a.Int(6, "cursor", 0, kCursorPictureCount - 1));
    const int walkX = a.ScreenX(7, "walkX"), walkY = a.ScreenY(8, "walkY");
    const float facing = a.Number(9, "facing");
    const int action = a.Int32(10, "action");
    DefineRegion(index, left, top, right, bottom, cursor, walkX, walkY, facing, action);
    return 0;
}

int SetRegionLabelF(lua_State* L) {
    const Args a(L, "SetRegionLabel", 2, 2);
    const int index = static_cast<int>(a.Int(1, "index", 0, kActionRegionCount - 1));
    SetRegionLabel(index, a.Int32(2, "label"));
    return 0;
}

int PlaceToolF(lua_State* L) {
    const Args a(L, "PlaceTool", 6, 6);
    const int tool = a.Tool(1);
    const int clickable = a.Flag(2, "clickable");
    const int left = a.Coord(3, "left"), top = a.Coord(4, "top"), right = a.Coord(5, "right"),
              bottom = a.Coord(6, "bottom");
    PlaceTool(tool, clickable, left, top, right, bottom);
    return 0;
}

int PlaceToolPictureF(lua_State* L) {
    const Args a(L, "PlaceToolPicture", 6, 10);
    const char* file = a.Path(1, "file");
    const int tool = a.Tool(2);
    const int clickable = a.Flag(3, "clickable"), drawn = a.Flag(4, "drawn");
    const int x = a.Coord(5, "x"), y = a.Coord(6, "y");
    const int insetLeft = static_cast<int>(a.OptInt(7, "insetLeft", kCoordMin, kCoordMax, 0));
    const int insetTop = static_cast<int>(a.OptInt(8, "insetTop", kCoordMin, kCoordMax, 0));
    const int insetRight = static_cast<int>(a.OptInt(9, "insetRight", kCoordMin, kCoordMax, 0));
    const int insetBottom = static_cast<int>(a.OptInt(10, "insetBottom", kCoordMin, kCoordMax, 0));
    Limited(L, "PlaceToolPicture", SurfaceBytes(interaction.ToolTable[tool].scenePicture), false, [&] {
        PlaceToolPicture(file, tool, clickable, drawn, x, y, insetLeft, insetTop, insetRight, insetBottom);
        return 0;
    });
    return 0;
}

int SetToolOwnershipF(lua_State* L) {
    const Args a(L, "SetToolOwnership", 3, 3);
    const int tool = a.Tool(1);
    const int inInventory = a.Flag(2, "inInventory"), drawn = a.Flag(3, "drawn");
    SetToolOwnership(tool, inInventory, drawn);
    return 0;
}

int ToolRange(lua_State* L, const char* function, void (*service)(int, int)) {
    const Args a(L, function, 2, 2);
    const int first = a.Tool(1, "first");
    const int last = static_cast<int>(a.Int(2, "last", first, kLastGameTool));
    service(first, last);
    return 0;
}
int HideToolRangeF(lua_State* L) { return ToolRange(L, "HideToolRange", HideToolRange); }
int ShowToolRangeF(lua_State* L) { return ToolRange(L, "ShowToolRange", ShowToolRange); }

// The pointer and clicks.

int ResolvePointerF(lua_State* L) {
    const Args a(L, "ResolvePointer", 0, 0);
    ResolvePointer();
    return 0;
}
int WalkToRegionF(lua_State* L) {
    const Args a(L, "WalkToRegion", 0, 0);
    WalkToRegion();
    return 0;
}
int ClickSequenceF(lua_State* L) {
    const Args a(L, "ClickSequence", 0, 0);
    return Push(L, lua_Integer{ClickSequence()});
}
int TakeArrivedActionF(lua_State* L) {
    const Args a(L, "TakeArrivedAction", 0, 0);
    return Push(L, lua_Integer{TakeArrivedAction()});
}
int HandleClickF(lua_State* L) {
    const Args a(L, "HandleClick", 0, 0);
    HandleClick();
    return 0;
}
int HeroHasArrivedF(lua_State* L) {
    const Args a(L, "HeroHasArrived", 0, 0);
    return Push(L, HeroHasArrived());
}

// Actors.

int WalkToF(lua_State* L) {
    const Args a(L, "WalkTo", 3, 4);
    const int actor = a.Actor(1);
    const int x = a.ScreenX(2, "x"), y = a.ScreenY(3, "y");
    const float heading = a.OptNumber(4, "finalHeading", kNoFinalHeading);
    WalkTo(actor, x, y, heading);
    return 0;
}
int TurnToFinalHeadingF(lua_State* L) {
    const Args a(L, "TurnToFinalHeading", 1, 1);
    return Push(L, TurnToFinalHeading(a.Actor(1)) != 0);
}
int LoadActorF(lua_State* L) {
    const Args a(L, "LoadActor", 5, 5);
    const char* path = a.Path(1, "path");
    const Vec3 position{a.Number(2, "x"), a.Number(3, "y"), a.Number(4, "z")};
    const float heading = a.Number(5, "heading");
    return Push(L, lua_Integer{Limited(L, "LoadActor", 0, true, [&] { return LoadActor(path, position, heading); })});
}
int AttachActorF(lua_State* L) {
    const Args a(L, "AttachActor", 3, 3);
    const char* path = a.Path(1, "path");
    const char* bone = a.Name(2, "bone", kBoneNameLimit);
    const int parent = static_cast<int>(a.Int(3, "parent", 0, kActorCount - 1));
    return Push(L, lua_Integer{Limited(L, "AttachActor", 0, true, [&] { return AttachActor(path, bone, parent); })});
}
int UpdateActorF(lua_State* L) {
    const Args a(L, "UpdateActor", 1, 1);
    UpdateActor(a.Actor(1));
    return 0;
}
int RunActorsF(lua_State* L) {
    const Args a(L, "RunActors", 0, 0);
    RunActorPass();
    return 0;
}
int CreateHeroF(lua_State* L) {
    const Args a(L, "CreateHero", 4, 5);
    const Vec3 position{a.Number(1, "x"), a.Number(2, "y"), a.Number(3, "z")};
    const float heading = a.Number(4, "heading");
    const float altSpeed = a.OptNumber(5, "altSpeed", 1.8f);
    return Push(L, lua_Integer{
                       Limited(L, "CreateHero", 0, true, [&] { return CreateHero(position, heading, altSpeed); })});
}
int GetMotionF(lua_State* L) {
    const Args a(L, "GetMotion", 1, 1);
    return Push(L, lua_Integer{actorTable.actors[a.Actor(1)].motion});
}
int SetMotionF(lua_State* L) {
    const Args a(L, "SetMotion", 2, 2);
    const int actor = a.Actor(1);
    StartGesture(actor, static_cast<int>(a.Int(2, "motion", 0, kMotionCount - 1)));
    return 0;
}
int GetPositionF(lua_State* L) {
    const Args a(L, "GetPosition", 1, 1);
    const Vec3 p = actorTable.actors[a.Actor(1)].position;
    lua_pushnumber(L, p.x);
    lua_pushnumber(L, p.y);
    lua_pushnumber(L, p.z);
    return 3;
}
int SetPositionF(lua_State* L) {
    const Args a(L, "SetPosition", 4, 4);
    const int actor = a.Actor(1);
    actorTable.actors[actor].position = Vec3{a.Number(2, "x"), a.Number(3, "y"), a.Number(4, "z")};
    return 0;
}
int GetHeadingF(lua_State* L) {
    const Args a(L, "GetHeading", 1, 1);
    lua_pushnumber(L, actorTable.actors[a.Actor(1)].heading);
    return 1;
}
int SetHeadingF(lua_State* L) {
    const Args a(L, "SetHeading", 2, 2);
    const int actor = a.Actor(1);
    actorTable.actors[actor].heading = a.Number(2, "heading");
    return 0;
}
int StandsF(lua_State* L) {
    const Args a(L, "Stands", 1, 1);
    return Push(L, Stands(a.Actor(1)));
}
int GestureAtF(lua_State* L) {
    const Args a(L, "GestureAt", 3, 3);
    const int actor = a.Actor(1);
    const int motion = static_cast<int>(a.Int(2, "motion", 0, kMotionCount - 1));
    return Push(L, GestureAt(actor, motion, a.Number(3, "frame")));
}
int SetClickableF(lua_State* L) {
    const Args a(L, "SetClickable", 6, 6);
    const int actor = a.Actor(1);
    const int flag = a.Flag(2, "clickable");
    const int rect[4] = {a.Coord(3, "left"), a.Coord(4, "top"), a.Coord(5, "right"), a.Coord(6, "bottom")};
    actorTable.actors[actor].clickable = flag;
    std::memcpy(actorTable.actors[actor].screenRect, rect, sizeof rect);
    return 0;
}
int ScreenToWorldF(lua_State* L) {
    const Args a(L, "ScreenToWorld", 2, 2);
    const int x = a.ScreenX(1, "x"), y = a.ScreenY(2, "y");
    const Vec3 p = HasFloor(x, y) ? ScreenToWorld(x, y, FloorDepthAt(x, y)) : Vec3{NAN, NAN, NAN};
    // No floor there, or no scene camera to see it through.
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
        lua_pushnil(L);
        return 1;
    }
    lua_pushnumber(L, p.x);
    lua_pushnumber(L, p.y);
    lua_pushnumber(L, p.z);
    return 3;
}

// Animation slots.

int LoadFrameSequenceF(lua_State* L) {
    const Args a(L, "LoadFrameSequence", 6, 12);
    const char* path = a.Path(1, "path");
    const int slot = a.Slot(2);
    const int x = a.Coord(3, "x"), y = a.Coord(4, "y");
    const int mode = static_cast<int>(a.Int(5, "mode", 0, 2));
    const float speed = a.Number(6, "speed");
    const int vanishAtEnd = a.OptFlag(7, "vanishAtEnd", 0);
    const int endRule = static_cast<int>(a.OptInt(8, "endRule", 0, 2, 0));
    const int flicker = a.OptFlag(9, "flicker", 0);
    const float threshold = a.OptNumber(10, "flickerThreshold", 0.3f);
    const int light = static_cast<int>(a.OptInt(11, "light", -1, kMaxPointLights - 1, -1));
    const int lightOnState = a.OptFlag(12, "lightOnState", 0);
    return Push(L, lua_Integer{Limited(L, "LoadFrameSequence", SlotFrameBytes(animation.animSlots[slot]), false, [&] {
                       return LoadFrameSequence(path, slot, x, y, mode, speed, static_cast<uint8_t>(vanishAtEnd),
                                                endRule, static_cast<uint8_t>(flicker), threshold, light,
                                                static_cast<uint8_t>(lightOnState));
                   })});
}
int PlayAnimationF(lua_State* L) {
    const Args a(L, "PlayAnimation", 3, 3);
    const int slot = a.Slot(1);
    const float from = a.Number(2, "from"), speed = a.Number(3, "speed");
    PlayAnimation(slot, from, speed);
    return 0;
}
int AnimationAtEndF(lua_State* L) {
    const Args a(L, "AnimationAtEnd", 1, 1);
    return Push(L, AnimationAtEnd(a.Slot(1)));
}
int AnimationAtStartF(lua_State* L) {
    const Args a(L, "AnimationAtStart", 1, 1);
    return Push(L, AnimationAtStart(a.Slot(1)));
}
int PlayAnimationEveryF(lua_State* L) {
    const Args a(L, "PlayAnimationEvery", 3, 3);
    const int slot = a.Slot(1);
    const float speed = a.Number(2, "speed");
    const int interval = static_cast<int>(a.Int(3, "interval", 0, 86400));
    return Push(L, PlayAnimationEvery(slot, speed, interval));
}
int ShowSlotF(lua_State* L) {
    const Args a(L, "ShowSlot", 2, 2);
    const int slot = a.Slot(1);
    animation.animSlots[slot].mode = a.Flag(2, "shown");
    return 0;
}

// Sounds, remarks, videos, fades.

int LoadSoundF(lua_State* L) {
    const Args a(L, "LoadSound", 2, 2);
    const char* path = a.Path(1, "path");
    const int slot = a.SoundSlotArg(2);
    Limited(L, "LoadSound", SoundSlotBytes(slot), false, [&] {
        LoadSound(path, slot);
        return 0;
    });
    return 0;
}
int SlotPlay(lua_State* L, const char* function, void (*service)(int, int, int, int)) {
    const Args a(L, function, 1, 4);
    const int slot = a.SoundSlotArg(1);
    const int level = static_cast<int>(a.OptInt(2, "level", -10000, 0, 0));
    const int pan = static_cast<int>(a.OptInt(3, "pan", -10000, 10000, 0));
    const int loop = a.OptFlag(4, "loop", 0);
    service(slot, level, pan, loop);
    return 0;
}
int PlaySlotF(lua_State* L) { return SlotPlay(L, "PlaySlot", PlaySlot); }
int RestartSlotF(lua_State* L) { return SlotPlay(L, "RestartSlot", RestartSlot); }
int IsSlotPlayingF(lua_State* L) {
    const Args a(L, "IsSlotPlaying", 1, 1);
    return Push(L, IsSlotPlaying(a.SoundSlotArg(1)));
}
int StopSlotF(lua_State* L) {
    const Args a(L, "StopSlot", 1, 1);
    StopSlot(a.SoundSlotArg(1));
    return 0;
}
int PlayResponseF(lua_State* L) {
    const Args a(L, "PlayResponse", 1, 1);
    return Push(L, lua_Integer{PlayResponse(a.Int32(1, "id"))});
}
int PlayDialogLineF(lua_State* L) {
    const Args a(L, "PlayDialogLine", 1, 1);
    PlayDialogLine(a.Int32(1, "id"));
    return 0;
}
int PollDialogChoiceF(lua_State* L) {
    const Args a(L, "PollDialogChoice", 2, 2);
    const int first = static_cast<int>(a.Int(1, "first", 0, kInt32Max - 16));
    const int count = static_cast<int>(a.Int(2, "count", 1, 16));
    return Push(L, lua_Integer{PollDialogChoice(first, count)});
}
int PlayVideoF(lua_State* L) {
    const Args a(L, "PlayVideo", 1, 1);
    StartVideo(a.Path(1, "path"));
    return 0;
}
int IsVideoPlayingF(lua_State* L) {
    const Args a(L, "IsVideoPlaying", 0, 0);
    return Push(L, loop.playMode == 2 || VideoPlaying());
}
int FadeInF(lua_State* L) {
    const Args a(L, "FadeIn", 0, 0);
    FadeIn();
    return 0;
}
int FadeOutF(lua_State* L) {
    const Args a(L, "FadeOut", 0, 0);
    FadeOut();
    return 0;
}
int FadeStepF(lua_State* L) {
    const Args a(L, "FadeStep", 0, 0);
    return Push(L, FadeStep());
}
int SetHeroFootstepsF(lua_State* L) {
    const Args a(L, "SetHeroFootsteps", 0, 0);
    SetHeroFootsteps();
    return 0;
}
int LoadStepAndTurnSoundsF(lua_State* L) {
    const Args a(L, "LoadStepAndTurnSounds", 0, 0);
    uint64_t replaced = 0;
    for (int slot : {40, 41, 42, 43, 57, 58}) replaced += SoundSlotBytes(slot);
    Limited(L, "LoadStepAndTurnSounds", replaced, false, [] {
        LoadStepAndTurnSounds();
        return 0;
    });
    return 0;
}
int StartAmbientF(lua_State* L) {
    const Args a(L, "StartAmbient", 1, 1);
    const char* path = a.Path(1, "path");
    Limited(L, "StartAmbient", SoundSlotBytes(kAmbientSlot), false, [&] {
        StartAmbient(path);
        return 0;
    });
    return 0;
}
int SetShadowF(lua_State* L) {
    const Args a(L, "SetShadow", 5, 5);
    const Vec3 light{a.Number(1, "x"), a.Number(2, "y"), a.Number(3, "z")};
    const float length = a.Number(4, "length");
    SetShadow(light, length, a.Word(5, "colour"));
    return 0;
}
int LoadWalkMaskF(lua_State* L) {
    const Args a(L, "LoadWalkMask", 1, 1);
    const char* path = a.Path(1, "path");
    return Push(L, LoadWalkMask(std::string(path)));
}

// State and flags.

int SetStateF(lua_State* L) {
    const Args a(L, "SetState", 1, 1);
    SetState(a.Word(1, "value"));
    return 0;
}
int SetStateOfF(lua_State* L) {
    const Args a(L, "SetStateOf", 2, 2);
    const int scene = a.Scene(1);
    SetStateOf(scene, a.Word(2, "value"));
    return 0;
}
int GetStateF(lua_State* L) {
    const Args a(L, "GetState", 0, 0);
    return Push(L, lua_Integer{GetState()});
}
int GetStateOfF(lua_State* L) {
    const Args a(L, "GetStateOf", 1, 1);
    return Push(L, lua_Integer{GetStateOf(a.Scene(1))});
}
int SetFlagsF(lua_State* L) {
    const Args a(L, "SetFlags", 1, 1);
    SetFlags(a.Word(1, "mask"));
    return 0;
}
int TestFlagsF(lua_State* L) {
    const Args a(L, "TestFlags", 1, 1);
    return Push(L, lua_Integer{TestFlags(a.Word(1, "mask"))});
}
int ClearFlagsF(lua_State* L) {
    const Args a(L, "ClearFlags", 1, 1);
    ClearFlags(a.Word(1, "mask"));
    return 0;
}
int SetFlagsOfF(lua_State* L) {
    const Args a(L, "SetFlagsOf", 2, 2);
    const int scene = a.Scene(1);
    SetFlagsOf(scene, a.Word(2, "mask"));
    return 0;
}
int TestFlagsOfF(lua_State* L) {
    const Args a(L, "TestFlagsOf", 2, 2);
    const int scene = a.Scene(1);
    return Push(L, lua_Integer{TestFlagsOf(scene, a.Word(2, "mask"))});
}
int ClearFlagsOfF(lua_State* L) {
    const Args a(L, "ClearFlagsOf", 2, 2);
    const int scene = a.Scene(1);
    ClearFlagsOf(scene, a.Word(2, "mask"));
    return 0;
}

// Scenes, the notebook, the end of the game, step sequences.

int GotoSceneF(lua_State* L) {
    const Args a(L, "GotoScene", 1, 1);
    const int scene = a.Scene(1);
    // In a frame's run the end of the frame turns the new number into a fade. The top
    // level, init and load run while the scene is entered, before its frame starts: the
    // change waits for the end of the scene's first frame.
    if (RunningSceneFrame())
        RequestScene(scene);
    else
        deferredScene = scene;
    return 0;
}
int CurrentSceneF(lua_State* L) {
    const Args a(L, "CurrentScene", 0, 0);
    return Push(L, lua_Integer{loop.currentScene});
}
int PreviousSceneF(lua_State* L) {
    const Args a(L, "PreviousScene", 0, 0);
    return Push(L, lua_Integer{sceneSwitch.previousScene});
}
int WriteNotebookPageF(lua_State* L) {
    const Args a(L, "WriteNotebookPage", 1, 1);
    WriteNotebookPage(static_cast<int>(a.Int(1, "page", 3, 12)));
    return 0;
}
int EndGameF(lua_State* L) {
    const Args a(L, "EndGame", 0, 0);
    endGameRequested = true;
    return 0;
}
int NextStepF(lua_State* L) {
    const Args a(L, "NextStep", 0, 0);
    NextStep();
    return 0;
}
int ElapsedF(lua_State* L) {
    const Args a(L, "Elapsed", 1, 1);
    return Push(L, Elapsed(a.Number(1, "seconds")));
}
int RemarkOverF(lua_State* L) {
    const Args a(L, "RemarkOver", 0, 0);
    return Push(L, RemarkOver());
}

// The scene table's own functions, for a script that extends the compiled-in scene. The
// visit's first compiled-in init and load are the scene's own loading, which the engine
// does without a script too: their time does not count against the call's limit. Any
// further call, and every compiled-in run, counts.
bool compiledSetUpDone[2] = {};

int Compiled(lua_State* L, const char* function, SceneCall call) {
    const Args a(L, function, 0, 0);
    const auto start = ThreadCpuClock::now();
    CallCompiledSceneFunction(SandboxOf(L).scene, call);
    if (call != SceneCall::Run && !compiledSetUpDone[static_cast<int>(call)]) {
        compiledSetUpDone[static_cast<int>(call)] = true;
        SandboxOf(L).deadline += ThreadCpuClock::now() - start;
    }
    return 0;
}
int CompiledInitF(lua_State* L) { return Compiled(L, "CompiledInit", SceneCall::Init); }
int CompiledLoadF(lua_State* L) { return Compiled(L, "CompiledLoad", SceneCall::Load); }
int CompiledRunF(lua_State* L) { return Compiled(L, "CompiledRun", SceneCall::Run); }

// The default run function with the exits of a Lua array: exit k leaves for exits[k].
int DefaultRunF(lua_State* L) {
    const Args a(L, "DefaultRun", 0, 1);
    int exits[kMaxExits];
    int count = 0;
    if (!lua_isnoneornil(L, 1)) {
        if (lua_type(L, 1) != LUA_TTABLE)
            return luaL_error(L, "DefaultRun: exits (argument 1) must be a table of scene numbers, got %s",
                              Shown(L, 1));
        const lua_Unsigned n = lua_rawlen(L, 1);
        if (n > static_cast<lua_Unsigned>(kMaxExits)) return luaL_error(L, "DefaultRun: at most %d exits", kMaxExits);
        for (lua_Integer k = 1; k <= static_cast<lua_Integer>(n); ++k) {
            int exact = 0;
            const lua_Integer scene = lua_rawgeti(L, 1, k) == LUA_TNUMBER ? lua_tointegerx(L, -1, &exact) : -1;
            if (!exact || scene < 0 || scene > kLastScene)
                return luaL_error(L, "DefaultRun: exits[%I] must be a scene number 0..%I, got %s",
                                  static_cast<LUAI_UACINT>(k), static_cast<LUAI_UACINT>(kLastScene), Shown(L, -1));
            lua_pop(L, 1);
            exits[count++] = static_cast<int>(scene);
        }
    }
    DefaultRun(std::span<const int>(exits, count));
    return 0;
}

// The table `Game`: a userdata whose fields read and write the engine's values.

enum class Field {
    EXE, LeftKey, heldTool, cursorPicture, verb, DIALOG, sequenceClock,  // read and write
    toolUnderPointer, regionUnderPointer, actorUnderPointer, pointerX, pointerY, leftButton, freshPress,
    subtitleTimer, seconds, scene, previousScene,
    None,
};
constexpr Field kFirstReadOnly = Field::toolUnderPointer;
constexpr const char* kFieldNames[] = {
    "EXE", "LeftKey", "heldTool", "cursorPicture", "verb", "DIALOG", "sequenceClock",
    "toolUnderPointer", "regionUnderPointer", "actorUnderPointer", "pointerX", "pointerY", "leftButton",
    "freshPress", "subtitleTimer", "seconds", "scene", "previousScene",
};
static_assert(std::size(kFieldNames) == static_cast<size_t>(Field::None));

Field FieldOf(lua_State* L) {
    const char* key = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : nullptr;
    for (size_t i = 0; key && i < std::size(kFieldNames); ++i)
        if (std::strcmp(kFieldNames[i], key) == 0) return static_cast<Field>(i);
    luaL_error(L, "Game has no field %s", key ? lua_pushfstring(L, "'%s'", key) : Shown(L, 2));
    return Field::None;
}

int GameIndex(lua_State* L) {
    switch (FieldOf(L)) {
    case Field::EXE: return Push(L, lua_Integer{interaction.EXE});
    case Field::LeftKey: return Push(L, lua_Integer{pointer.LeftKey});
    case Field::heldTool: return Push(L, lua_Integer{interaction.heldTool});
    case Field::cursorPicture: return Push(L, lua_Integer{interaction.cursorPicture});
    case Field::verb: return Push(L, lua_Integer{interaction.currentVerb});
    case Field::DIALOG: return Push(L, lua_Integer{scriptValues.DIALOG});
    case Field::sequenceClock: lua_pushnumber(L, gameState.sequenceClock); return 1;
    case Field::toolUnderPointer: return Push(L, lua_Integer{interaction.toolUnderPointer});
    case Field::regionUnderPointer: return Push(L, lua_Integer{interaction.regionUnderPointer});
    case Field::actorUnderPointer: return Push(L, lua_Integer{interaction.actorUnderPointer});
    case Field::pointerX: return Push(L, lua_Integer{pointer.cursorX});
    case Field::pointerY: return Push(L, lua_Integer{pointer.cursorY});
    case Field::leftButton: return Push(L, LeftButtonDown());
    case Field::freshPress: return Push(L, FreshLeftPress());
    case Field::subtitleTimer: lua_pushnumber(L, dialogue.subtitleTimer); return 1;
    case Field::seconds: lua_pushnumber(L, ScriptSeconds()); return 1;
    case Field::scene: return Push(L, lua_Integer{loop.currentScene});
    case Field::previousScene: return Push(L, lua_Integer{sceneSwitch.previousScene});
    case Field::None: break;
    }
    return 0;
}

int GameNewIndex(lua_State* L) {
    const Field field = FieldOf(L);
    if (field >= kFirstReadOnly)
        return luaL_error(L, "Game.%s is read-only", kFieldNames[static_cast<size_t>(field)]);
    const char* name = kFieldNames[static_cast<size_t>(field)];
    const Args a = Args::Field(L);  // the value is argument 3 of the assignment
    switch (field) {
    case Field::EXE: interaction.EXE = a.Int32(3, name); break;
    case Field::LeftKey: pointer.LeftKey = a.Flag(3, name); break;
    case Field::heldTool: interaction.heldTool = static_cast<int32_t>(a.Int(3, name, -1, kLastGameTool)); break;
    case Field::cursorPicture: interaction.cursorPicture = static_cast<int32_t>(a.Int(3, name, 0, kCursorPictureCount - 1)); break;
    case Field::verb: interaction.currentVerb = static_cast<int32_t>(a.Int(3, name, kVerbLook, kVerbUse)); break;
    case Field::DIALOG: scriptValues.DIALOG = a.Int32(3, name); break;
    case Field::sequenceClock: gameState.sequenceClock = a.Number(3, name, 1e9); break;
    default: break;
    }
    return 0;
}

int GameToString(lua_State* L) {
    lua_pushliteral(L, "Game");
    return 1;
}

const luaL_Reg kFunctions[] = {
    {"DefineRegion", DefineRegionF},
    {"SetRegionLabel", SetRegionLabelF},
    {"PlaceTool", PlaceToolF},
    {"PlaceToolPicture", PlaceToolPictureF},
    {"SetToolOwnership", SetToolOwnershipF},
    {"HideToolRange", HideToolRangeF},
    {"ShowToolRange", ShowToolRangeF},
    {"ResolvePointer", ResolvePointerF},
    {"WalkToRegion", WalkToRegionF},
    {"ClickSequence", ClickSequenceF},
    {"TakeArrivedAction", TakeArrivedActionF},
    {"HandleClick", HandleClickF},
    {"HeroHasArrived", HeroHasArrivedF},
    {"WalkTo", WalkToF},
    {"TurnToFinalHeading", TurnToFinalHeadingF},
    {"LoadActor", LoadActorF},
    {"AttachActor", AttachActorF},
    {"UpdateActor", UpdateActorF},
    {"RunActors", RunActorsF},
    {"CreateHero", CreateHeroF},
    {"GetMotion", GetMotionF},
    {"SetMotion", SetMotionF},
    {"GetPosition", GetPositionF},
    {"SetPosition", SetPositionF},
    {"GetHeading", GetHeadingF},
    {"SetHeading", SetHeadingF},
    {"Stands", StandsF},
    {"GestureAt", GestureAtF},
    {"SetClickable", SetClickableF},
    {"ScreenToWorld", ScreenToWorldF},
    {"LoadFrameSequence", LoadFrameSequenceF},
    {"PlayAnimation", PlayAnimationF},
    {"AnimationAtEnd", AnimationAtEndF},
    {"AnimationAtStart", AnimationAtStartF},
    {"PlayAnimationEvery", PlayAnimationEveryF},
    {"ShowSlot", ShowSlotF},
    {"LoadSound", LoadSoundF},
    {"PlaySlot", PlaySlotF},
    {"RestartSlot", RestartSlotF},
    {"IsSlotPlaying", IsSlotPlayingF},
    {"StopSlot", StopSlotF},
    {"PlayResponse", PlayResponseF},
    {"PlayDialogLine", PlayDialogLineF},
    {"PollDialogChoice", PollDialogChoiceF},
    {"PlayVideo", PlayVideoF},
    {"IsVideoPlaying", IsVideoPlayingF},
    {"FadeIn", FadeInF},
    {"FadeOut", FadeOutF},
    {"FadeStep", FadeStepF},
    {"SetHeroFootsteps", SetHeroFootstepsF},
    {"LoadStepAndTurnSounds", LoadStepAndTurnSoundsF},
    {"StartAmbient", StartAmbientF},
    {"SetShadow", SetShadowF},
    {"LoadWalkMask", LoadWalkMaskF},
    {"SetState", SetStateF},
    {"SetStateOf", SetStateOfF},
    {"GetState", GetStateF},
    {"GetStateOf", GetStateOfF},
    {"SetFlags", SetFlagsF},
    {"TestFlags", TestFlagsF},
    {"ClearFlags", ClearFlagsF},
    {"SetFlagsOf", SetFlagsOfF},
    {"TestFlagsOf", TestFlagsOfF},
    {"ClearFlagsOf", ClearFlagsOfF},
    {"GotoScene", GotoSceneF},
    {"CurrentScene", CurrentSceneF},
    {"PreviousScene", PreviousSceneF},
    {"WriteNotebookPage", WriteNotebookPageF},
    {"EndGame", EndGameF},
    {"NextStep", NextStepF},
    {"Elapsed", ElapsedF},
    {"RemarkOver", RemarkOverF},
    {"DefaultRun", DefaultRunF},
    {"CompiledInit", CompiledInitF},
    {"CompiledLoad", CompiledLoadF},
    {"CompiledRun", CompiledRunF},
    {nullptr, nullptr},
};

struct Constant {
    const char* name;
    lua_Integer value;
};
const Constant kConstants[] = {
    {"CURSOR_ARROW", kCursorArrow}, {"CURSOR_LEFT", kCursorLeft}, {"CURSOR_RIGHT", kCursorRight},
    {"CURSOR_FORWARD", kCursorForward}, {"CURSOR_BACK", kCursorBack}, {"CURSOR_TAKE", kCursorTake},
    {"CURSOR_LOOK", kCursorLook}, {"CURSOR_TALK", kCursorTalk}, {"CURSOR_USE", kCursorUse},
    {"VERB_LOOK", kVerbLook}, {"VERB_TALK", kVerbTalk}, {"VERB_TAKE", kVerbTake}, {"VERB_USE", kVerbUse},
    {"NONE", kNone}, {"HERO", kHero},
};

}  // namespace

void InstallSceneApi(lua_State* L) {
    lua_pushglobaltable(L);
    for (const luaL_Reg* f = kFunctions; f->name; ++f) {
        lua_pushcfunction(L, f->func);
        lua_pushcclosure(L, Timed, 1);
        lua_setfield(L, -2, f->name);
    }
    for (const Constant& c : kConstants) {
        lua_pushinteger(L, c.value);
        lua_setfield(L, -2, c.name);
    }
    lua_pushnumber(L, kNoFinalHeading);
    lua_setfield(L, -2, "NO_HEADING");

    lua_newuserdatauv(L, 0, 0);
    lua_createtable(L, 0, 4);
    lua_pushcfunction(L, GameIndex);
    lua_setfield(L, -2, "__index");
    lua_pushcfunction(L, GameNewIndex);
    lua_setfield(L, -2, "__newindex");
    lua_pushcfunction(L, GameToString);
    lua_setfield(L, -2, "__tostring");
    lua_pushliteral(L, "Game");
    lua_setfield(L, -2, "__metatable");
    lua_setmetatable(L, -2);
    lua_setfield(L, -2, "Game");
    lua_pop(L, 1);
}

void BeginSceneScriptVisit() {
    visitKeptBytes = 0;
    compiledSetUpDone[0] = compiledSetUpDone[1] = false;
    ForgetFailedLoads();
}

uint64_t SceneResourceBytes() {
    uint64_t bytes = visitKeptBytes;
    for (const ToolRecord& t : interaction.ToolTable) bytes += SurfaceBytes(t.scenePicture);
    for (const AnimSlot& s : animation.animSlots) bytes += SlotFrameBytes(s);
    for (int i = 0; i < kSoundSlotCount; ++i) bytes += SoundSlotBytes(i);
    return bytes;
}

void DeferSceneRequest(int scene) { deferredScene = scene; }

int TakeDeferredScene() {
    const int scene = deferredScene;
    deferredScene = -1;
    return scene;
}

bool TakeEndGameRequest() {
    const bool requested = endGameRequested;
    endGameRequested = false;
    return requested;
}

}  // namespace tarvex
