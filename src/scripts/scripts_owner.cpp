#include "scripts/scripts_owner.h"

#include "base/json_writer.h"
#include "base/owner_names.h"
#include "interaction/game_state.h"
#include "platform/input.h"
#include "resources/save_sync.h"
#include "scripts/devices.h"
#include "scripts/game_content.h"
#include "scripts/notebook.h"
#include "scripts/scene_dispatch.h"
#include "scripts/script_api.h"

namespace tarvex {

namespace {

void ScriptsAtStart() {
    RegisterGameContent();
    ResetScriptState();
    ResetSceneFunctions();
    StartDevices();
}

void ScriptsForNewGame() {
    ResetScriptState();
    ResetDevices();
}

// Row 17: the sequence step; 25: the notebook page. Both are taken as they stand: their
// users keep to the values they know.
void SyncScripts(SaveSync& s, int row) {
    if (row == 17)
        s.Value(scriptValues.DIALOG);
    else
        s.Value(scriptValues.NotepadPosition);
}

// The state dump's part 0: the sequence, the pointer in the world and the devices'
// entries; 1: the notebook.
void DumpScripts(JsonWriter& json, int part) {
    if (part == 1) {
        json.Key("notebook").BeginObject().Member("NotepadPosition", scriptValues.NotepadPosition).Key("entries").BeginArray();
        for (uint32_t word : gameState.notebookEntries) json.Int(word);
        json.EndArray().Key("newEntry").Bool(gameState.notebookNewEntry != 0).EndObject();
        return;
    }
    json.Member("DIALOG", scriptValues.DIALOG).Key("sequenceClock").Number(gameState.sequenceClock);
    json.Key("pointerWorld").BeginArray().Number(scriptValues.pointerWorld.x).Number(scriptValues.pointerWorld.y).Number(scriptValues.pointerWorld.z);
    json.EndArray();
    json.Member("padNumber", devices.padNumber).Member("padDigits", devices.padDigits).Member("keyCount", devices.numberdigit);
    std::string typed;
    for (char c : devices.codechar) {
        if (c == 0) break;
        typed += c;
    }
    json.Key("typed").String(Cp1251ToUtf8(typed));
}

}  // namespace

const Owner& ScriptsOwner() {
    static const Owner owner{owner_name::kScripts, ScriptsAtStart, ScriptsForNewGame, nullptr, SyncScripts,
                             nullptr, DumpScripts};
    return owner;
}

}  // namespace tarvex
