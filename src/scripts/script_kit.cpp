// The shared pieces of the scene scripts.
#include <array>

#include "render/actor_render.h"
#include "scripts/scene_dispatch.h"
#include "scripts/script_api.h"

namespace tarvex {

Vec3 pointerWorld{0, 0, 0};
int32_t DIALOG = 0;

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
    actors[hero].walkSpeed = kHeroWalkSpeed;
    actors[hero].secondSpeed = altSpeed;
    actors[hero].shadowMode = 4;
    return hero;
}

void SetHeroSpeeds(float walkSpeed, float altSpeed) {
    actors[kHero].walkSpeed = walkSpeed;
    actors[kHero].secondSpeed = altSpeed;
}

void SetHeroFootsteps() {
    // Two alternatives of one walk cycle; the sounds alternate between a slot and the next.
    actorSoundMarks[kHero][0] = {kWalkFirstStep, kStepSlot};
    actorSoundMarks[kHero][1] = {kWalkSecondStep, kStepSlot + 2};
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
    shadowLight = light;
    shadowLength = length;
    shadowColour = colour;
    actors[kHero].shadowMode = 4;
}

void UpdatePointerWorld() {
    if (HasFloor(cursorX, cursorY)) pointerWorld = ScreenToWorld(cursorX, cursorY, FloorDepthAt(cursorX, cursorY));
}

void StoreClock() { sequenceClock = ScriptSeconds(); }

void NextStep() {
    // A restored game may carry any step: past the last one it wraps instead of overflowing.
    DIALOG = static_cast<int32_t>(static_cast<uint32_t>(DIALOG) + 1u);
    StoreClock();
}

bool Elapsed(float seconds) { return ScriptSeconds() - sequenceClock >= seconds; }
bool RemarkOver() { return subtitleTimer == 0; }
bool SoundOver(int slot) { return !IsSlotPlaying(slot); }
bool Stands(int actor) { return actor >= 0 && actor < kActorCount && actors[actor].motion == 0; }
bool GestureAt(int actor, int motion, float frame) {
    if (actor < 0 || actor >= kActorCount || !actors[actor].inUse) return true;
    const ActorRecord& a = actors[actor];
    return a.motion != motion || a.frame >= frame;
}

void StartGesture(int actor, int motion) {
    if (actor >= 0 && actor < kActorCount) actors[actor].motion = motion;
}

void BeginRun() {
    FirstRun();
    RunActorPass();
    cursorPicture = kCursorArrow;
}

bool TakeExit(std::initializer_list<int> exits) {
    const uint32_t state = GetState();
    if (state == 0 || state > exits.size() || !RemarkOver()) return false;
    SetState(0);
    currentScene = exits.begin()[state - 1];
    return true;
}

void DefaultRun(std::initializer_list<int> exits) {
    BeginRun();
    TakeExit(exits);
    ResolvePointer();
    DIALOG = 0;
    if (const int32_t action = ClickSequence()) SetState(static_cast<uint32_t>(action));
    UpdatePointerWorld();
}

void CloseUpInit() {
    CloseToolbarAtOnce();
    SetHeroSpeeds(kHeroWalkSpeed, 1.8f);
}

void CloseUpLoad() {
    DefineRegion(0, 592, 434, 800, 600, kCursorBack, 360, 566, kNoFinalHeading, 1);
    CloseToolbarAtOnce();
    EXE = 0;
    DIALOG = 0;
}

void CloseUpRun(int back, bool restoreInterface) {
    BeginRun();
    ResolvePointer();
    DIALOG = 0;
    if (ClickSequence() == 1) {
        currentScene = back >= 0 ? back : previousScene;
        if (restoreInterface) interfaceEnabled = 1;
    }
}

void InventoryCloseUpRun() { CloseUpRun(SCENETOOLBAR, true); }

void CorridorLoad() {
    DefineRegion(0, 592, 434, 800, 600, kCursorBack, 360, 566, kNoFinalHeading, 1);
    // The corridor ahead: the middle of the picture, above the way back.
    DefineRegion(1, 250, 120, 550, 430, kCursorUse, 0, 0, 0.0f, 2);
    CloseToolbarAtOnce();
    SetShadow(Vec3{0, 254, 0}, 50.0f, 0x30000000);
    EXE = 0;
    DIALOG = 0;
}

void CorridorRun() {
    BeginRun();
    ResolvePointer();
    const int32_t action = ClickSequence();
    const int view = currentScene;
    if (action == 1) {
        instantCut = 0;
        currentScene = view <= 296 ? 158 : 183;
    } else if (action == 2) {
        instantCut = 1;
        currentScene = view <= 296 ? 160 + (view - 287) : 179 + (view - 297);
    }
}

int32_t& SceneStatic(int index) {
    if (index < 0 || index >= kSceneStatics) index = 0;
    if (!ValidScene(currentScene)) return outsideStatics[index];
    return scriptStates[currentScene].statics[index];
}

bool FirstRun() {
    if (!ValidScene(currentScene)) return false;
    SceneScriptState& s = scriptStates[currentScene];
    const bool first = !s.ran;
    s.ran = true;
    return first;
}

void ResetScriptState() {
    for (SceneScriptState& s : scriptStates) s = SceneScriptState{};
    for (int32_t& v : outsideStatics) v = 0;
    DIALOG = 0;
    pointerWorld = Vec3{0, 0, 0};
}

}  // namespace tarvex
