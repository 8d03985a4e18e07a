// Particle systems: camera-facing textured quads emitted, moved, faded and drawn
// from the scene's system records (byte images of the particle files) that the frame
// description holds.
#pragma once
#include <cstdint>

#include "base/math.h"

namespace tarvex {

void UpdateEmitters();
// One new particle in system `system` (nothing when every particle is alive).
void SpawnParticle(int system);
void MoveParticles();
void DrawParticles();
// Scene reset: timing accumulators back to zero (the records are the scene's).
void ResetParticles();
// The source and destination blend factors of a blend mode 0..12 (false above 12).
bool ParticleBlendFactors(int mode, int& source, int& destination, bool& alphaFromDiffuse);

// Live particles of a system (tests, tools).
int LiveParticleCount(int system);

}  // namespace tarvex
