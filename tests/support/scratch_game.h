// A scratch game folder made current for tests that drive a scene's logic in the test
// process: the engine's tables reset, the virtual clock at 30 frames a second, files
// written into the folder, and frames of the scene's run function with the pointer.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/globals.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "model/actor.h"
#include "platform/clock.h"
#include "resources/file_lookup.h"
#include "support/test_support.h"
#include "text/dialogue.h"
#include "text/text_table.h"

namespace tarvex::test {

class ScratchGameTest : public ::testing::Test {
protected:
    explicit ScratchGameTest(const char* prefix) : prefix_(prefix) {}

    void SetUp() override {
        ResetEngine();
        ResetActors();
        oldDir_ = std::filesystem::current_path();
        dir_ = TempDir(prefix_ + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::current_path(dir_);
        ClearFileLookupCache();
        SetFixedFrameRate(30);
        SetVirtualFrame(0);
        framePace.synch = 1.0f;
    }
    void TearDown() override {
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

    // texts/otboy.txt with "id text" lines (UTF-16 on disk), read afresh at its next use.
    static void Responses(const std::u16string& body) {
        std::string bytes = "\xFF\xFE";
        for (char16_t c : body) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        Write("texts/otboy.txt", bytes);
        ResetTextTables();
    }

    // The scene's logic for one frame (the run function under test).
    virtual void RunLogic() = 0;
    // One game frame as the game frame runs it: the clock, the logic, the subtitle, and the
    // press released once the button is up.
    void Frame() {
        SetVirtualFrame(frame_++);
        RunLogic();
        UpdateSubtitle();
        if (!(pointer.mouseState.buttons[0] & 0x80)) pointer.LeftKey = 0;
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) Frame();
    }
    // A click: the button down for one frame, then up for one.
    void Click(int x, int y) {
        pointer.cursorX = x;
        pointer.cursorY = y;
        pointer.mouseState.buttons[0] = 0x80;
        Frame();
        pointer.mouseState.buttons[0] = 0;
        Frame();
    }

    uint64_t frame_ = 0;
    std::string dir_;
    std::filesystem::path oldDir_;

private:
    std::string prefix_;
};

}  // namespace tarvex::test
