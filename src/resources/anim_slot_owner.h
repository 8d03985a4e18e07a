// The owner of the animation slots: their records in the saved game (the scene's
// sequences are loaded again after a load, at the frame they had; the interface's own
// pictures stay) and their part of the state dump.
#pragma once
#include <cstdint>

#include "base/registry.h"

namespace tarvex {

const Owner& AnimSlotsOwner();

constexpr uint32_t kAnimSlotRecordSize = 220;

}  // namespace tarvex
