// tarvex-tool save FILE [--thumbnail OUT.png]: what a saved game holds, read and checked
// as the engine's loader reads it.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/json_writer.h"
#include "formats/output.h"
#include "interaction/game_state.h"
#include "interaction/interaction_owners.h"
#include "interaction/interaction_state.h"
#include "media/sound.h"
#include "menu/save_file.h"
#include "model/actor.h"
#include "model/actor_owner.h"
#include "platform/font.h"
#include "platform/png_io.h"
#include "resources/anim_slot.h"
#include "shell/game_tables.h"
#include "base/globals.h"
#include "shell/scene_switch.h"
#include "text/dialogue.h"
#include "text/dialogue_owners.h"
#include "tool_command.h"

namespace tarvex::tool {

static void SceneWords(JsonWriter& json, const char* name, const uint32_t* words) {
    json.Key(name).BeginObject();
    for (int i = 0; i < kSavedSceneWords; ++i)
        if (words[i]) json.Member(std::to_string(i), words[i]);
    json.EndObject();
}

static bool WriteThumbnail(const std::vector<uint8_t>& thumbnail, const std::string& png) {
    std::vector<uint8_t> rgb(static_cast<size_t>(200) * 150 * 3);
    for (size_t i = 0; i < static_cast<size_t>(200) * 150; ++i) {
        rgb[i * 3] = thumbnail[i * 4 + 2];
        rgb[i * 3 + 1] = thumbnail[i * 4 + 1];
        rgb[i * 3 + 2] = thumbnail[i * 4];
    }
    return WritePngRgb(png, 200, 150, rgb);
}

static void Actors(JsonWriter& json) {
    json.Key("actors").BeginArray();
    for (int i = 0; i < kSavedActors; ++i) {
        const ActorRecord& a = actorTable.actors[i];
        if (!a.inUse) continue;
        // The model as the record stores it: an index into the model table of the game that saved.
        json.BeginObject().Member("index", i).Member("model", a.model);
        json.Key("position").BeginArray().Number(a.position.x).Number(a.position.y).Number(a.position.z).EndArray();
        json.Key("heading").Number(a.heading).Member("motion", a.motion).EndObject();
    }
    json.EndArray();
}

// The file is checked as the engine's loader checks it, then read into this program's
// own tables (nothing is loaded from a game folder) and shown from them.
static int SaveCommand(const Args& args) {
    Args files = Positionals(args, {"--thumbnail"});
    if (files.size() != 1) return Fail("usage: tarvex-tool save FILE [--thumbnail OUT.png]");
    std::vector<uint8_t> bytes;
    std::string unread;
    if (!formats::ReadWholeFile(files[0], bytes, unread)) return Fail(unread);
    std::vector<uint8_t> thumbnail;
    std::string error;
    ResetAllTables();
    if (!CheckSave(bytes.data(), bytes.size(), error, &thumbnail)) return Fail(error);
    std::string png;
    if (OptionValue(args, "--thumbnail", png)) {
        if (thumbnail.empty()) return Fail("the save has no thumbnail");
        if (!WriteThumbnail(thumbnail, png)) return Fail("cannot write " + png);
    }
    ReadSave(bytes.data(), bytes.size(), false);
    JsonWriter json;
    json.BeginObject();
    json.Key("thumbnail").Bool(!thumbnail.empty());
    json.Member("currentScene", loop.currentScene).Member("previousScene", sceneSwitch.previousScene);
    SceneWords(json, "sceneState", gameState.sceneState);
    SceneWords(json, "sceneFlags", gameState.sceneFlags);
    json.Key("inventory").BeginArray();
    for (int n = 0; n < kToolCount; ++n)
        if (interaction.ToolTable[n].inInventory) json.Int(n);
    json.EndArray();
    json.Member("heldTool", interaction.heldTool).Member("MainSost", loop.MainSost).Member("voiceMode", dialogue.voiceMode);
    json.Member("gammaLevel", sceneSwitch.gammaLevel);
    std::u16string subtitle;
    for (size_t i = 0; i < kSavedSubtitleUnits && dialogue.subtitleText[i] != 0 && dialogue.subtitleText[i] != u'\r'; ++i)
        subtitle += dialogue.subtitleText[i];
    json.Key("subtitle").String(Utf16ToUtf8(subtitle));
    Actors(json);
    int regions = 0, slots = 0, sounds = 0;
    for (const ActionRegion& r : interaction.actionRegions) regions += r.enabled != 0;
    for (const AnimSlot& a : animation.animSlots) slots += a.loaded != 0;
    for (const SoundSlot& so : soundTables.soundSlots) sounds += so.loaded != 0;
    json.Member("regions", regions).Member("animationSlots", slots).Member("soundSlots", sounds);
    // This program has no scene, hence no emitters: the file's emitter bytes are what it
    // holds beyond a save of the same tables.
    const size_t rest = BuildSave(thumbnail).size();
    json.Member("emitters", static_cast<int64_t>(bytes.size() - std::min(rest, bytes.size())));
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
    return 0;
}

TARVEX_TOOL_COMMAND("save", "FILE [--thumbnail OUT.png]", SaveCommand);

}  // namespace tarvex::tool
