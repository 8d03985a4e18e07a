#pragma once

namespace tarvex {

void UpdateEmitters();
void MoveParticles();
void DrawParticles();
void ResetParticles();

}  // namespace tarvex
