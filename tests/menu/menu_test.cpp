// The main menu played on the generated demo in the test process: Escape from the lift
// landing brings it up over the frozen game, and clicks drive its buttons and panels.
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>

#include "base/config.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "interaction/toolbar.h"
#include "media/sound.h"
#include "media/video.h"
#include "menu/menu.h"
#include "menu/saved_games.h"
#include "model/actor.h"
#include "platform/render_device.h"
#include "platform/surface.h"
#include "platform/timers.h"
#include "resources/anim_slot.h"
#include "shell/display_setup.h"
#include "shell/scene_switch.h"
#include "shell/window_proc.h"
#include "support/game_harness.h"
#include "text/dialogue.h"
#include "text/notice.h"

namespace tarvex {
namespace {

// Points inside the demo's buttons.
constexpr int kNewGameX = 370, kNewGameY = 160;
constexpr int kOptionsX = 360, kOptionsY = 230;
constexpr int kLoadX = 250, kLoadY = 300;
constexpr int kSaveX = 470, kSaveY = 300;
constexpr int kExitX = 350, kExitY = 400;
constexpr int kCreditsX = 350, kCreditsY = 320;
constexpr int kOkX = 250, kOkY = 240;
constexpr int kCancelX = 465, kCancelY = 210;
constexpr int kNextX = 368, kNextY = 365;
constexpr int kPreviousX = 325, kPreviousY = 362;
// Heights of the three sliders.
constexpr int kSoundY = 305, kMusicY = 340, kGammaY = 247;

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string demo = test::GeneratedDemo("packed", false);
        ASSERT_FALSE(demo.empty());
        ResetMenu();
        ResetSavedGames();
        ASSERT_TRUE(game.Start(demo, 0));
        game.Frames(20);  // the fade in
        ASSERT_EQ(loop.currentScene, 0);
    }
    void TearDown() override {
        ResetVideo();
        ResetSound();
        ResetMenu();
        ResetSavedGames();
    }
    void OpenMenu() {
        game.Key("Escape");
        ASSERT_EQ(loop.menuActive, 1);
        ASSERT_EQ(menuTables.menuInputState, kMenuMain);
    }
    static std::vector<std::string> SaveFiles() {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(SavesDirectory()))
            if (e.path().extension() == ".sav") names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    test::GameHarness game;
};

TEST_F(MenuTest, SlidersStopAtTheirEndValuesAndShowFramesInsideTheirPictures) {
    OpenMenu();
    game.Click(kOptionsX, kOptionsY);
    ASSERT_EQ(menuTables.menuInputState, kMenuOptionsState);
    // Each slider's two innermost pixels.
    const AnimSlot& sound = animation.animSlots[kSoundSliderSlot];
    game.Click(366, kSoundY);
    EXPECT_EQ(std::tuple(config.soundVolume, sound.mode, sound.currentFrame), std::tuple(1, 1, 0.0f));
    game.Click(424, kSoundY);
    EXPECT_EQ(std::tuple(config.soundVolume, sound.currentFrame), std::tuple(94, 9.0f));
    game.Click(425, kSoundY);  // the edge is outside
    EXPECT_EQ(config.soundVolume, 94);
    game.Click(361, kMusicY);
    const int lowest = config.musicVolume;
    game.Click(419, kMusicY);
    EXPECT_EQ(std::tuple(lowest, config.musicVolume), std::tuple(1, 94));
    game.Click(376, kGammaY);
    EXPECT_EQ(std::tuple(sceneSwitch.gammaMax, GammaRamp(1)[2]), std::tuple(261u, 2 * 261));
    game.Click(434, kGammaY);
    EXPECT_EQ(std::tuple(sceneSwitch.gammaMax, GammaRamp(1)[2]), std::tuple(647u, 2 * 647));
    EXPECT_EQ(animation.animSlots[kGammaSliderSlot].currentFrame, 9.0f);

    // A held button drags the slider along.
    game.Input("pointer 370 305");
    game.Input("press left");
    game.Frames(1);
    EXPECT_EQ(config.soundVolume, 8);
    game.MoveTo(400, kSoundY);
    EXPECT_EQ(std::tuple(config.soundVolume, sound.currentFrame), std::tuple(56, 5.0f));
    game.Input("release left");
    game.Frames(2);

    // Gamma values the keys reach beyond the slider keep its frame inside its pictures.
    sceneSwitch.gammaMax = 40;
    game.Frames(1);
    EXPECT_EQ(animation.animSlots[kGammaSliderSlot].currentFrame, 0.0f);
    sceneSwitch.gammaMax = 5000;
    game.Frames(1);
    EXPECT_EQ(animation.animSlots[kGammaSliderSlot].currentFrame, 9.0f);
    config.musicVolume = 100;
    game.Frames(1);
    EXPECT_EQ(animation.animSlots[kMusicSliderSlot].currentFrame, 9.0f);
}

