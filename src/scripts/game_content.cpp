#include "scripts/game_content.h"

#include "interaction/game_hooks.h"
#include "platform/display.h"
#include "resources/texture_file.h"
#include "scripts/devices.h"
#include "scripts/notebook.h"
#include "scripts/script_api.h"

namespace tarvex {

namespace {

constexpr int kNewGameScene = 23;
constexpr int kLanternMode = 5;  // the main state of the lantern view
constexpr int kDimLanternTool = 47;

// Inventory tools whose look opens a close-up scene.
struct CloseUp {
    int tool;
    int scene;
};
const CloseUp kCloseUps[] = {{48, 156},  {191, 264}, {192, 276}, {193, 280}, {247, 193}, {268, 259}, {272, 285},
                             {369, 157}, {742, 250}, {796, 266}, {797, 268}, {798, 270}, {799, 272}, {951, 274},
                             {952, 278}};

int CloseUpOfInventoryTool(int tool) {
    for (const CloseUp& c : kCloseUps)
        if (c.tool == tool) return c.scene;
    return -1;
}

// The uses built into a few inventory tools (use verb, nothing held).
void BuiltInUse(int tool) {
    switch (tool) {
    case 212:
        PlayResponse(1318);
        SetToolOwnership(212, 0, 0);
        SetToolOwnership(197, 1, 0);
        break;
    case 61:
        if (!TestFlagsOf(146, 4)) {
            SetToolOwnership(39, 1, 0);
            SetToolOwnership(61, 0, 0);
            PlayResponse(739);
            SetFlagsOf(146, 4);
        } else {
            PlayResponse(740);
        }
        break;
    case 181:
        PlayResponse(1184);
        SetToolOwnership(188, 1, 0);
        SetToolOwnership(181, 0, 0);
        break;
    case 535:
        OpenCloseUp(218);
        break;
    default:
        break;
    }
}

// The lantern view: the scene seen by the lantern's light at the pointer, the dim lantern's
// picture while tool 47 is held, the other one otherwise. Each picture is read once per
// display.
Texture* lanternTextures[2] = {nullptr, nullptr};
bool lanternTried[2] = {false, false};
unsigned lanternGeneration = 0;

void LanternView() {
    if (loop.MainSost != kLanternMode) return;
    if (lanternGeneration != DisplayGeneration()) {
        // Textures of an earlier display are gone with it.
        lanternTextures[0] = lanternTextures[1] = nullptr;
        lanternTried[0] = lanternTried[1] = false;
        lanternGeneration = DisplayGeneration();
    }
    const int which = interaction.heldTool == kDimLanternTool ? 0 : 1;
    if (!lanternTried[which]) {
        lanternTried[which] = true;
        lanternTextures[which] = LoadTextureFile(which == 0 ? "textures/fonar.bmp" : "textures/fonar1.bmp");
    }
    DrawPointerLight(lanternTextures[which]);
}

// The game's window timers: 1 a random remark, 3 and 4 sounds of slot 2 unless a flag
// of the game says otherwise.
void GameTimer(int id) {
    switch (id) {
    case 1:
        if (!loop.menuActive) PlayRandomLine(0, 3, 0);
        break;
    case 3:
        if (!TestFlags(0x1) && sceneSwitch.previousScene != 0 && loop.menuActive == 0) {
            PlayAnimation(2, 0.0f, 0.38f);
            PlaySlot(2, 0, 10000, 0);
        }
        break;
    case 4:
        if (!TestFlagsOf(75, 0x1) && loop.menuActive == 0) PlaySlot(2, 0, -10000, 0);
        break;
    default:
        break;
    }
}

}  // namespace

void RegisterGameContent() {
    gameHooks.closeUpOfTool = CloseUpOfInventoryTool;
    gameHooks.useInventoryTool = BuiltInUse;
    gameHooks.openNotebook = OpenNotebook;
    gameHooks.notebookIcon = NotebookIconFrame;
    gameHooks.sceneOverlay = LanternView;
    gameHooks.typedCharacter = DeviceTypedCharacter;
    gameHooks.windowTimer = GameTimer;
    gameHooks.newGameScene = kNewGameScene;
}

}  // namespace tarvex
