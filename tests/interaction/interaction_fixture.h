// The scratch game folder of the tests of the pointer, the toolbar and the game state,
// with the toolbar and the text tables reset.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "base/globals.h"
#include "interaction/game_state.h"
#include "interaction/interaction_state.h"
#include "interaction/toolbar.h"
#include "model/actor.h"
#include "scripts/notebook.h"
#include "support/scratch_game.h"
#include "text/dialogue.h"
#include "text/text_table.h"

namespace tarvex::test {

class InteractionTest : public ScratchGameTest {
protected:
    InteractionTest() : ScratchGameTest("interaction-") {}
    void SetUp() override {
        ScratchGameTest::SetUp();
        ResetToolbar();
        ResetTextTables();
        loop.currentScene = 7;
    }
    void TearDown() override {
        ResetTextTables();
        ScratchGameTest::TearDown();
    }
    void RunLogic() override {}
    // structure.txt as given, then read into the tool table.
    static void Structure(const std::string& text) {
        Write("texts/structure.txt", text);
        LoadToolTexts();
    }
    static void Pointer(int x, int y, bool down) {
        pointer.cursorX = x;
        pointer.cursorY = y;
        pointer.mouseState.buttons[0] = down ? 0x80 : 0;
    }
    static void Right(bool down) { pointer.mouseState.buttons[1] = down ? 0x80 : 0; }
    // The remark on screen (the response id whose text is shown), from the subtitle text.
    static std::u16string Said() { return dialogue.subtitleLength ? SubtitleString() : u""; }
};

}  // namespace tarvex::test
