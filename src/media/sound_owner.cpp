#include "media/sound_owner.h"

#include "base/json_writer.h"
#include "base/owner_names.h"
#include "media/sound.h"
#include "resources/save_sync.h"

namespace tarvex {

namespace {

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

auto soundSlotFields = [](auto& s, auto&& f) { SoundSlotFields(s, f); };

void SceneReset() {
    StopAllSlots();
    ResetSceneSounds();
}

// Read into the running game, a slot holds the file's record until the sounds are loaded
// again from their names.
void SyncSoundSlots(SaveSync& s, int row) {
    if (row == 11) return s.RecordSize(kSoundSlotRecordSize, "sound slots of another size (another version)");
    for (SoundSlot& live : soundTables.soundSlots) {
        SoundSlot slot = s.Writing() ? live : SoundSlot{};
        if (!s.Record(slot, kSoundSlotRecordSize, soundSlotFields, "the file ends inside the sound slots")) return;
        if (!s.Require(Terminated(slot.name, sizeof slot.name), "a sound slot without the end of its name") ||
            !s.Require(InsideGame(slot.name), "a sound named outside the game folder"))
            return;
        if (s.Applying()) live = slot;
    }
}

// Loaded again from their names; those that played go on where they were.
void RebuildSoundSlots() {
    for (int i = 0; i < kSoundSlotCount; ++i) {
        const SoundSlot saved = soundTables.soundSlots[i];
        soundTables.soundSlots[i] = SoundSlot{};
        if (!saved.loaded || saved.name[0] == 0) continue;
        LoadSound(saved.name, i);
        soundTables.soundSlots[i].level = saved.level;
        soundTables.soundSlots[i].pan = saved.pan;
        soundTables.soundSlots[i].loop = saved.loop;
        if (saved.playing && soundTables.soundOn && soundTables.soundSlots[i].buffer >= 0) {
            PlaySlot(i, saved.level, saved.pan, saved.loop);
            SetSlotPosition(i, saved.position);
        }
    }
}

// The state dump's part 0: the loaded slots; 1: the music track playing.
void DumpSoundSlots(JsonWriter& json, int part) {
    if (part == 1) {
        json.Member("musicTrack", soundTables.currentTrack);
        return;
    }
    json.Key("sounds").BeginArray();
    for (int i = 0; i < kSoundSlotCount; ++i) {
        const SoundSlot& s = soundTables.soundSlots[i];
        if (!s.loaded) continue;
        json.BeginObject().Member("slot", i).Key("name").String(s.name);
        json.Key("playing").Bool(IsSlotPlaying(i)).EndObject();
    }
    json.EndArray();
}

// The sound slots as the workbench shows them.
#define SOUND(f) soundTables.soundSlots[row].f
constexpr TableField kSoundFields[] = {
    TARVEX_TABLE_READ("playing", IsSlotPlaying(row)),
    TARVEX_TABLE_READ("loaded", SOUND(loaded)),
    TARVEX_TABLE_FIELD("level", SOUND(level), -10000, 10000),
    TARVEX_TABLE_FIELD("pan", SOUND(pan), -10000, 10000),
    TARVEX_TABLE_FIELD("loop", SOUND(loop), 0, 1),
};
#undef SOUND
const TableView kSoundViews[] = {
    {"sounds", kSoundSlotCount, [](int row) { return soundTables.soundSlots[row].loaded != 0; }, kSoundFields,
     [](int row) -> const char* { return soundTables.soundSlots[row].name; }},
};

}  // namespace

const Owner& SoundSlotsOwner() {
    static const Owner owner{owner_name::kSounds, ResetSound, nullptr, SceneReset, SyncSoundSlots, RebuildSoundSlots,
                             DumpSoundSlots, kSoundViews};
    return owner;
}

}  // namespace tarvex
