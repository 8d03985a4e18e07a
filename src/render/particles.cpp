#include "render/particles.h"

namespace tarvex {

// Entry points of the particle systems, to be filled by the particle work.
void UpdateEmitters() {}
void MoveParticles() {}
void DrawParticles() {}
void ResetParticles() {}

}  // namespace tarvex
