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

#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "model/actor.h"
#include "platform/clock.h"
#include "resources/file_lookup.h"
#include "scripts/lua_scene.h"
#include "scripts/scene_dispatch.h"
#include "shell/globals.h"
#include "shell/scene_switch.h"
#include "support/test_support.h"
#include "text/dialogue.h"

namespace tarvex::test {

class LuaSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngine();
        ResetActors();
        oldDir_ = std::filesystem::current_path();
        dir_ = TempDir(std::string("lua-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::current_path(dir_);
        ClearFileLookupCache();
        SetFixedFrameRate(30);
        SetVirtualFrame(0);
        synch = 1.0f;
        SetScriptMessageSink([this](const std::string& line) { messages.push_back(line); });
    }
    void TearDown() override {
        ResetSceneFunctions();
        EXPECT_EQ(OpenLuaStates(), 0);
        SetScriptMessageSink({});
        SetScriptLimits(ScriptLimits{});
        ResetInteractionState();
        SetFixedFrameRate(0);
        std::filesystem::current_path(oldDir_);
        ClearFileLookupCache();
    }

    static void Write(const std::string& path, const std::string& bytes) {
        const auto parent = std::filesystem::path(path).parent_path();
        if (!parent.empty()) std::filesystem::create_directories(parent);
        std::ofstream(path, std::ios::binary) << bytes;
        ClearFileLookupCache();
    }
    static std::string ScriptPath(int scene) {
        char name[32];
        std::snprintf(name, sizeof name, "scripts/scene%03d.lua", scene);
        return name;
    }
    static void Script(int scene, const std::string& text) { Write(ScriptPath(scene), text); }

    // The scene entered as the switch enters it (its files aside): init, then load.
    void Enter(int scene) {
        previousScene = currentScene;
        currentScene = scene;
        ResetSceneState();
        InitScene();
        LoadScene();
    }
    // One game frame of the scene's logic; the press is used up while the button is down.
    void Frame() {
        SetVirtualFrame(frame_++);
        RunScene();
        UpdateSubtitle();
        if (!(mouseState.buttons[0] & 0x80)) LeftKey = 0;
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) Frame();
    }
    // A click: the button down for one frame, then up for one.
    void Click(int x, int y) {
        cursorX = x;
        cursorY = y;
        mouseState.buttons[0] = 0x80;
        Frame();
        mouseState.buttons[0] = 0;
        Frame();
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
    uint64_t frame_ = 0;
    std::string dir_;
    std::filesystem::path oldDir_;
};

}  // namespace tarvex::test
