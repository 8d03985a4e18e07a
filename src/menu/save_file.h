// The saved game's file: 52 rows in a fixed order (a thumbnail, the scene tables, the
// records of tools, regions, sound slots, animation slots and actors, and the game's
// single values), read into an image and checked whole before anything uses it.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/math.h"
#include "interaction/interaction_state.h"
#include "media/sound.h"
#include "model/actor.h"
#include "resources/anim_slot.h"

namespace tarvex {

constexpr uint32_t kToolRecordSize = 468;
constexpr uint32_t kRegionRecordSize = 48;
constexpr uint32_t kSoundSlotRecordSize = 152;
constexpr uint32_t kAnimSlotRecordSize = 220;
constexpr int kSavedSceneWords = 512;
constexpr int kSavedActors = 16;
constexpr int kSavedValues = 12;
constexpr size_t kSavedSubtitleUnits = 768;
constexpr size_t kUnusedRowBytes = 228;

// The twelve script and interface values, in their order in the file.
enum SavedValue {
    kValueSequenceStep, kValueEntry1, kValueEntry2, kValueEntry3, kValueToolbar, kValueEntry4, kValueEntry5,
    kValuePendingAction, kValueNotebookPage, kValueEntry6, kValueVerb, kValueHeldTool,
};

// A saved game as read from its file (no pointer of the file is ever kept).
struct SaveImage {
    bool hasThumbnail = false;
    std::vector<uint8_t> thumbnail;  // 150 rows of 200 pixels: blue, green, red, fourth byte
    int32_t currentScene = -1;
    std::array<uint32_t, kSavedSceneWords> sceneState{}, sceneFlags{};
    std::vector<ToolRecord> tools;
    int32_t mainSost = 0, mainFlags = 0;
    std::array<ActionRegion, kActionRegionCount> regions{};
    std::vector<SoundSlot> soundSlots;
    std::vector<AnimSlot> animSlots;
    int32_t previousScene = -1, postedEndEvent = -1;
    std::array<int32_t, kSavedValues> values{};
    uint32_t fadeState = 0, gammaLevel = 0;
    int32_t requestedTrack = 0, voiceMode = 0, playMode = 0;
    float frameRateCap = 32.0f;
    std::array<Vec3, 4> camera{};  // eye, target, up, shadow light
    float shadowLength = 0.25f;
    uint32_t shadowColour = 0, fogColour = 0;
    int32_t fogEnabled = 0;
    float fogStart = 0, fogEnd = 0;
    float subtitleTimer = 0;
    std::array<char16_t, kSavedSubtitleUnits> subtitle{};
    int32_t subtitleLength = 0;
    std::vector<ActorRecord> actors;
    std::vector<uint8_t> emitters;         // the on/off byte of each particle system
    int32_t choiceActive = 0, choiceFirst = 0, choiceCount = 0;
};

// Reads and checks a whole file; false with the reason when anything does not fit (a
// short or long file, a record size of another build, a number outside its table, a
// name without its end or naming a file outside the game folder, a record the loaders
// would refuse).
bool ParseSave(const uint8_t* data, size_t size, SaveImage& out, std::string& error);

// The records' images, one field list each (sizes as above).
void WriteToolRecord(const ToolRecord& t, uint8_t* out);
void ReadToolRecord(const uint8_t* in, ToolRecord& t);
void WriteRegionRecord(const ActionRegion& r, uint8_t* out);
void ReadRegionRecord(const uint8_t* in, ActionRegion& r);
void WriteSoundSlotRecord(const SoundSlot& s, uint8_t* out);
void ReadSoundSlotRecord(const uint8_t* in, SoundSlot& s);
void WriteAnimSlotRecord(const AnimSlot& s, uint8_t* out);
void ReadAnimSlotRecord(const uint8_t* in, AnimSlot& s);

// The file's bytes for the running game, with the given thumbnail (empty: none written).
std::vector<uint8_t> BuildSave(const std::vector<uint8_t>& thumbnail);

}  // namespace tarvex
