// Scenes of the generated demo played in the test process through the shared harness
// (the engine's own loop pass, the virtual clock at 30 frames a second), with the few
// moves these tests make: entering a scene as a script asks for it, and pressing the
// left button for a single frame.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "interaction/pointer.h"
#include "model/actor.h"
#include "shell/globals.h"
#include "shell/scene_switch.h"
#include "support/game_harness.h"
#include "support/test_support.h"
#include "text/dialogue.h"
#include "text/text_table.h"

namespace tarvex::test {

class DemoSceneTest : public ::testing::Test {
protected:
    // A new game in `scene`, after its fade in.
    void Start(int scene) {
        const std::string demo = GeneratedDemo("packed", false);
        ASSERT_FALSE(demo.empty());
        ASSERT_TRUE(game.Start(demo, scene));
        ASSERT_TRUE(Until([] { return fadeState == 0; }, 60));
    }
    void Frame() { game.Frames(1); }
    void Frames(int n) { game.Frames(n); }
    bool Until(const std::function<bool()>& condition, int limit = 900) { return game.Until(condition, limit); }
    void Click(int x, int y) { game.Click(x, y); }
    // The left button down at (x, y) for this frame only.
    void Press(int x, int y) {
        game.Input("pointer " + std::to_string(x) + " " + std::to_string(y));
        game.Input("press left");
        game.Input("release left", 1);
        game.Frames(1);
    }
    // Until the scene has changed to `scene` and faded in.
    bool SceneBecomes(int scene, int limit = 900) {
        return Until([scene] { return currentScene == scene && fadeState == 0; }, limit);
    }
    // Another scene, entered as a script asks for it.
    bool Enter(int scene) {
        game.RequestScene(scene);
        return SceneBecomes(scene);
    }

    GameHarness game;
};

}  // namespace tarvex::test
