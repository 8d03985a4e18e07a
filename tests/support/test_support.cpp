#include "support/test_support.h"

#include <unistd.h>

#include <filesystem>

#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "interaction/toolbar.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/timers.h"
#include "resources/anim_slot.h"
#include "shell/config.h"
#include "shell/globals.h"
#include "shell/scene_switch.h"
#include "shell/window_proc.h"
#include "text/dialogue.h"
#include "text/text_table.h"

namespace tarvex::test {

std::string TempDir(const std::string& name) {
    // CTest runs test cases in parallel processes: each process gets folders of its own.
    std::filesystem::path p = std::filesystem::path(TARVEX_BINARY_DIR) / "test-tmp" /
                              (name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p.string();
}

bool EnsureHeadlessDisplay() {
    if (DisplayReady()) return true;
    DisplayConfig config;
    config.headless = true;
    config.fullScreen = false;
    config.title = "test";
    if (CreateGameWindow(config) != DisplayStep::None) return false;
    return CreateDisplayDevice(true) == DisplayStep::None;
}

void ResetEngine() {
    ResetShellGlobals();
    ResetConfig();
    ResetSceneSwitch();
    ResetInteractionState();
    ResetGameState();
    ResetAnimSlots();
    ResetDialogue();
    ResetTextTables();
    ResetToolbar();
    ResetInput();
    ResetWindowProc();
    KillAllWindowTimers();
    SetFixedFrameRate(0);
}

}  // namespace tarvex::test
