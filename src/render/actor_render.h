// Drawing of actors: the mirror pass through its stencil mark, the normal pass after
// the scenery depth restore, props on bones, and stencil shadow volumes.
#pragma once
#include <cstdint>

#include "base/math.h"

namespace tarvex {

struct FrameDescription;
struct ModelRecord;

constexpr int kShadowVertexCapacity = 8192;
constexpr int kSilhouetteEdgeCapacity = 4096;

// The frame's actors: the reflection in the mirror (when there is one), the scenery depth
// restored, then the actors with their props and shadow volumes.
void DrawActorPasses(const FrameDescription& frame);
// Fills the shadow vertex buffer from the model's skinned vertices, the silhouette seen
// from `light` (model space) drawn out by `length`; returns the vertex count.
int BuildShadowVolume(const ModelRecord& model, const Vec3& light, float length);
const float* ShadowVertices();
// Sets the frame's camera, lights, ambient colour and material on the device.
void ApplySceneToDevice(const FrameDescription& frame);

}  // namespace tarvex
