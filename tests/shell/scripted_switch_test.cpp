// Scene changes that a game folder's scripts ask for, played by the engine headless: a
// change asked for while a scene is entered, the end of the game during a fade, and clicks
// in a room that has no scene files yet.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/engine_run.h"

namespace tarvex {
namespace {

namespace fs = std::filesystem;

class ScriptedSwitchRun : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string demo = test::GeneratedDemo("packed", false);
        ASSERT_FALSE(demo.empty());
        dir = test::TempDir("scripted-switch");
        // The demo's files, and scripts of the test's own beside its package of scripts
        // (a loose file wins).
        game = dir + "/game";
        fs::create_directories(game + "/scripts");
        for (const auto& entry : fs::directory_iterator(demo))
            fs::create_symlink(entry.path(), game + "/" + entry.path().filename().string());
        Script(200, "GotoScene(23)\n");
        // Scene 23 has its files; its load asks for a room that has none.
        Script(23, "function load() DefineRegion(0, 0, 0, 100, 100, CURSOR_LEFT, 50, 50, NO_HEADING, 1)\n"
                   "  GotoScene(203) end\n");
        Script(203, "function init() CreateHero(0, 0, 0, 0) end\n"
                    "function run() DefaultRun({}) end\n");
        // A room without files too, that leaves and ends the game while it fades out.
        Script(202, "local n = 0\n"
                    "function init() CreateHero(0, 0, 0, 0) end\n"
                    "function run() DefaultRun({}) n = n + 1\n"
                    "  if n == 20 then GotoScene(23) elseif n == 24 then EndGame() end end\n");
    }
    void Script(int scene, const std::string& text) {
        char name[32];
        std::snprintf(name, sizeof name, "/scripts/scene%03d.lua", scene);
        std::ofstream(game + name) << text;
    }
    void Play(int scene, int frames, const std::vector<int>& dumps) {
        std::string args = "--headless --fixed-fps 30 --seed 1 --scene " + std::to_string(scene) + " --frames " +
                           std::to_string(frames) + " --path " + game + " --saves " + dir + "/saves --replay " + dir +
                           "/replay.txt";
        for (int f : dumps)
            args += " --dump-state " + std::to_string(f) + ":" + dir + "/" + std::to_string(f) + ".json";
        ASSERT_EQ(test::RunEngine(args, dir + "/log.txt"), 0);
    }
    nlohmann::json Dump(int frame) { return test::ReadJson(dir + "/" + std::to_string(frame) + ".json"); }
    // A click on the room at frame f.
    void Click(int f) {
        const std::string at = std::to_string(f);
        test::WriteReplay(dir + "/replay.txt",
                          {at + " pointer 400 450", at + " press left", std::to_string(f + 1) + " release left"});
    }
    static nlohmann::json Origin() { return nlohmann::json::array({0.0, 0.0, 0.0}); }
    std::string dir, game;
};

TEST_F(ScriptedSwitchRun, ChangesAskedForWhileEnteringFadeAfterTheFirstFrame) {
    Click(20);
    Play(200, 45, {0, 1, 40});
    // The top level's change: scene 200 is entered and plays its first frame, then fades.
    const auto first = Dump(0);
    EXPECT_EQ(std::tuple(first["currentScene"], first["fadeState"]), std::tuple(200, 4294967295u));
    // Scene 23 comes with its files and its load; the change its load asked for follows.
    const auto second = Dump(1);
    EXPECT_EQ(std::tuple(second["currentScene"], second["previousScene"], second["regions"].size(), second["fadeState"]),
              std::tuple(23, 200, 1u, 4294967295u));
    // The room without files has no camera and no floor: the click walks nobody anywhere
    // (scene 23's floor and camera stayed behind).
    const auto room = Dump(40);
    EXPECT_EQ(std::tuple(room["currentScene"], room["previousScene"]), std::tuple(203, 23));
    ASSERT_FALSE(room["actors"].empty());
    EXPECT_EQ(room["actors"][0]["position"], Origin());
}

TEST_F(ScriptedSwitchRun, AClickInANewRoomAndTheEndOfTheGameDuringAFade) {
    Click(5);
    Play(202, 60, {15, 22, 50});
    EXPECT_EQ(Dump(15)["actors"][0]["position"], Origin());  // was [null, null, null]
    const auto fading = Dump(22);
    EXPECT_EQ(fading["fadeState"], 4294967295u);
    EXPECT_LT(fading["gammaLevel"], fading["gammaMax"]);
    // The game is over: the menu, at full brightness, and no fade left hanging.
    const auto menu = Dump(50);
    EXPECT_EQ(std::tuple(menu["menuActive"], menu["currentScene"], menu["fadeState"], menu["gammaLevel"]),
              std::tuple(1, -1, 0u, menu["gammaMax"]));
}

}  // namespace
}  // namespace tarvex
