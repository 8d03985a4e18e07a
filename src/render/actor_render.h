// Drawing of actors: the mirror pass through its stencil mark, the normal pass after
// the scenery depth restore, props on bones, and stencil shadow volumes.
#pragma once
#include <cstdint>

#include "base/math.h"

namespace tarvex {

constexpr int kShadowVertexCapacity = 8192;
constexpr int kSilhouetteEdgeCapacity = 4096;

extern Mat4 WorldMatrix;
extern Mat4 MirrorMatrix;

void DrawActorPasses();
// Updates every visible actor, then draws the passes.
void RunActorPass();
void DrawActor(int actor);
void DrawProps(int actor);
// Fills the shadow vertex buffer from the model's skinned vertices; returns the vertex count.
int BuildShadowVolume(int model, const Vec3& light);
const float* ShadowVertices();

}  // namespace tarvex
