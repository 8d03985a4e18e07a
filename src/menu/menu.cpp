#include "menu/menu.h"

#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "interaction/toolbar.h"
#include "media/video.h"
#include "platform/display.h"
#include "platform/timers.h"
#include "scripts/devices.h"
#include "scripts/scene_dispatch.h"
#include "shell/game_frame.h"
#include "shell/globals.h"
#include "shell/scene_switch.h"
#include "text/dialogue.h"
#include "text/fonts.h"

namespace tarvex {

int menuInputState = 0;

// The menu and saved games are filled in by the menu work; until then the menu
// frame shows the title on black.
void MenuInit() {}

void MenuFrame() {
    ReadPointer();
    // The intro video and the credits play over the menu.
    if (playMode == 2) {
        VideoFrame();
        if (presentEnabled) Present(false);
        return;
    }
    ClearBackBuffer(0, 0, 0);
    if (regularFont) {
        const std::u16string title = u"Тарвекс";
        DrawText(regularFont, 400 - TextWidth(regularFont, title) / 2, 292, title, 255, 255, 255);
    }
    Present(false);
}


void StartNewGame(int scene, const std::function<void()>& prepare) {
    MainSost = 0;
    DRAWTOOLBAR = 0;
    scriptValue1 = 0;
    voiceMode = 0;
    ResetToolsForNewGame();
    ResetScriptState();
    ResetDevices();
    CloseToolbarAtOnce();
    menuActive = 0;
    ResetGameState();
    currentScene = scene;
    KillWindowTimer(2);
    ResetSceneState();
    if (prepare) prepare();
    EnterCurrentScene();
    RestartFrameRateWindow();
}

}  // namespace tarvex
