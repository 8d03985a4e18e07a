// A scratch game folder made current, with the engine's tables reset, for the tests of
// the pointer, the toolbar and the game state.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "interaction/toolbar.h"
#include "model/actor.h"
#include "shell/globals.h"
#include "support/test_support.h"
#include "text/dialogue.h"
#include "text/text_table.h"

namespace tarvex::test {

class InteractionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngine();
        ResetToolbar();
        ResetTextTables();
        ResetActors();
        oldDir_ = std::filesystem::current_path();
        dir_ = TempDir(std::string("interaction-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::current_path(dir_);
        currentScene = 7;
        synch = 1.0f;
    }
    void TearDown() override {
        ResetTextTables();
        ResetInteractionState();
        std::filesystem::current_path(oldDir_);
    }
    static void Write(const std::string& path, const std::string& bytes) {
        const auto parent = std::filesystem::path(path).parent_path();
        if (!parent.empty()) std::filesystem::create_directories(parent);
        std::ofstream(path, std::ios::binary) << bytes;
    }
    // structure.txt as given, then read into the tool table.
    static void Structure(const std::string& text) {
        Write("texts/structure.txt", text);
        LoadToolTexts();
    }
    // texts/otboy.txt with the given "id text" lines (UTF-8 here, UTF-16 on disk).
    static void Responses(const std::u16string& body) {
        std::string bytes = "\xFF\xFE";
        for (char16_t c : body) {
            bytes += static_cast<char>(c & 0xFF);
            bytes += static_cast<char>(c >> 8);
        }
        Write("texts/otboy.txt", bytes);
        ResetTextTables();
    }
    static void Pointer(int x, int y, bool down) {
        cursorX = x;
        cursorY = y;
        mouseState.buttons[0] = down ? 0x80 : 0;
    }
    static void Right(bool down) { mouseState.buttons[1] = down ? 0x80 : 0; }
    // The remark on screen (the response id whose text is shown), from the subtitle text.
    static std::u16string Said() { return subtitleLength ? SubtitleString() : u""; }

    std::string dir_;
    std::filesystem::path oldDir_;
};

}  // namespace tarvex::test
