#pragma once

namespace tarvex {

// Loads the current scene's picture, depth, walk mask, floor depth and description.
void LoadSceneFiles();
// Scene reset's part: lights, mirrors and the other per-scene object tables.
void ResetSceneObjects();

}  // namespace tarvex
