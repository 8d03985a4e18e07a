// A scratch game folder made current for the scene scripts and their devices: the
// engine's tables reset, the virtual clock at 30 frames a second, a scene's run function
// driven frame by frame with the pointer, and keys typed through the window procedure.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "base/globals.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "model/actor.h"
#include "platform/clock.h"
#include "resources/anim_slot.h"
#include "resources/file_lookup.h"
#include "scripts/devices.h"
#include "shell/scene_switch.h"
#include "shell/window_proc.h"
#include "support/scratch_game.h"
#include "support/test_support.h"
#include "text/dialogue.h"
#include "text/text_table.h"

namespace tarvex::test {

class ScriptsTest : public ScratchGameTest {
protected:
    ScriptsTest() : ScratchGameTest("scripts-") {}
    void SetUp() override {
        ScratchGameTest::SetUp();
        ResetDevices();
    }
    void TearDown() override {
        ResetDevices();
        ResetTextTables();
        ResetAnimSlots();
        ScratchGameTest::TearDown();
    }
    // The scene's run function under test.
    void RunLogic() override { run_(); }

    // "data/codes.txt" as given, read afresh at its next use.
    static void Codes(const std::string& text) {
        Write("data/codes.txt", text);
        ResetDevices();
    }
    // The remark on screen, by its text.
    static std::string Said() {
        if (!dialogue.subtitleLength) return "";
        std::string s;
        for (char16_t c : SubtitleString()) s += static_cast<char>(c);
        return s;
    }
    // Keys typed on the keyboard, through the window procedure ('\r' is Enter).
    static void Type(const std::string& keys) {
        for (char c : keys) HandleCharacter(static_cast<unsigned char>(c));
    }

    void Seconds(float s) { Frames(static_cast<int>(s * 30.0f + 0.5f)); }
    // Runs frames until the condition holds; false after `limit` frames.
    bool Until(const std::function<bool()>& condition, int limit = 600) {
        for (int i = 0; i < limit; ++i) {
            if (condition()) return true;
            Frame();
        }
        return condition();
    }
    std::function<void()> run_ = [] {};
};

}  // namespace tarvex::test
