// What a scene script sees: the engine's services that scenes call (regions and tools,
// the pointer and the click sequence, state and flags, animation slots, actors, sounds,
// remarks and choices, videos, fades, the walk mask) and the shared pieces of the scene
// scripts (the hero, the scene kit's rooms and frame, step sequences, first-run guards).
// Scene sources include this header and nothing else of the engine.
#pragma once
#include <cstdint>

#include "base/globals.h"
#include "base/scene_request.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "interaction/pointer.h"
#include "interaction/toolbar.h"
#include "media/animation_sounds.h"
#include "media/sound.h"
#include "media/video.h"
#include "model/actor.h"
#include "platform/random.h"
#include "render/frame_render.h"
#include "resources/anim_slot.h"
#include "resources/frame_sequence.h"
#include "scene/scene_load.h"
#include "scene/walk_mask.h"
#include "scripts/script_kit.h"
#include "text/dialogue.h"

namespace tarvex {

constexpr int kHeroHead = 1;  // the head hung on the hero's neck takes the next actor
constexpr float kHeroWalkSpeed = 4.25f;

// The hero of a hero scene: "models/gorin.md" at the position with the heading, the head
// "models/golova.md" on its bone "Bip01 Neck", walking speeds 4.25 and `altSpeed`, shadow
// mode 4. A hero restored from a close-up or the notebook comes back where he stood.
// Returns the hero's actor index (-1 when the model is missing).
int CreateHero(const Vec3& position, float heading, float altSpeed = 1.8f);
// Speed-only scenes and close-ups: the hero record's speeds, nothing else.
void SetHeroSpeeds(float walkSpeed, float altSpeed);
// The hero's footsteps on the floor: the step sounds of slots 40..43 at the walk's steps.
void SetHeroFootsteps();
// Loads the four step sounds (slots 40..43) and the two turning sounds (57, 58).
void LoadStepAndTurnSounds();
// Loads the ambient loop into slot 39 and starts it looping.
void StartAmbient(const char* path);
// The stencil shadow values of the scene.
void SetShadow(const Vec3& light, float length, uint32_t colour);

// The scene scripts' own values.
struct ScriptValues {
    // The world point under the pointer on the scene's depth (kept for the state dump).
    Vec3 pointerWorld{0, 0, 0};
    // The running step sequence's step (the sequence clock is gameState.sequenceClock).
    int32_t DIALOG = 0;
    // The notebook page shown, 1..12; page 1 each time the notebook opens.
    int32_t NotepadPosition = 1;
};
extern ScriptValues scriptValues;

void UpdatePointerWorld();

// Step sequences: scriptValues.DIALOG is the step, the sequence clock counts seconds.
// The next step, with the clock stored now.
void NextStep();
void StoreClock();
// Waits of a step.
bool Elapsed(float seconds);      // since the clock was stored
bool RemarkOver();                // no subtitle timed any more
bool SoundOver(int slot);         // the slot does not play
bool Stands(int actor);           // the actor's motion is 0
// The actor's gesture `motion` has come to `frame` (or is over, or the actor cannot play it).
bool GestureAt(int actor, int motion, float frame);
// Starts a gesture (a motion that returns to standing when it ends).
void StartGesture(int actor, int motion);

// Per-scene values that last while the game runs (first-run guards, picked choices):
// cleared by a new game, a loaded game and the tests (ResetScriptState).
constexpr int kSceneStatics = 8;
int32_t& SceneStatic(int index);
// True on the first call for the current scene since the last reset.
bool FirstRun();

}  // namespace tarvex
