// The owners of the interaction tables: tools and action regions, the pending action,
// the game's progress (scene states and flags, notebook entry words) and the toolbar.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/registry.h"

namespace tarvex {

const Owner& ToolsAndRegionsOwner();
const Owner& PendingActionOwner();
const Owner& GameProgressOwner();
const Owner& ToolbarOwner();

// The saved image of a tool record and of an action region.
constexpr uint32_t kToolRecordSize = 468;
constexpr uint32_t kRegionRecordSize = 48;
// Row 42 repeats the first bytes of tool record 0; no reader uses it.
constexpr size_t kUnusedRowBytes = 228;
// Scenes 0..511 of the scene state and flag words are saved.
constexpr int kSavedSceneWords = 512;

}  // namespace tarvex