TEST_F(MenuTest, ThePointersHeightStepsTheSaveListAndThePanelsStepItFurther) {
    // Fourteen saves beside the automatic one of the scene's start.
    for (int i = 0; i < 14; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "s%02d.sav", i);
        std::ofstream(SavesDirectory() + "/" + name) << "x";
    }
    std::ofstream(SavesDirectory() + "/auto.sav") << "x";
    menuTables.saveList.names = SaveFiles();
    ASSERT_EQ(menuTables.saveList.names.size(), 15u);
    menuTables.saveList.selected = 0;
    OpenMenu();

    // Below y 388 the selection moves down one entry every sixth pass, while eleven
    // entries remain after it.
    game.MoveTo(200, 500);
    std::vector<int> changes;
    int last = menuTables.saveList.selected;
    for (int pass = 0; pass < 40; ++pass) {
        game.Frames(1);
        if (menuTables.saveList.selected != last) changes.push_back(pass);
        last = menuTables.saveList.selected;
    }
    EXPECT_EQ(menuTables.saveList.selected, 4);
    ASSERT_EQ(changes.size(), 3u);  // the first step came with the pointer's arrival
    EXPECT_EQ(changes[1] - changes[0], 6);
    EXPECT_EQ(changes[2] - changes[1], 6);
    // In between nothing moves; above y 124 it goes back up to the first entry.
    game.MoveTo(200, 300);
    game.Frames(20);
    EXPECT_EQ(menuTables.saveList.selected, 4);
    std::vector<int> up;
    game.MoveTo(200, 100);
    up.push_back(menuTables.saveList.selected);
    game.Frames(5);
    up.push_back(menuTables.saveList.selected);
    game.Frames(1);
    up.push_back(menuTables.saveList.selected);
    game.Frames(30);
    up.push_back(menuTables.saveList.selected);
    EXPECT_EQ(up, (std::vector<int>{3, 3, 2, 0}));

    // The load panel opens on the selection; next and previous step it and name it.
    menuTables.saveList.selected = 4;
    game.Click(kLoadX, kLoadY);
    ASSERT_EQ(menuTables.menuInputState, kMenuLoadState);
    EXPECT_EQ(menuTables.saveList.selected, 4);
    game.Click(kNextX, kNextY);  // named without its extension
    EXPECT_EQ(std::tuple(menuTables.saveList.selected, menuTables.saveNameBuffer), std::tuple(5, std::string(kSaveNamePrefix) + "s04"));
    game.Click(kPreviousX, kPreviousY);
    game.Click(kPreviousX, kPreviousY);
    EXPECT_EQ(std::tuple(menuTables.saveList.selected, menuTables.saveNameBuffer), std::tuple(3, std::string(kSaveNamePrefix) + "s02"));
    for (int i = 0; i < 4; ++i) game.Click(kPreviousX, kPreviousY);
    EXPECT_EQ(menuTables.saveList.selected, 0);
    menuTables.saveList.selected = 14;
    game.Click(kNextX, kNextY);
    EXPECT_EQ(menuTables.saveList.selected, 14);
    // Cancel closes the panel; the selection stays for the next time.
    game.Click(kCancelX, kCancelY);
    EXPECT_EQ(std::tuple(menuTables.menuInputState, menuTables.saveList.selected), std::tuple(kMenuMain, 14));
}

TEST_F(MenuTest, AnEmptyNameInTheSavePanelSavesAFileThatLoads) {
    OpenMenu();
    // The file ".sav", listed first with no name.
    game.Click(kSaveX, kSaveY);
    for (int i = 0; i < 12; ++i) game.Key("Backspace");
    game.Click(kOkX, kOkY);
    ASSERT_TRUE(std::filesystem::exists(SavesDirectory() + "/.sav")) << CurrentNotice();
    SetFlagsOf(98, 0x40);
    menuTables.saveList.selected = 0;
    game.Click(kLoadX, kLoadY);
    ASSERT_EQ(menuTables.menuInputState, kMenuLoadState);
    EXPECT_EQ(std::tuple(menuTables.saveList.names[0], menuTables.saveNameBuffer, menuTables.saveList.thumbnailShown), std::tuple(".sav", kSaveNamePrefix, true));
    game.Click(kOkX, kOkY);
    EXPECT_EQ(std::tuple(loop.menuActive, TestFlagsOf(98, 0x40)), std::tuple(0, 0u));
}

TEST_F(MenuTest, AQuickLoadFromAnOpenPanelLeavesTheMenuWithIt) {
    game.Key("F5");
    OpenMenu();
    game.Click(kSaveX, kSaveY);
    ASSERT_EQ(menuTables.menuInputState, kMenuSaveState);
    game.Key("F6");
    // Typed keys belong to the game again, not to a save name.
    EXPECT_EQ(std::tuple(loop.menuActive, menuTables.menuInputState, loop.currentScene), std::tuple(0, kMenuMain, 0));
}

TEST_F(MenuTest, MainButtonsIgnoreClicksWhileTheCreditsPlay) {
    OpenMenu();
    game.Click(kCreditsX, kCreditsY);
    ASSERT_EQ(videoPlayback.videoState, 1);
    ASSERT_EQ(loop.playMode, 2);
    for (auto [x, y] : {std::pair{kExitX, kExitY}, {kOptionsX, kOptionsY}, {kSaveX, kSaveY}, {kNewGameX, kNewGameY},
                        {kCreditsX, kCreditsY}}) {
        game.Click(x, y);
        EXPECT_EQ(std::tuple(loop.quitRequested, menuTables.menuInputState, loop.menuActive, loop.currentScene), std::tuple(0, kMenuMain, 1, 0));
    }
    EXPECT_EQ(loop.playMode, 2);
    // A press held on exit while Escape skips the credits stays theirs.
    game.Input("pointer " + std::to_string(kExitX) + " " + std::to_string(kExitY));
    game.Input("press left");
    game.Frames(2);
    game.Key("Escape");
    game.Frames(3);
    EXPECT_EQ(std::tuple(videoPlayback.videoState, loop.quitRequested), std::tuple(0, 0));
    game.Input("release left");
    game.Frames(2);
    EXPECT_EQ(loop.menuActive, 1);
    game.Click(kOptionsX, kOptionsY);
    EXPECT_EQ(menuTables.menuInputState, kMenuOptionsState);
    game.Click(kOkX, kOkY);
    game.Click(kExitX, kExitY);
    EXPECT_EQ(loop.quitRequested, 1);
    loop.quitRequested = 0;
}

}  // namespace
}  // namespace tarvex
