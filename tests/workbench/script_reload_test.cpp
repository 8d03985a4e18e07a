// A scene script reloaded while the game plays in the test process: the loose file written
// between frames, the scene entered again at once with the hero where he stood, the flags
// and the tools carried kept; a broken file falls back to the compiled-in functions and
// says so; a packaged script reloads when asked.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "interaction/game_state.h"
#include "interaction/pointer.h"
#include "scripts/lua_scene.h"
#include "support/game_harness.h"
#include "workbench/script_reload.h"

namespace tarvex {
namespace {

namespace fs = std::filesystem;

class ScriptReload : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string demo = test::GeneratedDemo("packed", false);
        ASSERT_FALSE(demo.empty());
        // The demo's files with a folder of loose scripts beside its package of scripts.
        game = test::TempDir("script-reload") + "/game";
        fs::create_directories(game + "/scripts");
        for (const auto& entry : fs::directory_iterator(demo))
            fs::create_symlink(entry.path(), game + "/" + entry.path().filename().string());
        SetScriptMessageSink([this](const std::string& line) { messages += line + "\n"; });
        ASSERT_TRUE(harness.Start(game, 23));
        ASSERT_TRUE(harness.Until([] { return sceneSwitch.fadeState == 0; }, 60));
    }
    void TearDown() override { SetScriptMessageSink({}); }
    void Write(const std::string& text) { std::ofstream(game + "/scripts/scene023.lua") << text; }
    // Frames until the scene was entered again (a few checks of the file at most); false
    // when it was not, or when a fade showed meanwhile.
    bool Reloaded() {
        const int before = SceneScriptReloads();
        bool faded = false;
        const bool done = harness.Until(
            [&] {
                faded = faded || sceneSwitch.fadeState != 0;
                return SceneScriptReloads() > before;
            },
            20);
        return done && !faded && loop.currentScene == 23;
    }

    test::GameHarness harness;
    std::string game, messages;
};

TEST_F(ScriptReload, ChangedFileEntersTheSceneAgainWithTheHeroAndTheGameKept) {
    harness.Click(520, 540);
    const ActorRecord& hero = actorTable.actors[kHero];
    ASSERT_TRUE(harness.Until([&] { return hero.walking == 0; }, 300));
    SetFlagsOf(23, 0x40);
    SetToolOwnership(62, 1, 0);
    const Vec3 place = hero.position;
    const float heading = hero.heading;
    // Nothing changed on disk: nothing happens.
    harness.Frames(20);
    EXPECT_EQ(SceneScriptReloads(), 0);

    Write("function init() CreateHero(0, 0, 0, 0) end\n"
          "function load() DefineRegion(5, 10, 20, 110, 120, CURSOR_LEFT, 60, 100, NO_HEADING, 1) end\n");
    ASSERT_TRUE(Reloaded()) << messages;
    const ActionRegion& defined = interaction.actionRegions[5];
    EXPECT_EQ(std::tuple(defined.enabled, defined.left, defined.top, defined.right, defined.bottom),
              std::tuple(1, 10, 20, 110, 120));
    EXPECT_EQ(interaction.actionRegions[0].enabled, 0) << "the packaged script's regions are gone";
    EXPECT_EQ(TestFlagsOf(23, 0x40), 0x40u);
    EXPECT_EQ(interaction.ToolTable[62].inInventory, 1);
    ASSERT_TRUE(hero.inUse);
    EXPECT_EQ(std::tuple(hero.position.x, hero.position.y, hero.position.z, hero.heading),
              std::tuple(place.x, place.y, place.z, heading));
    EXPECT_NE(messages.find("scene 23 entered again with scripts/scene023.lua"), std::string::npos) << messages;
}

TEST_F(ScriptReload, BrokenFileFallsBackAndSaysSoAndAPackagedScriptReloadsWhenAsked) {
    Write("function load(\n");
    ASSERT_TRUE(Reloaded()) << messages;
    EXPECT_EQ(ScriptedScene(), -1);
    EXPECT_NE(messages.find("scripts/scene023.lua:"), std::string::npos) << messages;
    EXPECT_NE(messages.find("scene 23 entered again but scripts/scene023.lua failed"), std::string::npos) << messages;

    // The loose file gone: the packaged script is the scene's again.
    fs::remove(game + "/scripts/scene023.lua");
    ASSERT_TRUE(Reloaded()) << messages;
    EXPECT_EQ(ScriptedScene(), 23);
    EXPECT_EQ(interaction.actionRegions[0].enabled, 1);
    // Unchanged, it reloads only when asked.
    harness.Frames(20);
    const int reloads = SceneScriptReloads();
    EXPECT_TRUE(ReloadSceneScript());
    harness.Frames(1);
    EXPECT_EQ(SceneScriptReloads(), reloads + 1);
    EXPECT_EQ(ScriptedScene(), 23);
}

}  // namespace
}  // namespace tarvex
