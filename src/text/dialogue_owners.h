// The owners of the text tables: the dialogue (voice folder, subtitle, choice list) and
// the notices of the moment.
#pragma once
#include <cstddef>

#include "base/registry.h"

namespace tarvex {

const Owner& DialogueOwner();
const Owner& NoticesOwner();

// The first 768 UTF-16 code units of the subtitle are saved.
constexpr size_t kSavedSubtitleUnits = 768;

}  // namespace tarvex
