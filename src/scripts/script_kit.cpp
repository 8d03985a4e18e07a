// The shared pieces of the scene scripts: the hero, sounds and shadows, step sequences,
// first-run guards, and the scene kit (a room's load and its one frame).
#include <algorithm>
#include <array>
#include <iterator>

#include "render/actor_render.h"
#include "scripts/scene_dispatch.h"
#include "scripts/script_api.h"

namespace tarvex {

ScriptValues scriptValues;

namespace {

constexpr int kStepSlot = 40;       // 40..43: "sound/stepfloor/step1.wav" ..
constexpr int kAmbientLoopSlot = 39;
constexpr int kTurnSlots[2] = {57, 58};
constexpr float kWalkFirstStep = 419.0f, kWalkSecondStep = 436.0f;

struct SceneScriptState {
    bool ran = false;
    std::array<int32_t, kSceneStatics> statics{};
};
SceneScriptState scriptStates[1024];
int32_t outsideStatics[kSceneStatics];

bool ValidScene(int scene) { return scene >= 0 && scene < 1024; }

}  // namespace

int CreateHero(const Vec3& position, float heading, float altSpeed) {
    const int hero = LoadActor("models/gorin.md", position, heading);
    if (hero < 0) return -1;
    AttachActor("models/golova.md", "Bip01 Neck", hero);
    actorTable.actors[hero].walkSpeed = kHeroWalkSpeed;
    actorTable.actors[hero].secondSpeed = altSpeed;
    actorTable.actors[hero].shadowMode = 4;
    return hero;
}

void SetHeroSpeeds(float walkSpeed, float altSpeed) {
    actorTable.actors[kHero].walkSpeed = walkSpeed;
    actorTable.actors[kHero].secondSpeed = altSpeed;
}

void SetHeroFootsteps() {
    // Two alternatives of one walk cycle; the sounds alternate between a slot and the next.
    animationSounds.actorSoundMarks[kHero][0] = {kWalkFirstStep, kStepSlot};
    animationSounds.actorSoundMarks[kHero][1] = {kWalkSecondStep, kStepSlot + 2};
}

void LoadStepAndTurnSounds() {
    static const char* const steps[4] = {"sound/stepfloor/step1.wav", "sound/stepfloor/step2.wav",
                                         "sound/stepfloor/step3.wav", "sound/stepfloor/step4.wav"};
    for (int i = 0; i < 4; ++i) LoadSound(steps[i], kStepSlot + i);
    LoadSound("sound/rotate/start.wav", kTurnSlots[0]);
    LoadSound("sound/rotate/start1.wav", kTurnSlots[1]);
}

void StartAmbient(const char* path) {
    LoadSound(path, kAmbientLoopSlot);
    PlaySlot(kAmbientLoopSlot, 0, 0, 1);
}

void SetShadow(const Vec3& light, float length, uint32_t colour) {
    sceneRendering.shadowLight = light;
    sceneRendering.shadowLength = length;
    sceneRendering.shadowColour = colour;
    actorTable.actors[kHero].shadowMode = 4;
}

void UpdatePointerWorld() {
    if (HasFloor(pointer.cursorX, pointer.cursorY)) scriptValues.pointerWorld = ScreenToWorld(pointer.cursorX, pointer.cursorY, FloorDepthAt(pointer.cursorX, pointer.cursorY));
}

void StoreClock() { gameState.sequenceClock = ScriptSeconds(); }

void NextStep() {
    // A restored game may carry any step: past the last one it wraps instead of overflowing.
    scriptValues.DIALOG = static_cast<int32_t>(static_cast<uint32_t>(scriptValues.DIALOG) + 1u);
    StoreClock();
}

bool Elapsed(float seconds) { return ScriptSeconds() - gameState.sequenceClock >= seconds; }
bool RemarkOver() { return dialogue.subtitleTimer == 0; }
bool SoundOver(int slot) { return !IsSlotPlaying(slot); }
bool Stands(int actor) { return actor >= 0 && actor < kActorCount && actorTable.actors[actor].motion == 0; }
bool GestureAt(int actor, int motion, float frame) {
    if (actor < 0 || actor >= kActorCount || !actorTable.actors[actor].inUse) return true;
    const ActorRecord& a = actorTable.actors[actor];
    return a.motion != motion || a.frame >= frame;
}

void StartGesture(int actor, int motion) {
    if (actor >= 0 && actor < kActorCount) actorTable.actors[actor].motion = motion;
}

void RequestScene(int scene) { loop.currentScene = scene; }

namespace {

// Every actor updated and drawn (the hero walks on), the first-run guard, the arrow.
void BeginRun() {
    FirstRun();
    RunActorPass();
    interaction.cursorPicture = kCursorArrow;
}

// A departure waits for the remark on screen to end.
void TakeDeparture(std::span<const RoomExit> exits) {
    const uint32_t state = GetState();
    if (state == 0 || !RemarkOver()) return;
    for (const RoomExit& e : exits)
        if (e.state == state) {
            SetState(0);
            RequestScene(e.scene);
            return;
        }
}

// The pending action once the hero has arrived and turned: dropped with a tool on the
// pointer, unless the action is that tool's use.
int32_t TakeArrival(std::span<const RoomToolUse> uses) {
    if (!interaction.EXE || !HeroHasArrived()) return 0;
    const int32_t action = interaction.EXE;
    interaction.EXE = 0;
    for (const RoomToolUse& u : uses)
        if (u.action == action) {
            if (interaction.heldTool != u.tool) return 0;
            interaction.heldTool = -1;
            return action;
        }
    return interaction.heldTool == -1 ? action : 0;
}

// An arrival at an exit: the scene's state becomes the exit's.
bool ArriveAtExit(std::span<const RoomExit> exits, int32_t action) {
    if (action == 0) return false;
    for (const RoomExit& e : exits)
        if (e.action == action) {
            SetState(e.state);
            return true;
        }
    return false;
}

// A close-up: the toolbar closed at once, the hero record's speeds.
void CloseUpInit() {
    CloseToolbarAtOnce();
    SetHeroSpeeds(kHeroWalkSpeed, 1.8f);
}

}  // namespace

void InitRoom(const Room& room) {
    if (room.kind == RoomKind::Hero)
        CreateHero(room.heroStart, room.heroHeading);
    else if (room.kind == RoomKind::CloseUp)
        CloseUpInit();
}

void LoadRoom(const Room& room) {
    int index = 0;
    for (const RoomRegion& r : room.regions)
        DefineRegion(index++, r.left, r.top, r.right, r.bottom, r.cursor, r.walkX, r.walkY, r.facing, r.action);
    if (room.kind == RoomKind::CloseUp || room.kind == RoomKind::Passage) CloseToolbarAtOnce();
    for (const RoomTool& t : room.tools) PlaceTool(t.tool, 1, t.left, t.top, t.right, t.bottom);
    for (const RoomSound& s : room.sounds) LoadSound(s.file, s.slot);
    if (room.kind == RoomKind::Hero) {
        LoadStepAndTurnSounds();
        SetHeroFootsteps();
    }
    if (room.ambient) StartAmbient(room.ambient);
    if (room.shadow) SetShadow(room.shadow->light, room.shadow->length, room.shadow->colour);
    interaction.EXE = 0;
    scriptValues.DIALOG = 0;
    for (const RoomEntry& e : room.entries)
        if (sceneSwitch.previousScene == e.from && actorTable.actors[kHero].inUse) {
            actorTable.actors[kHero].position = e.position;
            actorTable.actors[kHero].heading = e.heading;
        }
}

void RunRoom(const Room& room) {
    BeginRun();
    if (room.sequence && room.sequence(GetState())) return;
    // No sequence runs: the next one starts at its first step.
    if (room.kind != RoomKind::Passage) scriptValues.DIALOG = 0;
    TakeDeparture(room.exits);
    ResolvePointer();
    const int32_t action = TakeArrival(room.toolUses);
    if (!ArriveAtExit(room.exits, action) && room.arrived && room.arrived(action)) return;
    if (room.pressed && FreshLeftPress()) room.pressed();
    HandleClick();
    if (room.kind == RoomKind::Hero || room.kind == RoomKind::Exits) UpdatePointerWorld();
}

namespace {

// The frame of DefaultRun: the pending action becomes the state.
bool ActionBecomesState(int32_t action) {
    if (action) SetState(static_cast<uint32_t>(action));
    return false;
}

}  // namespace

void DefaultRun(std::span<const int> exits) {
    RoomExit list[kActionRegionCount];
    const size_t count = std::min(exits.size(), std::size(list));
    for (size_t k = 0; k < count; ++k) list[k] = {int32_t(k + 1), uint32_t(k + 1), exits[k]};
    Room room;
    room.kind = RoomKind::Exits;
    room.exits = std::span<const RoomExit>(list, count);
    room.arrived = ActionBecomesState;
    RunRoom(room);
}

int32_t& SceneStatic(int index) {
    if (index < 0 || index >= kSceneStatics) index = 0;
    if (!ValidScene(loop.currentScene)) return outsideStatics[index];
    return scriptStates[loop.currentScene].statics[index];
}

bool FirstRun() {
    if (!ValidScene(loop.currentScene)) return false;
    SceneScriptState& s = scriptStates[loop.currentScene];
    const bool first = !s.ran;
    s.ran = true;
    return first;
}

void ResetScriptState() {
    for (SceneScriptState& s : scriptStates) s = SceneScriptState{};
    for (int32_t& v : outsideStatics) v = 0;
    scriptValues.DIALOG = 0;
    scriptValues.pointerWorld = Vec3{0, 0, 0};
}

}  // namespace tarvex
