// The owners of the rendering tables: the camera, shadow and fog-colour values a scene
// sets, and the scene's objects (lights, mirror, particle systems) made from its files.
#pragma once
#include "base/registry.h"

namespace tarvex {

const Owner& RenderingValuesOwner();
const Owner& SceneObjectsOwner();

}  // namespace tarvex
