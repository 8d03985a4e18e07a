// The owner of the sound slots: their records in the saved game (playing sounds go on
// where they were after a load) and their part of the state dump.
#pragma once
#include <cstdint>

#include "base/registry.h"

namespace tarvex {

const Owner& SoundSlotsOwner();

constexpr uint32_t kSoundSlotRecordSize = 152;

}  // namespace tarvex
