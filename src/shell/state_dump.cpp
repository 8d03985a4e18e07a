#include "shell/state_dump.h"

#include "base/globals.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "interaction/toolbar.h"
#include "media/sound.h"
#include "menu/menu.h"
#include "model/actor.h"
#include "model/model_file.h"
#include "platform/atomic_file.h"
#include "platform/display.h"
#include "resources/anim_slot.h"
#include "scripts/devices.h"
#include "scripts/notebook.h"
#include "scripts/script_api.h"
#include "shell/engine_counts.h"
#include "shell/json_writer.h"
#include "shell/scene_switch.h"
#include "shell/window_proc.h"
#include "text/dialogue.h"
#include "text/fonts.h"
#include "text/notice.h"

namespace tarvex {

namespace {

void SceneWordObject(JsonWriter& json, const char* name, const uint32_t* words) {
    json.Key(name).BeginObject();
    for (int i = 0; i < kSceneWords; ++i)
        if (words[i]) json.Member(std::to_string(i), words[i]);
    json.EndObject();
}

void WriteTools(JsonWriter& json) {
    json.Key("tools").BeginArray();
    for (int n = 0; n < kToolCount; ++n) {
        const ToolRecord& t = ToolTable[n];
        if (t.scene != currentScene || currentScene < 0) continue;
        json.BeginObject()
            .Member("tool", n)
            .Member("x", t.x)
            .Member("y", t.y)
            .Member("right", t.right)
            .Member("bottom", t.bottom)
            .Member("clickable", t.clickable)
            .Member("drawn", t.drawn)
            .EndObject();
    }
    json.EndArray();
}

void WriteRegions(JsonWriter& json) {
    json.Key("regions").BeginArray();
    for (int i = 0; i < kActionRegionCount; ++i) {
        const ActionRegion& r = actionRegions[i];
        if (!r.enabled) continue;
        json.BeginObject()
            .Member("index", i)
            .Member("scene", r.scene)
            .Member("left", r.left)
            .Member("top", r.top)
            .Member("right", r.right)
            .Member("bottom", r.bottom)
            .Member("cursor", r.cursor);
        json.Key("walk").BeginArray().Int(r.walkX).Int(r.walkY).EndArray();
        json.Key("facing").Number(r.facing);
        json.Member("action", r.action).Member("label", r.label).EndObject();
    }
    json.EndArray();
}

void WriteActors(JsonWriter& json) {
    json.Key("actors").BeginArray();
    for (int i = 0; i < kActorCount; ++i) {
        const ActorRecord& a = actors[i];
        if (!a.inUse) continue;
        std::string model;
        if (a.model >= 0 && a.model < kMaxModels) model = models[a.model].modelPath;
        json.BeginObject().Member("index", i).Key("model").String(model);
        json.Key("position").BeginArray().Number(a.position.x).Number(a.position.y).Number(a.position.z).EndArray();
        json.Key("heading").Number(a.heading);
        json.Member("motion", a.motion).Key("frame").Number(a.frame);
        json.Member("walking", a.walking).Member("clickable", a.clickable).EndObject();
    }
    json.EndArray();
}

void WriteSlots(JsonWriter& json) {
    json.Key("slots").BeginArray();
    for (int i = 0; i < kAnimSlotCount; ++i) {
        const AnimSlot& s = animSlots[i];
        if (!s.loaded) continue;
        json.BeginObject().Member("slot", i).Key("name").String(s.name).Member("mode", s.mode);
        json.Key("currentFrame").Number(s.currentFrame).Key("frameCount").Number(s.frameCount);
        json.Key("x").Number(s.x).Key("y").Number(s.y).EndObject();
    }
    json.EndArray();
}

void WriteSounds(JsonWriter& json) {
    json.Key("sounds").BeginArray();
    for (int i = 0; i < kSoundSlotCount; ++i) {
        const SoundSlot& s = soundSlots[i];
        if (!s.loaded) continue;
        json.BeginObject().Member("slot", i).Key("name").String(s.name);
        json.Key("playing").Bool(IsSlotPlaying(i)).EndObject();
    }
    json.EndArray();
}

}  // namespace

void WriteSceneWords(JsonWriter& json) {
    SceneWordObject(json, "sceneState", sceneState);
    SceneWordObject(json, "sceneFlags", sceneFlags);
}

void WriteInventory(JsonWriter& json) {
    json.Key("inventory").BeginArray();
    for (int n = 0; n < kToolCount; ++n)
        if (ToolTable[n].inInventory) json.Int(n);
    json.EndArray();
}

std::string StateJson(long long frame) {
    JsonWriter json;
    json.BeginObject();
    json.Member("frame", frame)
        .Member("menuActive", menuActive)
        .Member("menuInputState", menuInputState)
        .Member("playMode", playMode)
        .Member("currentScene", currentScene)
        .Member("previousScene", previousScene);
    WriteSceneWords(json);
    json.Member("verb", currentVerb)
        .Member("cursorPicture", cursorPicture)
        .Member("heldTool", heldTool)
        .Member("toolUnderPointer", toolUnderPointer)
        .Member("regionUnderPointer", regionUnderPointer)
        .Member("actorUnderPointer", actorUnderPointer)
        .Member("pointerX", cursorX)
        .Member("pointerY", cursorY)
        .Member("EXE", EXE)
        .Member("LeftKey", LeftKey)
        .Member("interfaceEnabled", interfaceEnabled)
        .Member("SCENETOOLBAR", SCENETOOLBAR)
        .Member("DRAWTOOLBAR", DRAWTOOLBAR)
        .Member("STARTTOOLBAR", STARTTOOLBAR)
        .Key("toolbarGridTop").Number(toolbarGridTop)
        .Member("MainSost", MainSost)
        .Member("DIALOG", DIALOG)
        .Key("sequenceClock").Number(sequenceClock);
    json.Key("pointerWorld").BeginArray().Number(pointerWorld.x).Number(pointerWorld.y).Number(pointerWorld.z).EndArray();
    json.Member("padNumber", padNumber).Member("padDigits", padDigits).Member("keyCount", numberdigit);
    std::string typed;
    for (char c : codechar) {
        if (c == 0) break;
        typed += c;
    }
    json.Key("typed").String(Cp1251ToUtf8(typed));
    WriteInventory(json);
    WriteTools(json);
    WriteRegions(json);
    json.Key("subtitle").BeginObject().Key("text").String(Utf16ToUtf8(SubtitleString()));
    json.Member("length", subtitleLength).Key("timer").Number(subtitleTimer).EndObject();
    json.Key("notice").String(CurrentNotice());
    json.Key("choice").BeginObject().Key("active").Bool(choiceActive != 0);
    json.Member("first", choiceFirst).Member("count", choiceCount).Member("selected", choiceSelected).EndObject();
    json.Key("notebook").BeginObject().Member("NotepadPosition", NotepadPosition).Key("entries").BeginArray();
    for (uint32_t word : notebookEntries) json.Int(word);
    json.EndArray().Key("newEntry").Bool(notebookNewEntry != 0).EndObject();
    WriteActors(json);
    WriteSlots(json);
    WriteSounds(json);
    json.Member("musicTrack", currentTrack)
        .Member("requestedTrack", requestedTrack)
        .Member("gammaLevel", gammaLevel)
        .Member("gammaMax", gammaMax)
        .Member("fadeState", fadeState)
        .Member("voiceMode", voiceMode);
    int windowWidth = 0, windowHeight = 0;
    GetWindowSize(windowWidth, windowHeight);
    json.Key("window").BeginObject().Member("width", windowWidth).Member("height", windowHeight);
    json.Key("fullScreen").Bool(IsFullScreen()).Key("pointerConfined").Bool(PointerConfined()).EndObject();
    json.Key("engine");
    WriteEngineCounts(json, CollectEngineCounts());
    json.EndObject();
    return json.Text() + "\n";
}

bool WriteStateDump(const std::string& path, long long frame) {
    const std::string text = StateJson(frame);
    return WriteFileAtomically(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

}  // namespace tarvex
