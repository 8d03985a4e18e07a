// Scene changes by gamma fade: a script writes a scene number, the frame turns it
// into a request, the fade darkens the picture, the switch loads the new scene while
// the screen is black, and the fade brightens it again.
#pragma once
#include <cstdint>

namespace tarvex {

extern int pendingScene;
extern int previousScene;
extern uint32_t fadeState;   // 0 none, 1..300 fading in, above 300 fading out
extern uint32_t gammaLevel;
extern uint32_t gammaMax;
extern uint8_t instantCut;
extern uint16_t gammaRamp[3][256];

constexpr uint32_t kGammaMaxLimit = 65500;

// Entry i of each ramp = min(i * scale, 65535).
void FillGammaRamps(uint32_t scale);
// Hands the ramps to the display.
void SendGammaRamps();
// Sets gammaMax (kept at most 65500, so a fade in can never wrap) and sends its ramps.
void SetGammaMax(uint32_t value);

void StepSceneFade();
void CheckSceneRequest(int frameStartScene);
void SwitchScene();
void ResetSceneState();
// The switch's entry into the new scene: load the scene, run its set-up, save automatically.
void EnterCurrentScene();

// Reads ahead the files of the scene the current one was left for last time (each frame
// calls it; a step through the corridor's views then finds the next view in memory).
void PrefetchLikelyScene();

void ResetSceneSwitch();

}  // namespace tarvex
