// Scene changes by gamma fade: a script writes a scene number, the frame turns it
// into a request, the fade darkens the picture, the switch loads the new scene while
// the screen is black, and the fade brightens it again.
#pragma once
#include "base/scene_request.h"

namespace tarvex {

void StepSceneFade();
void SwitchScene();
void ResetSceneState();
// Reads ahead the files of the scene the current one was left for last time (each frame
// calls it; a step through the corridor's views then finds the next view in memory).
void PrefetchLikelyScene();

}  // namespace tarvex
