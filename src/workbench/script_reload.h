// The current scene's script reloaded while the game runs: when its loose file
// ("scripts/sceneNNN.lua" in the game folder) changes on disk, or when asked, the scene
// is entered again at once without a fade. Its states and flags, the tools carried and
// the held one stay; the hero stands where he stood, facing the same way; the regions,
// tools placed, slots, sounds and the other actors are made again by the script's init
// and load (a script that fails reports it, and the compiled-in functions take over).
#pragma once

namespace tarvex {

// Asks for the current scene to be entered again with its script read afresh (a packaged
// script too): done before the next game frame, outside any call into the script. False
// when no scene is being played.
bool ReloadSceneScript();
// Before each game frame: looks at the loose file a few times a second (one stat a look)
// and enters the scene again when it changed or a reload was asked for. A fade, a video
// or the menu put the reload off until the scene is playing again.
void WatchSceneScript();
// How many times the scene was entered again since start-up.
int SceneScriptReloads();
// Nothing watched, nothing asked (start-up).
void ResetScriptWatch();

}  // namespace tarvex
