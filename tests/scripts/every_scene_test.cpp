// Every scene number of the game entered in turn on the demo folder: its init, its load and
// the first frames of its run (thirty with TARVEX_LONG=1), with a click and a right click
// between, without a fault.
#include "interaction/game_state.h"
#include "scripts/scene_dispatch.h"
#include "shell/scene_switch.h"
#include "support/game_harness.h"

namespace tarvex {
namespace {

TEST(EveryScene, InitLoadAndTheFirstFramesOfEachScene) {
    const bool full = test::LongTests();
    const std::string demo = test::GeneratedDemo("packed", false);
    ASSERT_FALSE(demo.empty());
    test::GameHarness game;
    ASSERT_TRUE(game.Start(demo, 0));
    game.Frames(5);
    for (int scene = 0; scene < kSceneCount; ++scene) {
        sceneSwitch.instantCut = 1;  // straight cuts: the tour is about the scenes, not the fades
        game.RequestScene(scene);
        // A passage of the demo's scripts leaves for the next scene at once: it counts as
        // entered once the switch came to it.
        ASSERT_TRUE(game.Until([scene] { return (loop.currentScene == scene && sceneSwitch.fadeState == 0) || sceneSwitch.previousScene == scene; }, 20))
            << scene;
        interaction.interfaceEnabled = 1;  // close-ups wait for their way back; the tour does not
        game.Click(100 + (scene * 37) % 600, 100 + (scene * 53) % 400);
        if (full) {
            game.Frames(10);
            game.Click(400, 300, "right");
            game.Frames(17);
        }
        ASSERT_GE(loop.currentScene, 0) << scene;
    }
}

}  // namespace
}  // namespace tarvex
