#include "menu/save_file.h"

#include <iterator>

#include "base/byte_io.h"
#include "base/globals.h"
#include "base/owner_names.h"
#include "base/registry.h"
#include "base/scene_request.h"
#include "interaction/game_state.h"
#include "interaction/interaction_owners.h"
#include "interaction/interaction_state.h"
#include "media/sound.h"
#include "media/sound_owner.h"
#include "menu/saved_games.h"
#include "model/actor.h"
#include "model/actor_owner.h"
#include "render/frame_render.h"
#include "resources/anim_slot.h"
#include "resources/anim_slot_owner.h"
#include "resources/file_lookup.h"
#include "resources/save_sync.h"
#include "scene/scene_description.h"
#include "scripts/notebook.h"
#include "scripts/script_api.h"
#include "text/dialogue.h"
#include "text/dialogue_owners.h"

namespace tarvex {

namespace {

using namespace owner_name;

constexpr SaveRow kRows[] = {
    {1, kThumbnail},   {2, kThumbnail},
    {3, kSceneSwitch}, {4, kProgress},
    {5, kProgress},    {6, kTools},
    {7, kTools},       {8, kMainState},
    {9, kMainState},   {10, kTools},
    {11, kSounds},     {12, kSounds},
    {13, kSlots},      {14, kSlots},
    {15, kSceneSwitch}, {16, kSlots},
    // The twelve script and interface values.
    {17, kScripts},    {18, kProgress},
    {19, kProgress},   {20, kProgress},
    {21, kToolbar},   {22, kProgress},
    {23, kProgress},   {24, kPendingAction},
    {25, kScripts},    {26, kProgress},
    {27, kTools},      {28, kTools},
    {29, kSceneSwitch}, {30, kSceneSwitch},
    {31, kMainState},  {32, kDialogue},
    {33, kPlayValues}, {34, kFrame},
    {35, kRendering},  {36, kRendering},
    {37, kRendering},  {38, kFrame},
    {39, kFrame},      {40, kFrame},
    {41, kFrame},      {42, kTools},
    {43, kDialogue},   {44, kDialogue},
    {45, kDialogue},   {46, kActors},
    {47, kActors},    {48, kSceneObjects},
    {49, kSceneObjects}, {50, kDialogue},
    {51, kDialogue},   {52, kDialogue},
};
static_assert(std::size(kRows) == 52);

// The last row of the scene's tables: a load rebuilds what they name before reading on.
constexpr int kLastSceneTableRow = 14;

// The rows `first`..`last` through their owners; false once the file is refused.
bool WalkRows(SaveSync& s, int first, int last) {
    for (const SaveRow& row : kRows) {
        if (row.number < first || row.number > last) continue;
        const Owner* owner = FindOwner(row.owner);
        if (!owner || !owner->sync) {
            s.Require(false, "the game's tables are not registered");
            return false;
        }
        owner->sync(s, row.number);
        if (s.Refused()) return false;
        if (s.Short()) return s.Require(false, "the file is shorter than a saved game");
    }
    return true;
}

}  // namespace

std::span<const SaveRow> SaveRows() { return kRows; }

std::vector<uint8_t> BuildSave(const std::vector<uint8_t>& thumbnail) {
    ByteWriter w;
    // The tables make up nearly all of a save: room for them and the thumbnail at once
    // (the single values fit in the slack).
    w.Reserve(4 + thumbnail.size() + 2 * sizeof(uint32_t) * kSavedSceneWords + kToolRecordSize * kToolCount +
              kRegionRecordSize * kActionRegionCount + kSoundSlotRecordSize * kSoundSlotCount +
              kAnimSlotRecordSize * kAnimSlotCount + kActorRecordSize * kSavedActors + 2 * kSavedSubtitleUnits +
              kUnusedRowBytes + kMaxParticleSystems + 1024);
    SaveSync s(w);
    s.thumbnail = thumbnail;
    if (!WalkRows(s, 1, 52)) return {};
    return w.Take();
}

bool CheckSave(const uint8_t* data, size_t size, std::string& error, std::vector<uint8_t>* thumbnail) {
    ByteReader r(data, size);
    SaveSync s(r, SaveMode::Check);
    if (WalkRows(s, 1, 52)) s.Require(s.AtEnd(), "the file is longer than a saved game");
    if (s.Refused()) {
        error = s.error();
        return false;
    }
    if (thumbnail) *thumbnail = std::move(s.thumbnail);
    return true;
}

void ReadSave(const uint8_t* data, size_t size, bool rebuild) {
    ByteReader r(data, size);
    SaveSync s(r, SaveMode::Read);
    WalkRows(s, 1, kLastSceneTableRow);
    if (rebuild) RebuildOwners();
    WalkRows(s, kLastSceneTableRow + 1, 52);
}

}  // namespace tarvex
