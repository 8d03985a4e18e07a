// The progress of the game (a state value and a word of flags per scene number) and
// the small services scene scripts call: state and flags, animation slots, the scripted
// fade, and the words of the notebook's new entries (the notebook itself is a scene's).
#pragma once
#include <cstdint>

namespace tarvex {

constexpr int kSceneWords = 1024;
constexpr int kNotebookEntryWords = 6;

struct GameStateTables {
    uint32_t sceneState[kSceneWords] = {};
    uint32_t sceneFlags[kSceneWords] = {};
    // Time stamp in seconds of the last step of a scripted sequence; the interval
    // animations share it.
    float sequenceClock = 0;
    // Notebook entries: pages 7..12 written and not yet read, the new-entry signal and
    // its time.
    uint32_t notebookEntries[kNotebookEntryWords] = {};
    uint8_t notebookNewEntry = 0;
    float notebookNewEntryTime = 0;
    int32_t fadeDirection = 0;  // the scripted fade: +1 up, -1 down, 0 idle
};
extern GameStateTables gameState;

// Scene numbers outside the tables are ignored (reads give 0).
void SetState(uint32_t value);
void SetStateOf(int scene, uint32_t value);
uint32_t GetState();
uint32_t GetStateOf(int scene);
void SetFlags(uint32_t mask);
uint32_t TestFlags(uint32_t mask);
void ClearFlags(uint32_t mask);
void SetFlagsOf(int scene, uint32_t mask);
uint32_t TestFlagsOf(int scene, uint32_t mask);
void ClearFlagsOf(int scene, uint32_t mask);

// Starts slot `slot` from frame `from` at `speed` (from 0 backwards: from the frame count).
void PlayAnimation(int slot, float from, float speed);
// Restarts the slot from its current frame once `interval` seconds have passed since the
// sequence clock; true when it did (the clock is then now).
bool PlayAnimationEvery(int slot, float speed, int interval);
bool AnimationAtEnd(int slot);
bool AnimationAtStart(int slot);

// The scripted fade of the whole picture through the gamma ramps.
void FadeIn();
void FadeOut();
// One step; true when no fade runs any more.
bool FadeStep();

// The seconds clock scripts time their steps with. It stands still while the menu is
// open over a game (from PauseScriptClock to ResumeScriptClock, or until the menu is left
// in another way), so that a timed step waits as long as it would have without the menu.
float ScriptSeconds();
void PauseScriptClock();
void ResumeScriptClock();
// Holds the clock still until released (a pause the player asked for outside the menu):
// reading it does not start it again.
void HoldScriptClock(bool held);

void ResetGameState();

}  // namespace tarvex
