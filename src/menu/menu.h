// The main menu: drawn over the last game picture while `menuActive` is set, with its
// buttons (tool records 1000..1023), the options, save and load panels, the clock and
// the credits video; and the new-game command.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "menu/saved_games.h"

namespace tarvex {

// The menu's values: the panel shown, the save list and the name being typed or chosen.
struct MenuTables {
    // 0 main buttons, 1 options panel, 2 save panel (a save name is typed), 3 load panel.
    int menuInputState = 0;
    SaveList saveList;
    // The name buffer: the prefix "saves\\" and the save's name (UTF-8 on disk).
    std::string saveNameBuffer{kSaveNamePrefix};
};
extern MenuTables menuTables;

constexpr int kMenuMain = 0, kMenuOptionsState = 1, kMenuSaveState = 2, kMenuLoadState = 3;

// The menu's buttons in the tool table.
enum MenuTool : int {
    kMenuOptionsPanel = 1000,  // the options panel's background
    kMenuOk = 1001,            // OK in the options, save and load panels
    kMenuCancel = 1002,        // cancel in the options panel
    kMenuShadows = 1003,       // the shadows switch
    kMenuSubtitles = 1004,     // the subtitles switch
    kMenuSavePanel = 1005,
    kMenuNext = 1006,          // the next saved game
    kMenuPrevious = 1007,
    kMenuLoadPanel = 1008,
    kMenuPanelCancel = 1009,   // cancel in the save and load panels
    kMenuNewGame = 1010,
    kMenuLoad = 1011,
    kMenuSave = 1012,
    kMenuExit = 1013,
    kMenuOptions = 1014,
    kMenuCredits = 1015,
};
constexpr int kMenuFirstTool = 1000, kMenuEndTool = 1024;

// Interface slots: the pendulum, the clock and the three sliders; the clock's tick sound.
constexpr int kPendulumSlot = 40, kClockSlot = 41, kSoundSliderSlot = 42, kMusicSliderSlot = 43,
              kGammaSliderSlot = 44;
constexpr int kMenuTickSound = 44;
constexpr int kMenuClockTimer = 2;
// The scene a new game starts in.

// Loads the menu picture, the buttons, sliders, clock and pendulum; starts the clock.
void MenuInit();
// The menu's picture and its buttons' pictures read again, their places and states kept (the
// language changed: a translation pack may have pictures of its own).
void ReloadMenuPictures();
// One pass of the menu instead of a game frame.
void MenuFrame();
// Escape from the game: the game freezes (its sounds paused, its background and last
// picture kept aside) and the menu comes up over it.
void EnterMenuFromGame();
// Escape from the menu: the game goes on exactly where it stood.
void ReturnToGameFromMenu();

// A scene switch's entry into the new scene: load the scene, run its set-up, save automatically.
void EnterCurrentScene();

// The new-game command: a fresh game started in `scene`; `prepare`, when given, runs on
// the fresh tables just before the scene is entered (the developer options' items and flags).
void StartNewGame(int scene, const std::function<void()>& prepare = {});

// Menu values derived from the pointer and the sliders, shared with tests.
// The volume setting a slider sets at pointer x (sound: left edge 365, music: 360).
int SliderVolume(int cursorX, int leftEdge);
// The gamma maximum the gamma slider sets at pointer x.
uint32_t SliderGamma(int cursorX);
// The slider frame that shows a value, kept inside the slot's frames.
int SliderFrame(int slot, int64_t value);

void ResetMenu();

}  // namespace tarvex
