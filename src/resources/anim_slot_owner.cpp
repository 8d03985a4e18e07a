#include "resources/anim_slot_owner.h"

#include <algorithm>

#include "base/json_writer.h"
#include "base/owner_names.h"
#include "resources/anim_slot.h"
#include "resources/frame_sequence.h"
#include "resources/save_sync.h"

namespace tarvex {

namespace {

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

auto animSlotFields = [](auto& s, auto&& f) { AnimSlotFields(s, f); };

// The slots a load fills again from their names.
bool reload[kAnimSlotCount];

void SceneReset() {
    ResetSceneSlots();
    animation.postedEndEvent = -1;
}

bool Playable(const AnimSlot& s) {
    return Finite(s.x) && Finite(s.y) && Finite(s.frameCount) && Finite(s.currentFrame) && Finite(s.speed) &&
           Finite(s.flickerThreshold) && Finite(s.randomAccumulator) && s.light >= -1 && s.light < kSlotLightCount;
}

// Read into the running game: the interface's own pictures stay (the file's record is
// dropped); a scene slot takes the record, its frames loaded again once the tables are in.
void TakeSlot(int i, const AnimSlot& saved) {
    AnimSlot& live = animation.animSlots[i];
    reload[i] = false;
    if (live.isTexture) return;
    ReleaseSlotFrames(live);
    live = saved;
    live.frames = nullptr;
    live.isTexture = 0;
    if (saved.isTexture || !(saved.loaded || saved.mode != 0) || saved.name[0] == 0) {
        live.loaded = 0;
        live.frameCount = 0;
        return;
    }
    reload[i] = true;
}

void SyncAnimSlots(SaveSync& s, int row) {
    if (row == 13) return s.RecordSize(kAnimSlotRecordSize, "animation slots of another size (another version)");
    if (row == 16) {
        s.Value(animation.postedEndEvent);
        return;
    }
    for (int i = 0; i < kAnimSlotCount; ++i) {
        AnimSlot slot = s.Writing() ? animation.animSlots[i] : AnimSlot{};
        if (!s.Record(slot, kAnimSlotRecordSize, animSlotFields, "the file ends inside the animation slots")) return;
        if (!s.Require(Terminated(slot.name, sizeof slot.name), "an animation slot without the end of its name") ||
            !s.Require(InsideGame(slot.name), "an animation named outside the game folder") ||
            !s.Require(Playable(slot), "an animation slot the engine cannot play"))
            return;
        if (s.Applying()) TakeSlot(i, slot);
    }
}

void RebuildAnimSlots() {
    for (int i = 0; i < kAnimSlotCount; ++i) {
        if (!reload[i]) continue;
        reload[i] = false;
        const AnimSlot saved = animation.animSlots[i];
        LoadFrameSequence(saved.name, i, static_cast<int>(saved.x), static_cast<int>(saved.y), saved.mode, saved.speed,
                          saved.vanishAtEnd, saved.endRule, saved.flicker, saved.flickerThreshold, saved.light,
                          saved.lightOnState);
        AnimSlot& slot = animation.animSlots[i];
        slot.x = saved.x;
        slot.y = saved.y;
        slot.endEvent = saved.endEvent;
        slot.soundAtFrame = saved.soundAtFrame;
        slot.soundFrame = saved.soundFrame;
        slot.randomAccumulator = saved.randomAccumulator;
        if (slot.frameCount > 0) slot.currentFrame = std::clamp(saved.currentFrame, 0.0f, slot.frameCount);
    }
}

void DumpAnimSlots(JsonWriter& json, int) {
    json.Key("slots").BeginArray();
    for (int i = 0; i < kAnimSlotCount; ++i) {
        const AnimSlot& s = animation.animSlots[i];
        if (!s.loaded) continue;
        json.BeginObject().Member("slot", i).Key("name").String(s.name).Member("mode", s.mode);
        json.Key("currentFrame").Number(s.currentFrame).Key("frameCount").Number(s.frameCount);
        json.Key("x").Number(s.x).Key("y").Number(s.y).EndObject();
    }
    json.EndArray();
}

// The slots as the workbench shows them.
#define SLOT(f) animation.animSlots[row].f
constexpr TableField kSlotFields[] = {
    TARVEX_TABLE_FIELD("x", SLOT(x), -32768, 32767),
    TARVEX_TABLE_FIELD("y", SLOT(y), -32768, 32767),
    TARVEX_TABLE_READ("frameCount", SLOT(frameCount)),
    TARVEX_TABLE_FIELD("currentFrame", SLOT(currentFrame), 0, 1e6),
    TARVEX_TABLE_FIELD("speed", SLOT(speed), -1e6, 1e6),
    TARVEX_TABLE_FIELD("mode", SLOT(mode), 0, 2),
    TARVEX_TABLE_FIELD("endRule", SLOT(endRule), 0, 2),
    TARVEX_TABLE_FIELD("endEvent", SLOT(endEvent), -1, INT32_MAX),
    TARVEX_TABLE_READ("isTexture", SLOT(isTexture)),
};
#undef SLOT
const TableView kSlotViews[] = {
    {"slots", kAnimSlotCount, [](int row) { return animation.animSlots[row].loaded != 0; }, kSlotFields,
     [](int row) -> const char* { return animation.animSlots[row].name; }},
};

}  // namespace

const Owner& AnimSlotsOwner() {
    static const Owner owner{owner_name::kSlots, ResetAnimSlots, nullptr, SceneReset, SyncAnimSlots, RebuildAnimSlots,
                             DumpAnimSlots, kSlotViews};
    return owner;
}

}  // namespace tarvex
