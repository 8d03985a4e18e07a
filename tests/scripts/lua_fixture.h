// A scratch game folder made current for the scene scripts in Lua: scripts written into
// "scripts/", the engine's tables reset, the scene entered as the scene switch enters it
// (init, then load) and its run function driven frame by frame with the pointer. What
// the scripts report and print is collected instead of going to stderr.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/globals.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "model/actor.h"
#include "platform/clock.h"
#include "resources/file_lookup.h"
#include "scripts/lua_scene.h"
#include "scripts/scene_dispatch.h"
#include "shell/scene_switch.h"
#include "support/scratch_game.h"
#include "support/test_support.h"
#include "text/dialogue.h"

namespace tarvex::test {

class LuaSceneTest : public ScratchGameTest {
protected:
    LuaSceneTest() : ScratchGameTest("lua-") {}
    void SetUp() override {
        ScratchGameTest::SetUp();
        SetScriptMessageSink([this](const std::string& line) { messages.push_back(line); });
    }
    void TearDown() override {
        ResetSceneFunctions();
        EXPECT_EQ(OpenLuaStates(), 0);
        SetScriptMessageSink({});
        SetScriptLimits(ScriptLimits{});
        ScratchGameTest::TearDown();
    }
    // The scene's logic; the press is used up while the button is down.
    void RunLogic() override { RunScene(); }

    static std::string ScriptPath(int scene) {
        char name[32];
        std::snprintf(name, sizeof name, "scripts/scene%03d.lua", scene);
        return name;
    }
    static void Script(int scene, const std::string& text) { Write(ScriptPath(scene), text); }

    // The scene entered as the switch enters it (its files aside): init, then load.
    void Enter(int scene) {
        sceneSwitch.previousScene = loop.currentScene;
        loop.currentScene = scene;
        ResetSceneState();
        InitScene();
        LoadScene();
    }
    // Lines reported or printed that contain `text`.
    int Reported(const std::string& text) const {
        int n = 0;
        for (const std::string& m : messages) n += m.find(text) != std::string::npos;
        return n;
    }
    std::string AllMessages() const {
        std::string all;
        for (const std::string& m : messages) all += m + "\n";
        return all;
    }

    std::vector<std::string> messages;
};

}  // namespace tarvex::test
