// The hooks through which the engine's layers reach the game's own content. The pointer
// resolution, the toolbar, the game frame, the window procedure and the menu know no scene,
// tool or line number of the game: where the game adds something of its own (the notebook
// button, the close-up of an inventory tool, the lantern's light ...) they call a hook here.
// The scene scripts fill them at start-up (RegisterGameContent); a hook left empty does
// nothing.
#pragma once

namespace tarvex {

struct GameHooks {
    // The close-up scene a look at inventory tool `tool` opens; -1 for none.
    int (*closeUpOfTool)(int tool) = nullptr;
    // A use of inventory tool `tool` with nothing held: what the tool does by itself
    // (before its inventory use line is spoken).
    void (*useInventoryTool)(int tool) = nullptr;
    // A press on the notebook button with the interface on: opens the notebook when the
    // hero carries it; true when it did.
    bool (*openNotebook)() = nullptr;
    // The notebook icon, once a game frame: true while it is drawn.
    bool (*notebookIcon)() = nullptr;
    // A full-screen pass over the finished scene picture, before the interface.
    void (*sceneOverlay)() = nullptr;
    // A typed character outside the menu's entries; `sceneMayTake` when the game is on
    // screen (no menu, no video). True when the game took it.
    bool (*typedCharacter)(int ch, bool sceneMayTake) = nullptr;
    // A window timer of the game's own fired (no video playing).
    void (*windowTimer)(int id) = nullptr;
    // The scene a new game starts in; -1 for none.
    int newGameScene = -1;
};

extern GameHooks gameHooks;

}  // namespace tarvex
