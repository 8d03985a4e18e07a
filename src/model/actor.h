#pragma once

namespace tarvex {

// Frees and clears every actor record, and the model counter of the scene.
void ResetActors();

}  // namespace tarvex
