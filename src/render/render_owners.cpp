#include "render/render_owners.h"

#include <algorithm>

#include "base/owner_names.h"
#include "render/frame_render.h"
#include "render/particles.h"
#include "resources/anim_slot.h"
#include "resources/save_sync.h"
#include "scene/scene_description.h"
#include "scene/scene_load.h"

namespace tarvex {

namespace {

static_assert(kSlotLightCount == kMaxPointLights);

void SyncVec3(SaveSync& s, Vec3& v) {
    const float x = s.Value(v.x), y = s.Value(v.y), z = s.Value(v.z);
    s.Require(Finite(x) && Finite(y) && Finite(z), "a value that is not a number");
}

// Row 35: the eye, the target and the up vector of the scene camera, then the shadows'
// light; 36-37: the shadows' length and colour.
void SyncRenderingValues(SaveSync& s, int row) {
    switch (row) {
    case 35:
        SyncVec3(s, sceneTables.sceneCamera.eye);
        SyncVec3(s, sceneTables.sceneCamera.target);
        SyncVec3(s, sceneTables.sceneCamera.up);
        SyncVec3(s, sceneRendering.shadowLight);
        return;
    case 36: s.Require(Finite(s.Value(sceneRendering.shadowLength)), "a value that is not a number"); return;
    case 37: s.Value(sceneRendering.shadowColour); return;
    }
}

void SceneObjectsReset() {
    ResetSceneObjects();
    ResetParticles();
}

// Row 48: the scene's emitter count; 49: the on/off byte of each. A load keeps the bytes
// of the emitters the scene has.
void SyncEmitters(SaveSync& s, int row) {
    if (row == 48) {
        uint32_t count = static_cast<uint32_t>(std::clamp(sceneTables.particleSystemCount, 0, kMaxParticleSystems));
        s.Sync(count);
        s.count = count;
        s.Require(s.Short() || count <= static_cast<uint32_t>(kMaxParticleSystems),
                  "more particle systems than a scene has");
        return;
    }
    if (s.Writing()) {
        for (uint32_t i = 0; i < s.count; ++i) s.Bytes(&sceneTables.particleSystemImages[i][0], 1);
        return;
    }
    const std::span<const uint8_t> onOff = s.Image(s.count, "the file is shorter than a saved game");
    if (!s.Applying()) return;
    for (size_t i = 0; i < onOff.size() && static_cast<int>(i) < sceneTables.particleSystemCount; ++i)
        sceneTables.particleSystemImages[i][0] = onOff[i];
}

}  // namespace

const Owner& RenderingValuesOwner() {
    static const Owner owner{owner_name::kRendering, ResetSceneRendering, nullptr, ResetSceneRendering,
                             SyncRenderingValues};
    return owner;
}

const Owner& SceneObjectsOwner() {
    static const Owner owner{owner_name::kSceneObjects, nullptr, nullptr, SceneObjectsReset,
                             SyncEmitters, LoadSceneFiles};
    return owner;
}

}  // namespace tarvex
