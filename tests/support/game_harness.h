// The game played in the test process: a game folder made current, the headless display,
// the interface loaded, a new game started in a scene, and frames of the message loop run
// on a virtual clock at 30 frames a second with the pointer and buttons fed as replay lines.
// Tests wait for walks and sequences frame by frame, as a player would.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "base/config.h"
#include "base/globals.h"
#include "interaction/interaction_state.h"
#include "interaction/toolbar.h"
#include "menu/menu.h"
#include "model/actor.h"
#include "model/model_file.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/surface.h"
#include "resources/file_lookup.h"
#include "shell/display_setup.h"
#include "shell/entry.h"
#include "shell/scene_switch.h"
#include "support/test_support.h"
#include "text/fonts.h"

namespace tarvex::test {

// The verb bar's icons: their centres' x, and the bar's y.
constexpr int kLookVerbX = 16, kTalkVerbX = 48, kUseVerbX = 112, kVerbY = 16;

class GameHarness {
public:
    // Plays in `folder` (made current until the harness ends); saves go to a scratch folder.
    bool Start(const std::string& folder, int scene) {
        if (!EnsureHeadlessDisplay()) return false;
        ResetEngine();
        ResetActors();
        ResetModels();
        char buffer[4096];
        previous_ = getcwd(buffer, sizeof buffer) ? buffer : ".";
        if (chdir(folder.c_str()) != 0) return false;
        ClearFileLookupCache();
        SetSavesDirectory(TempDir("harness-saves"));
        for (Surface** s : {&displayValues.sceneBackground, &displayValues.spareBackground, &displayValues.thumbnailSurface})
            if (!*s) *s = CreateSurface(kScreenWidth, kScreenHeight);
        SetFixedFrameRate(30);
        LoadInterface();
        CreateGameFonts();
        loop.appActive = 1;
        frame_ = 0;
        StartNewGame(scene);
        return true;
    }
    ~GameHarness() {
        ResetActors();
        ResetModels();
        ReleaseFonts();
        SetFixedFrameRate(0);
        if (!previous_.empty() && chdir(previous_.c_str()) != 0) std::perror("chdir");
        ClearFileLookupCache();
    }
    uint64_t frame() const { return frame_; }

    void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            RunLoopPass(frame_);
            AdvanceVirtualClock();
            ++frame_;
        }
    }
    // Runs frames until the condition holds (checked after each frame); false after `limit`.
    bool Until(const std::function<bool()>& condition, int limit = 900) {
        for (int i = 0; i < limit; ++i) {
            Frames(1);
            if (condition()) return true;
        }
        return false;
    }
    // Replay lines for the coming frames, "+N" counting from the next frame.
    void Input(const std::string& kind, int after = 0) {
        std::string error;
        EXPECT_TRUE(AddReplayEvents(std::to_string(frame_ + after) + " " + kind + "\n", error)) << error;
    }
    void MoveTo(int x, int y) {
        Input("pointer " + std::to_string(x) + " " + std::to_string(y));
        Frames(1);
    }
    // A click of the left (or right) button at (x, y): seen down for two frames, then up.
    void Click(int x, int y, const char* button = "left") {
        Input("pointer " + std::to_string(x) + " " + std::to_string(y));
        Input(std::string("press ") + button);
        Input(std::string("release ") + button, 1);
        Frames(3);
    }
    // A change of scene as a script asks for it: the fade out starts, the switch follows.
    void RequestScene(int scene) {
        sceneSwitch.pendingScene = scene;
        sceneSwitch.fadeState = 4294967295u;
    }
    void Key(const std::string& name) {
        Input("key " + name);
        Frames(1);
    }

private:
    std::string previous_;
    uint64_t frame_ = 0;
};

// Tests that play scenes of the generated demo in the test process, with the few moves
// they make beyond the harness's own: a press of the left button for one frame, a click
// in the middle of an action region, and entering a scene as a script asks for it.
class DemoSceneTest : public ::testing::Test {
protected:
    // A new game in `scene`, after its fade in.
    void Start(int scene) {
        const std::string demo = GeneratedDemo("packed", false);
        ASSERT_FALSE(demo.empty());
        ASSERT_TRUE(game.Start(demo, scene));
        ASSERT_TRUE(Until([] { return sceneSwitch.fadeState == 0; }, 60));
    }
    void Frame() { game.Frames(1); }
    void Frames(int n) { game.Frames(n); }
    bool Until(const std::function<bool()>& condition, int limit = 900) { return game.Until(condition, limit); }
    void Click(int x, int y, const char* button = "left") { game.Click(x, y, button); }
    // The left button down at (x, y) for this frame only.
    void Press(int x, int y) {
        game.Input("pointer " + std::to_string(x) + " " + std::to_string(y));
        game.Input("press left");
        game.Input("release left", 1);
        game.Frames(1);
    }
    void ClickRegion(int index) {
        const ActionRegion& r = interaction.actionRegions[index];
        ASSERT_EQ(r.enabled, 1) << "region " << index;
        Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // Until the scene has changed to `scene` and faded in.
    bool SceneBecomes(int scene, int limit = 900) {
        return Until([scene] { return loop.currentScene == scene && sceneSwitch.fadeState == 0; }, limit);
    }
    // Another scene, entered as a script asks for it.
    bool Enter(int scene) {
        game.RequestScene(scene);
        return SceneBecomes(scene);
    }

    GameHarness game;
};

}  // namespace tarvex::test
