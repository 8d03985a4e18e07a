#include "shell/game_tables.h"

#include "base/registry.h"
#include "interaction/interaction_owners.h"
#include "media/sound_owner.h"
#include "menu/menu_owners.h"
#include "model/actor_owner.h"
#include "render/render_owners.h"
#include "resources/anim_slot_owner.h"
#include "scripts/scripts_owner.h"
#include "shell/shell_owners.h"
#include "text/dialogue_owners.h"
#include "workbench/console.h"
#include "workbench/workbench.h"

namespace tarvex {

// The order is the scene reset's: the frame's scene values, tools and regions, sound
// slots, animation slots, scene objects, actors, the pending action, the fade, the
// subtitle, then the frame's play values; the owners a scene switch keeps follow.
void RegisterGameOwners() {
    const Owner& (*const owners[])() = {
        FrameValuesOwner, RenderingValuesOwner, ToolsAndRegionsOwner, SoundSlotsOwner, AnimSlotsOwner,
        SceneObjectsOwner, ActorsOwner, PendingActionOwner, SceneSwitchOwner, DialogueOwner,
        PlayValuesOwner, MainStateOwner, GameProgressOwner, ToolbarOwner, ScriptsOwner,
        SavedGamesOwner, MainMenuOwner, NoticesOwner, InputOwner, WorkbenchOwner, WorkbenchConsoleOwner,
    };
    for (const auto owner : owners) RegisterOwner(owner());
}

void ResetAllTables() {
    RegisterGameOwners();
    StartUpOwners();
}

void ResetTablesForNewGame() { NewGameOwners(); }

void ResetTablesForSceneSwitch() { SceneResetOwners(); }

}  // namespace tarvex
