#include "menu/menu.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/display_values.h"
#include "base/globals.h"
#include "base/registry.h"
#include "base/scene_request.h"
#include "interaction/hotspots.h"
#include "interaction/game_hooks.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "interaction/pointer.h"
#include "interaction/toolbar.h"
#include "media/sound.h"
#include "media/video.h"
#include "menu/menu_panels.h"
#include "menu/saved_games.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/surface.h"
#include "platform/timers.h"
#include "render/frame_render.h"
#include "resources/anim_slot.h"
#include "resources/frame_sequence.h"
#include "resources/picture.h"
#include "scene/scene_load.h"
#include "scripts/devices.h"
#include "scripts/scene_dispatch.h"
#include "platform/font.h"
#include "text/dialogue.h"
#include "text/engine_texts.h"
#include "text/fonts.h"
#include "text/notice.h"

namespace tarvex {

MenuTables menuTables;

namespace {

// A button's record: picture, position, hit rectangle. With pictureEdges the hit
// rectangle's right and bottom edges lie `right` and `bottom` pixels off the picture's
// own edges; otherwise they are the screen coordinates given.
struct ButtonLayout {
    int tool;
    const char* picture;
    int x, y;
    int insetX, insetY;
    bool pictureEdges;
    int right, bottom;
    bool hidden;
};

const ButtonLayout kButtons[] = {
    {kMenuOptionsPanel, "gfx/opt.bmp", 229, 121, 0, 0, true, 0, 0, true},
    {kMenuOk, "gfx/ok.bmp", 229, 195, 0, 25, true, 0, 0, false},
    {kMenuCancel, "gfx/cancel.bmp", 432, 193, 8, 0, true, 0, -25, false},
    {kMenuShadows, "gfx/shadows.bmp", 407, 210, 0, 0, true, 0, 0, true},
    {kMenuSubtitles, "gfx/subtitles.bmp", 403, 266, 0, 0, true, 0, 0, false},
    {kMenuSavePanel, "gfx/savem.bmp", 229, 121, 0, 0, true, 0, 0, true},
    {kMenuNext, "gfx/right.bmp", 354, 353, 0, 0, true, 0, 0, false},
    {kMenuPrevious, "gfx/left.bmp", 311, 350, 0, 0, true, 0, 0, false},
    {kMenuLoadPanel, "gfx/loadm.bmp", 229, 121, 0, 0, true, 0, 0, true},
    {kMenuPanelCancel, "gfx/cancel1.bmp", 432, 193, 8, 0, true, 0, -25, false},
    {kMenuNewGame, "gfx/start.bmp", 261, 130, 9, -1, false, 477, 188, false},
    {kMenuLoad, "gfx/load.bmp", 229, 195, 4, 3, false, 276, 350, false},
    {kMenuSave, "gfx/save.bmp", 432, 193, 17, 6, false, 498, 359, false},
    {kMenuExit, "gfx/exit.bmp", 240, 331, 13, 43, false, 455, 427, false},
    {kMenuOptions, "gfx/options.bmp", 286, 173, 14, 29, false, 432, 275, false},
    {kMenuCredits, "gfx/credits.bmp", 272, 277, 25, 2, false, 411, 362, false},
};

// The menu picture is in the scene background surface (a game folder without it
// gets the title on the frozen picture instead).
bool menuPictureLoaded = false;
// Passes left before the pointer's height steps the save selection again.
int saveStepCountdown = 0;
// Sound slots of the game that were playing when the menu came up.
bool pausedSounds[kSoundSlotCount] = {};
// The game's own sound in the slot the menu's tick takes over, loaded again on return.
char gameTickSlotName[sizeof(SoundSlot::name)] = {};

constexpr double kMenuPassSeconds = 0.035;

void LoadMenuButtons() {
    for (const ButtonLayout& b : kButtons) {
        ToolRecord& t = interaction.ToolTable[b.tool];
        if (!LoadBmpSurface(t.scenePicture, b.picture)) ReleaseSurface(t.scenePicture);
        const int w = t.scenePicture ? t.scenePicture->width : 0;
        const int h = t.scenePicture ? t.scenePicture->height : 0;
        t.x = static_cast<int16_t>(b.x);
        t.y = static_cast<int16_t>(b.y);
        t.width = static_cast<int16_t>(w);
        t.height = static_cast<int16_t>(h);
        t.offsetX = static_cast<int16_t>(b.insetX);
        t.offsetY = static_cast<int16_t>(b.insetY);
        t.right = static_cast<int16_t>(b.pictureEdges ? b.x + w + b.right : b.right);
        t.bottom = static_cast<int16_t>(b.pictureEdges ? b.y + h + b.bottom : b.bottom);
        t.drawn = b.hidden ? 0 : 1;
        // Nothing is lit when the menu comes up, whatever panel was open when it was left.
        t.clickable = 0;
    }
}

void ReadMenuPointer() {
    PadMenuFrame();
    ReadMouse(pointer.cursorX, pointer.cursorY, pointer.mouseState);
    // The menu's pointer reaches one pixel further than the game's.
    pointer.cursorX = std::clamp(pointer.cursorX + pointer.mouseState.dx, 1, 799);
    pointer.cursorY = std::clamp(pointer.cursorY + pointer.mouseState.dy, 1, 599);
}

// The last game picture with the menu picture over it; black in the menu picture
// lets the game show through.
void DrawMenuPicture() {
    if (displayValues.thumbnailSurface)
        DrawSurface(*displayValues.thumbnailSurface, 0, 0);
    else
        ClearBackBuffer(0, 0, 0);
    if (menuPictureLoaded && displayValues.sceneBackground) {
        DrawSurface(*displayValues.sceneBackground, 0, 0, nullptr, true);
    } else if (gameFonts.regularFont) {
        const std::u16string title = Utf8ToUtf16(EngineText(Caption::MenuTitle));
        DrawText(gameFonts.regularFont, 400 - TextWidth(gameFonts.regularFont, title) / 2, 292, title, 255, 255, 255);
    }
}

// Holding the pointer near the top or bottom of the main menu steps the save that the
// save and load panels open on, one entry every sixth pass.
void StepSaveSelection() {
    if (saveStepCountdown > 0) {
        --saveStepCountdown;
        return;
    }
    const int count = static_cast<int>(menuTables.saveList.names.size());
    if (pointer.cursorY < 124 && menuTables.saveList.selected > 0) {
        --menuTables.saveList.selected;
        saveStepCountdown = 5;
    } else if (pointer.cursorY > 388 && menuTables.saveList.selected + 11 < count) {
        ++menuTables.saveList.selected;
        saveStepCountdown = 5;
    }
}

// The main buttons (menu state 0). True when a new game began: the pass ends there.
bool MainButtons() {
    DrawSlots(kPendulumSlot, kCursorSlot);
    interaction.toolUnderPointer = kNone;
    for (int n = kMenuNewGame; n < kMenuEndTool; ++n)
        if (LightButtonUnderPointer(n)) interaction.toolUnderPointer = n;
    DrawLitButtons(kMenuFirstTool, kMenuEndTool - 1);
    // While the credits play the buttons take no clicks.
    if (!videoPlayback.videoState && FreshMenuPress()) {
        switch (interaction.toolUnderPointer) {
        case kMenuExit:
            pointer.LeftKey = 1;
            StopVideo();
            loop.quitRequested = 1;
            break;
        case kMenuSave:
            pointer.LeftKey = 1;
            ListSaves();
            menuTables.menuInputState = kMenuSaveState;
            break;
        case kMenuLoad:
            pointer.LeftKey = 1;
            ListSaves();
            menuTables.menuInputState = kMenuLoadState;
            break;
        case kMenuOptions:
            pointer.LeftKey = 1;
            menuTables.menuInputState = kMenuOptionsState;
            break;
        case kMenuCredits:
            pointer.LeftKey = 1;
            videoPlayback.videoState = 1;
            StartVideo("video/titres.bik");
            break;
        case kMenuNewGame:
            pointer.LeftKey = 1;
            ForgetPausedSounds();
            if (gameHooks.newGameScene >= 0) StartNewGame(gameHooks.newGameScene);
            return true;
        default:
            break;
        }
    }
    if (!LeftButtonDown()) pointer.LeftKey = 0;
    if (!videoPlayback.videoState) StepSaveSelection();
    return false;
}

void ResumePausedSlot(int slot) {
    const SoundSlot& s = soundTables.soundSlots[slot];
    PlaySlot(slot, s.level, s.pan, s.loop);
}

// The menu's pictures leave the game's slot table as the game had it.
void ReleaseMenuSlots() {
    for (int n = kPendulumSlot; n <= kGammaSliderSlot; ++n) {
        AnimSlot& slot = animation.animSlots[n];
        ReleaseSlotFrames(slot);
        slot = AnimSlot{};
        slot.endEvent = 0;
        slot.light = 0;
    }
}

}  // namespace

int SliderVolume(int x, int leftEdge) { return static_cast<int>((x - leftEdge) * 1.6); }

uint32_t SliderGamma(int x) { return static_cast<uint32_t>(255 - static_cast<int>((x - 375) * -6.66)); }

int SliderFrame(int slot, int64_t value) {
    const AnimSlot& s = animation.animSlots[slot];
    const int loaded = static_cast<int>(s.frameCount) - (s.vanishAtEnd ? 1 : 0);
    if (loaded <= 0) return 0;
    return static_cast<int>(std::clamp<int64_t>(value, 0, loaded - 1));
}

void ShowSlider(int slot, int64_t frame) {
    AnimSlot& s = animation.animSlots[slot];
    s.mode = 1;
    s.currentFrame = static_cast<float>(SliderFrame(slot, frame));
}

void HideSliders() {
    for (int slot : {kSoundSliderSlot, kMusicSliderSlot, kGammaSliderSlot}) animation.animSlots[slot].mode = 0;
}

void MenuInit() {
    menuPictureLoaded = displayValues.sceneBackground && LoadTiffScreen(*displayValues.sceneBackground, "gfx/main.tif");
    LoadMenuButtons();
    // The sliders show their value by their frame; they wait hidden until the options open.
    LoadFrameSequence("gfx/sound/000.Tif", kSoundSliderSlot, 359, 298, 0, 0.0f, 0, 1, 0, 0.3f, -1, 0);
    LoadFrameSequence("gfx/musuc/000.Tif", kMusicSliderSlot, 357, 326, 0, 0.0f, 0, 1, 0, 0.3f, -1, 0);
    LoadFrameSequence("gfx/gamma/000.Tif", kGammaSliderSlot, 367, 239, 0, 0.0f, 0, 1, 0, 0.3f, -1, 0);
    // The clock ticks every second: the pendulum swings once and the tick sounds.
    SetWindowTimer(kMenuClockTimer, 1000);
    LoadSound("sound/menu/menusound.wav", kMenuTickSound);
    LoadFrameSequence("animgfx/menu/pl10000.tif", kPendulumSlot, 257, 444, 0, 1.0f, 0, 0, 0, 0.0f, -1, 0);
    // The pendulum swings from the first pass (a hidden pendulum until the first tick looks
    // like a late start); the ticks swing it again.
    PlayAnimation(kPendulumSlot, 1.0f, 0.99f);
    // The clock face wraps from its last frame to its first: an empty extra frame at the
    // end would blank the face for a few passes every round.
    LoadFrameSequence("animgfx/menu/clockno000.tif", kClockSlot, 343, 69, 1, 0.15f, 0, 1, 0, 0.0f, -1, 0);
    if (menuTables.menuInputState == kMenuMain) HideSliders();
}

void ReloadMenuPictures() {
    if (menuPictureLoaded && displayValues.sceneBackground) menuPictureLoaded = LoadTiffScreen(*displayValues.sceneBackground, "gfx/main.tif");
    for (const ButtonLayout& b : kButtons) {
        ToolRecord& t = interaction.ToolTable[b.tool];
        if (!LoadBmpSurface(t.scenePicture, b.picture)) ReleaseSurface(t.scenePicture);
    }
}

void MenuFrame() {
    const double frameStart = ClockSeconds();
    ReadMenuPointer();
    FillGammaRamps(sceneSwitch.gammaMax);
    SendGammaRamps();
    if (loop.playMode == 2 && videoPlayback.videoState) {
        // The intro and the credits play over the menu; a press made meanwhile is
        // theirs, and acts on no button when they end with the button still held.
        VideoFrame();
        if (LeftButtonDown()) pointer.LeftKey = 1;
    } else {
        DrawMenuPicture();
        switch (menuTables.menuInputState) {
        case kMenuOptionsState:
            OptionsPanel();
            DrawSlots(kPendulumSlot, kCursorSlot);
            break;
        case kMenuSaveState:
        case kMenuLoadState:
            SaveLoadPanel(menuTables.menuInputState == kMenuSaveState);
            DrawSlots(kPendulumSlot, kCursorSlot);
            DrawThumbnailQuad();
            break;
        default:
            if (MainButtons()) return;
            break;
        }
    }
    DrawNotice();
    if (!videoPlayback.videoState) {
        AnimSlot& cursor = animation.animSlots[kCursorSlot];
        cursor.x = static_cast<float>(pointer.cursorX);
        cursor.y = static_cast<float>(pointer.cursorY);
        DrawSlot(kCursorSlot);
    }
    Present(false);
    if (!LeftButtonDown()) pointer.LeftKey = 0;
    // At most about 28 passes a second; videos keep their own time.
    if (loop.playMode != 2 && !ClockIsVirtual()) {
        while (ClockSeconds() - frameStart < kMenuPassSeconds) {
            const double left = kMenuPassSeconds - (ClockSeconds() - frameStart);
            if (left > 0.002) SleepMilliseconds(1);
        }
    }
    framePace.synch = 1.0f;
}

void PauseGameSounds() {
    for (int i = 0; i < kSoundSlotCount; ++i) {
        pausedSounds[i] = IsSlotPlaying(i);
        if (pausedSounds[i]) StopSlot(i);
    }
    const SoundSlot& tick = soundTables.soundSlots[kMenuTickSound];
    gameTickSlotName[0] = 0;
    if (tick.loaded) std::memcpy(gameTickSlotName, tick.name, sizeof gameTickSlotName - 1);
}

void ResumeGameSounds() {
    // The game's sound comes back into the slot the tick took over.
    if (gameTickSlotName[0]) LoadSound(gameTickSlotName, kMenuTickSound);
    for (int i = 0; i < kSoundSlotCount; ++i) {
        if (pausedSounds[i] && (i != kMenuTickSound || gameTickSlotName[0])) ResumePausedSlot(i);
        pausedSounds[i] = false;
    }
    gameTickSlotName[0] = 0;
}

void ForgetPausedSounds() {
    for (bool& p : pausedSounds) p = false;
    gameTickSlotName[0] = 0;
}

bool SaveGameFromMenu(const std::string& gameName, std::string* error) {
    // The save records the game's sounds as playing, so that loading it brings them back.
    for (int i = 0; i < kSoundSlotCount; ++i)
        if (pausedSounds[i] && i != kMenuTickSound) ResumePausedSlot(i);
    MuteAllSlots();
    const bool saved = SaveGame(gameName, error);
    for (int i = 0; i < kSoundSlotCount; ++i)
        if (pausedSounds[i] && i != kMenuTickSound) StopSlot(i);
    return saved;
}

void EnterMenuFromGame() {
    MuteAllSlots();
    PauseGameSounds();
    // A running sequence waits in the menu exactly where it was: its sounds, its lines
    // and its clock stand still.
    PauseScriptClock();
    menuTables.menuInputState = kMenuMain;
    // The scene background makes room for the menu picture; the game picture stays
    // under the menu, without the game's interface (verbs, toolbar, pointer, texts).
    if (displayValues.sceneBackground && displayValues.spareBackground) BltSurface(*displayValues.spareBackground, 0, 0, *displayValues.sceneBackground);
    if (displayValues.thumbnailSurface) ReadGamePictureInto(*displayValues.thumbnailSurface);
    MenuInit();
    loop.menuActive = 1;
}

void ReturnToGameFromMenu() {
    ApplyVolumeSettings();
    RestoreSlotVolumes();
    ResumeGameSounds();
    if (displayValues.sceneBackground && displayValues.spareBackground) BltSurface(*displayValues.sceneBackground, 0, 0, *displayValues.spareBackground);
    KillWindowTimer(kMenuClockTimer);
    ReleaseMenuSlots();
    RestartFrameRateWindow();
    // Typed keys go to the game's devices again, not to a save name.
    menuTables.menuInputState = kMenuMain;
    // A gamma changed in the menu is where the next fade starts from.
    if (sceneSwitch.fadeState == 0) sceneSwitch.gammaLevel = sceneSwitch.gammaMax;
    ResumeScriptClock();
    // A press made in the menu stays the menu's: a click that closed a panel just before
    // the menu was left must not reach the game, where it would cut the line being spoken.
    DropPendingClicks();
    pointer.LeftKey = 1;
    loop.menuActive = 0;
}

void ResetMenu() {
    menuTables.menuInputState = kMenuMain;
    menuPictureLoaded = false;
    saveStepCountdown = 0;
    ForgetPausedSounds();
}

void EnterCurrentScene() {
    LoadSceneFiles();
    InitScene();
    LoadScene();
    AutoSave();
}

void StartNewGame(int scene, const std::function<void()>& prepare) {
    // A game started from the command line begins under the intro video: it ends here.
    StopVideo();
    NewGameOwners();
    ResumeScriptClock();
    loop.menuActive = 0;
    loop.currentScene = scene;
    KillWindowTimer(kMenuClockTimer);
    SceneResetOwners();
    if (prepare) prepare();
    EnterCurrentScene();
    RestartFrameRateWindow();
}

}  // namespace tarvex
