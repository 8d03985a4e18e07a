#include "menu/save_file.h"

#include <cmath>
#include <cstring>

#include "base/byte_io.h"
#include "base/globals.h"
#include "base/scene_request.h"
#include "interaction/game_state.h"
#include "render/frame_render.h"
#include "resources/file_lookup.h"
#include "scene/scene_description.h"
#include "scripts/notebook.h"
#include "scripts/script_api.h"
#include "text/dialogue.h"

namespace tarvex {

namespace {

constexpr int32_t kThumbnailMark = -1;
constexpr size_t kThumbnailSize = 200 * 150 * 4;
constexpr int kLastScene = 298;

// Field lists: offset in the record's image, the field, its size. One list reads and writes.
template <typename T, typename F>
void ToolFields(T& t, F&& f) {
    f(0, &t.inInventory, 1);
    f(4, &t.scene, 4);
    f(8, &t.drawn, 1);
    f(10, &t.x, 2);
    f(12, &t.y, 2);
    f(14, &t.offsetX, 2);
    f(16, &t.offsetY, 2);
    f(18, &t.right, 2);
    f(20, &t.bottom, 2);
    f(22, &t.width, 2);
    f(24, &t.height, 2);
    f(26, &t.clickable, 1);
    f(27, &t.ownCursor, 1);
    f(28, &t.hasPicture, 1);
    f(29, t.pictureName, sizeof t.pictureName);
    // 160: the scene picture's address, which means nothing in a file.
    f(164, &t.firstLook, 1);
    f(168, &t.lookLine, 4);
    f(172, &t.useLine, 4);
    f(176, &t.pickupLine, 4);
    f(180, &t.lookInventoryLine, 4);
    f(184, &t.useInventoryLine, 4);
    f(188, &t.talkLine, 4);
    f(192, &t.refusalLine, 4);
    f(196, &t.sectionOffset, 4);
    // 200: the inventory picture's address.
    f(204, &t.newItemTimer, 4);
}
static_assert(29 + sizeof(ToolRecord::pictureName) <= 160 && 208 <= kToolRecordSize);

template <typename T, typename F>
void RegionFields(T& r, F&& f) {
    f(0, &r.scene, 4);
    f(4, &r.left, 4);
    f(8, &r.top, 4);
    f(12, &r.right, 4);
    f(16, &r.bottom, 4);
    f(20, &r.enabled, 4);
    f(24, &r.cursor, 4);
    f(28, &r.label, 4);
    f(32, &r.walkX, 4);
    f(36, &r.walkY, 4);
    f(40, &r.action, 4);
    f(44, &r.facing, 4);
}
static_assert(sizeof(ActionRegion) == kRegionRecordSize);

template <typename T, typename F>
void SoundSlotFields(T& s, F&& f) {
    f(0, &s.playing, 1);
    f(1, &s.loaded, 1);
    f(4, &s.level, 4);
    f(8, &s.pan, 4);
    f(12, &s.loop, 4);
    f(16, s.name, sizeof s.name);
    // 144: the sound buffer, rebuilt from the name.
    f(148, &s.position, 4);
}
static_assert(16 + sizeof(SoundSlot::name) <= 144 && 152 <= kSoundSlotRecordSize);

template <typename T, typename F>
void AnimSlotFields(T& s, F&& f) {
    // 0: the frames' address, rebuilt from the name.
    f(4, &s.x, 4);
    f(8, &s.y, 4);
    f(12, &s.frameCount, 4);
    f(16, &s.currentFrame, 4);
    f(20, &s.randomAccumulator, 4);
    f(24, &s.speed, 4);
    f(28, &s.mode, 4);
    f(32, &s.endRule, 4);
    f(36, &s.soundAtFrame, 1);
    f(40, &s.soundFrame, 4);
    f(44, &s.endEvent, 4);
    f(48, &s.vanishAtEnd, 1);
    f(52, &s.light, 4);
    f(56, &s.lightOnState, 1);
    f(57, &s.flicker, 1);
    f(60, &s.flickerThreshold, 4);
    f(64, &s.alphaBlend, 1);
    f(65, &s.isTexture, 1);
    f(66, s.name, sizeof s.name);
    f(194, &s.loaded, 1);
}
static_assert(66 + sizeof(AnimSlot::name) <= 194 && 195 <= kAnimSlotRecordSize);

bool Terminated(const char* name, size_t size) { return std::memchr(name, 0, size) != nullptr; }
// Saves are passed between players: a name the loaders open follows the rules of a
// script's names, so that no file outside the game folder is read. Empty means none.
bool InsideGame(const char* name) { return name[0] == 0 || IsGamePath(name); }
bool Finite(float v) { return std::isfinite(v); }
bool Finite(const Vec3& v) { return Finite(v.x) && Finite(v.y) && Finite(v.z); }

bool Refuse(std::string& error, const std::string& why) {
    error = why;
    return false;
}

void PutVec3(ByteWriter& w, const Vec3& v) {
    w.F32(v.x);
    w.F32(v.y);
    w.F32(v.z);
}

Vec3 GetVec3(ByteReader& r) {
    Vec3 v;
    v.x = r.F32();
    v.y = r.F32();
    v.z = r.F32();
    return v;
}

template <typename Record, typename Read>
bool ReadRecords(ByteReader& r, uint32_t size, int count, std::vector<Record>& out, Read&& read) {
    out.assign(static_cast<size_t>(count), Record{});
    for (Record& rec : out) {
        const std::span<const uint8_t> image = r.View(size);
        if (image.size() != size) return false;
        read(image.data(), rec);
    }
    return true;
}

}  // namespace

void WriteToolRecord(const ToolRecord& t, uint8_t* out) { WriteRecord(t, out, kToolRecordSize, [](auto& r, auto&& f) { ToolFields(r, f); }); }
void ReadToolRecord(const uint8_t* in, ToolRecord& t) { ReadRecord(t, in, kToolRecordSize, [](auto& r, auto&& f) { ToolFields(r, f); }); }
void WriteRegionRecord(const ActionRegion& g, uint8_t* out) { WriteRecord(g, out, kRegionRecordSize, [](auto& r, auto&& f) { RegionFields(r, f); }); }
void ReadRegionRecord(const uint8_t* in, ActionRegion& g) { ReadRecord(g, in, kRegionRecordSize, [](auto& r, auto&& f) { RegionFields(r, f); }); }
void WriteSoundSlotRecord(const SoundSlot& s, uint8_t* out) { WriteRecord(s, out, kSoundSlotRecordSize, [](auto& r, auto&& f) { SoundSlotFields(r, f); }); }
void ReadSoundSlotRecord(const uint8_t* in, SoundSlot& s) { ReadRecord(s, in, kSoundSlotRecordSize, [](auto& r, auto&& f) { SoundSlotFields(r, f); }); }
void WriteAnimSlotRecord(const AnimSlot& s, uint8_t* out) { WriteRecord(s, out, kAnimSlotRecordSize, [](auto& r, auto&& f) { AnimSlotFields(r, f); }); }
void ReadAnimSlotRecord(const uint8_t* in, AnimSlot& s) { ReadRecord(s, in, kAnimSlotRecordSize, [](auto& r, auto&& f) { AnimSlotFields(r, f); }); }

std::vector<uint8_t> BuildSave(const std::vector<uint8_t>& thumbnail) {
    ByteWriter w;
    // The tables make up nearly all of a save: room for them and the thumbnail at once
    // (the few single values fit in the slack).
    w.Reserve(4 + thumbnail.size() + 2 * sizeof(uint32_t) * kSavedSceneWords + kToolRecordSize * kToolCount +
              kRegionRecordSize * std::size(actionRegions) + kSoundSlotRecordSize * std::size(soundSlots) +
              kAnimSlotRecordSize * std::size(animSlots) + kActorRecordSize * kSavedActors +
              2 * kSavedSubtitleUnits + kUnusedRowBytes + kMaxParticleSystems + 1024);
    std::vector<uint8_t> image;
    if (thumbnail.size() == kThumbnailSize) {
        w.I32(kThumbnailMark);
        w.Bytes(thumbnail.data(), thumbnail.size());
    }
    w.I32(currentScene);
    for (int i = 0; i < kSavedSceneWords; ++i) w.U32(sceneState[i]);
    for (int i = 0; i < kSavedSceneWords; ++i) w.U32(sceneFlags[i]);
    w.U32(kToolRecordSize);
    image.resize(kToolRecordSize);
    std::vector<uint8_t> firstTool;
    for (int n = 0; n < kToolCount; ++n) {
        WriteToolRecord(ToolTable[n], image.data());
        if (n == 0) firstTool = image;
        w.Bytes(image.data(), image.size());
    }
    w.I32(MainSost);
    w.I32(MainFlags);
    image.resize(kRegionRecordSize);
    for (const ActionRegion& r : actionRegions) {
        WriteRegionRecord(r, image.data());
        w.Bytes(image.data(), image.size());
    }
    w.U32(kSoundSlotRecordSize);
    image.resize(kSoundSlotRecordSize);
    for (const SoundSlot& s : soundSlots) {
        WriteSoundSlotRecord(s, image.data());
        w.Bytes(image.data(), image.size());
    }
    w.U32(kAnimSlotRecordSize);
    image.resize(kAnimSlotRecordSize);
    for (const AnimSlot& s : animSlots) {
        WriteAnimSlotRecord(s, image.data());
        w.Bytes(image.data(), image.size());
    }
    w.I32(previousScene);
    w.I32(postedEndEvent);
    const int32_t values[kSavedValues] = {
        DIALOG,
        static_cast<int32_t>(notebookEntries[0]),
        static_cast<int32_t>(notebookEntries[1]),
        static_cast<int32_t>(notebookEntries[2]),
        DRAWTOOLBAR,
        static_cast<int32_t>(notebookEntries[3]),
        static_cast<int32_t>(notebookEntries[4]),
        EXE,
        NotepadPosition,
        static_cast<int32_t>(notebookEntries[5]),
        currentVerb,
        heldTool,
    };
    for (int32_t v : values) w.I32(v);
    w.U32(fadeState);
    w.U32(gammaLevel);
    w.I32(requestedTrack);
    w.I32(voiceMode);
    w.I32(playMode);
    w.F32(frameRateCap);
    PutVec3(w, sceneCamera.eye);
    PutVec3(w, sceneCamera.target);
    PutVec3(w, sceneCamera.up);
    PutVec3(w, shadowLight);
    w.F32(shadowLength);
    w.U32(shadowColour);
    w.U32(fogColour);
    w.I32(fogEnabled ? 1 : 0);
    w.F32(fogStart);
    w.F32(fogEnd);
    // A row no reader uses: the start of tool record 0 again.
    w.Bytes(firstTool.data(), kUnusedRowBytes);
    w.F32(subtitleTimer);
    for (size_t i = 0; i < kSavedSubtitleUnits; ++i) w.U16(subtitleText[i]);
    w.I32(subtitleLength);
    w.U32(static_cast<uint32_t>(kActorRecordSize));
    image.resize(kActorRecordSize);
    for (int i = 0; i < kSavedActors; ++i) {
        SerializeActor(actors[i], image.data());
        w.Bytes(image.data(), image.size());
    }
    const int emitters = std::clamp(particleSystemCount, 0, kMaxParticleSystems);
    w.U32(static_cast<uint32_t>(emitters));
    for (int i = 0; i < emitters; ++i) w.U8(particleSystemImages[i][0]);
    w.I32(choiceActive);
    w.I32(choiceFirst);
    w.I32(choiceCount);
    return w.Take();
}

bool ParseSave(const uint8_t* data, size_t size, SaveImage& out, std::string& error) {
    ByteReader r(data, size);
    SaveImage s;
    const int32_t first = r.I32();
    if (first == kThumbnailMark) {
        s.hasThumbnail = true;
        const std::span<const uint8_t> thumb = r.View(kThumbnailSize);
        s.thumbnail.assign(thumb.begin(), thumb.end());
        s.currentScene = r.I32();
    } else {
        s.currentScene = first;  // an older file without a thumbnail
    }
    for (uint32_t& v : s.sceneState) v = r.U32();
    for (uint32_t& v : s.sceneFlags) v = r.U32();
    if (!r.ok()) return Refuse(error, "the file is shorter than a saved game");
    if (r.U32() != kToolRecordSize) return Refuse(error, "tool records of another size (another version)");
    if (!ReadRecords(r, kToolRecordSize, kToolCount, s.tools, ReadToolRecord)) return Refuse(error, "the file ends inside the tools");
    s.mainSost = r.I32();
    s.mainFlags = r.I32();
    for (ActionRegion& g : s.regions) {
        const std::span<const uint8_t> image = r.View(kRegionRecordSize);
        if (image.size() != kRegionRecordSize) return Refuse(error, "the file ends inside the regions");
        ReadRegionRecord(image.data(), g);
    }
    if (r.U32() != kSoundSlotRecordSize) return Refuse(error, "sound slots of another size (another version)");
    if (!ReadRecords(r, kSoundSlotRecordSize, kSoundSlotCount, s.soundSlots, ReadSoundSlotRecord))
        return Refuse(error, "the file ends inside the sound slots");
    if (r.U32() != kAnimSlotRecordSize) return Refuse(error, "animation slots of another size (another version)");
    if (!ReadRecords(r, kAnimSlotRecordSize, kAnimSlotCount, s.animSlots, ReadAnimSlotRecord))
        return Refuse(error, "the file ends inside the animation slots");
    s.previousScene = r.I32();
    s.postedEndEvent = r.I32();
    for (int32_t& v : s.values) v = r.I32();
    s.fadeState = r.U32();
    s.gammaLevel = r.U32();
    s.requestedTrack = r.I32();
    s.voiceMode = r.I32();
    s.playMode = r.I32();
    s.frameRateCap = r.F32();
    for (Vec3& v : s.camera) v = GetVec3(r);
    s.shadowLength = r.F32();
    s.shadowColour = r.U32();
    s.fogColour = r.U32();
    s.fogEnabled = r.I32();
    s.fogStart = r.F32();
    s.fogEnd = r.F32();
    r.Skip(kUnusedRowBytes);
    s.subtitleTimer = r.F32();
    for (char16_t& c : s.subtitle) c = static_cast<char16_t>(r.U16());
    s.subtitleLength = r.I32();
    if (!r.ok()) return Refuse(error, "the file is shorter than a saved game");
    if (r.U32() != kActorRecordSize) return Refuse(error, "actors of another size (another version)");
    s.actors.resize(kSavedActors);
    for (int i = 0; i < kSavedActors; ++i) {
        const std::span<const uint8_t> image = r.View(kActorRecordSize);
        if (image.size() != kActorRecordSize) return Refuse(error, "the file ends inside the actors");
        const bool inUse = image[0] != 0;
        if (inUse && !ActorImageSound(image.data())) return Refuse(error, "an actor the engine cannot place");
        DeserializeActor(image.data(), s.actors[i]);
    }
    const uint32_t emitters = r.U32();
    if (!r.ok()) return Refuse(error, "the file is shorter than a saved game");
    if (emitters > static_cast<uint32_t>(kMaxParticleSystems)) return Refuse(error, "more particle systems than a scene has");
    const std::span<const uint8_t> onOff = r.View(emitters);
    s.emitters.assign(onOff.begin(), onOff.end());
    s.choiceActive = r.I32();
    s.choiceFirst = r.I32();
    s.choiceCount = r.I32();
    if (!r.ok()) return Refuse(error, "the file is shorter than a saved game");
    if (!r.AtEnd()) return Refuse(error, "the file is longer than a saved game");

    // Numbers that index the engine's tables. The script values (the sequence step, the
    // notebook page, the verb ...) are taken as they stand: their users keep to the values
    // they know.
    if (s.currentScene < 0 || s.currentScene > kLastScene) return Refuse(error, "a scene number outside the game");
    if (s.previousScene < -1 || s.previousScene > kLastScene) return Refuse(error, "a scene number outside the game");
    const int32_t held = s.values[kValueHeldTool];
    if (held < -1 || held >= kToolCount) return Refuse(error, "a held tool outside the tool table");
    if (s.gammaLevel > kGammaMaxLimit) return Refuse(error, "a brightness beyond the gamma ramps");
    if (!Finite(s.frameRateCap) || !Finite(s.shadowLength) || !Finite(s.fogStart) || !Finite(s.fogEnd) ||
        !Finite(s.subtitleTimer))
        return Refuse(error, "a value that is not a number");
    for (const Vec3& v : s.camera)
        if (!Finite(v)) return Refuse(error, "a value that is not a number");
    for (const ToolRecord& t : s.tools) {
        if (!Terminated(t.pictureName, sizeof t.pictureName) || !Finite(t.newItemTimer))
            return Refuse(error, "a tool record the engine cannot read");
        if (!InsideGame(t.pictureName)) return Refuse(error, "a tool picture named outside the game folder");
    }
    for (const SoundSlot& slot : s.soundSlots) {
        if (!Terminated(slot.name, sizeof slot.name)) return Refuse(error, "a sound slot without the end of its name");
        if (!InsideGame(slot.name)) return Refuse(error, "a sound named outside the game folder");
    }
    for (const AnimSlot& slot : s.animSlots) {
        if (!Terminated(slot.name, sizeof slot.name)) return Refuse(error, "an animation slot without the end of its name");
        if (!InsideGame(slot.name)) return Refuse(error, "an animation named outside the game folder");
        if (!Finite(slot.x) || !Finite(slot.y) || !Finite(slot.frameCount) || !Finite(slot.currentFrame) ||
            !Finite(slot.speed) || !Finite(slot.flickerThreshold) || !Finite(slot.randomAccumulator) ||
            slot.light < -1 || slot.light >= kMaxPointLights)
            return Refuse(error, "an animation slot the engine cannot play");
    }
    out = std::move(s);
    return true;
}

}  // namespace tarvex
