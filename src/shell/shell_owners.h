// The owners of the shell's tables: the frame's scene values, the scene switch and its
// fades, the frame's play values, the main state, and the input devices with the window.
#pragma once
#include "base/registry.h"

namespace tarvex {

const Owner& FrameValuesOwner();
const Owner& SceneSwitchOwner();
const Owner& PlayValuesOwner();
const Owner& MainStateOwner();
const Owner& InputOwner();

}  // namespace tarvex
