#include "shell/state_dump.h"

#include "base/globals.h"
#include "base/json_writer.h"
#include "base/owner_names.h"
#include "base/registry.h"
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
#include "shell/scene_switch.h"
#include "shell/window_proc.h"
#include "text/dialogue.h"
#include "text/fonts.h"
#include "text/notice.h"

namespace tarvex {

namespace {

using namespace owner_name;

// The state object's members in their order: each part written by the owner of its
// tables (the frame number and the engine's own counts are the dump's).
struct DumpPart {
    const char* owner;
    int part;
};


constexpr DumpPart kParts[] = {
    {kMainMenu, 0},  {kPlayValues, 0},
    {kSceneSwitch, 0}, {kProgress, 0},
    {kTools, 0},       {kInput, 0},
    {kPendingAction, 0}, {kTools, 1},
    {kToolbar, 0},    {kMainState, 0},
    {kScripts, 0},     {kTools, 2},
    {kDialogue, 0},    {kNotices, 0},
    {kDialogue, 1},    {kScripts, 1},
    {kActors, 0},     {kSlots, 0},
    {kSounds, 0},      {kSounds, 1},
    {kMainState, 1},   {kSceneSwitch, 1},
    {kDialogue, 2},    {kInput, 1},
    {kWorkbench, 0},
    {kConsole, 0},
};

}  // namespace

std::string StateJson(long long frame) {
    JsonWriter json;
    json.BeginObject();
    json.Member("frame", frame);
    for (const DumpPart& part : kParts) {
        const Owner* owner = FindOwner(part.owner);
        if (owner && owner->dump) owner->dump(json, part.part);
    }
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
