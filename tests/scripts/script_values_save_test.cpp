// Whatever a scene script can store in `Game` a quick save carries and a quick load gives
// back: every writable field at its low and its high end, played in the demo's landing.
#include <filesystem>
#include <fstream>

#include "interaction/game_state.h"
#include "scripts/lua_scene.h"
#include "support/game_harness.h"

namespace tarvex {
namespace {

// A landing script that writes every writable field of `Game` at its low or high end (by the
// side of the screen clicked).
constexpr const char* kExtremes = R"(
function init() CreateHero(-58.56, 0.225, 224.98, 6.88) end
function run()
  RunActors()
  if not Game.freshPress then return end
  local low = Game.pointerX < 400
  Game.LeftKey = low and 0 or 1
  Game.EXE = low and -2147483648 or 2147483647
  Game.DIALOG = low and -2147483648 or 2147483647
  Game.heldTool = low and -1 or 999
  Game.verb = low and VERB_LOOK or VERB_USE
  Game.cursorPicture = low and CURSOR_ARROW or CURSOR_USE
  Game.sequenceClock = low and -1e9 or 1e9
  SetStateOf(298, low and 0 or 4294967295)
end
)";

TEST(ScriptValuesSave, ExtremeGameValuesComeBackFromAQuickSave) {
    namespace fs = std::filesystem;
    // The packed demo (linked, not copied) with this script as the landing's.
    const std::string demo = test::GeneratedDemo("packed", false);
    ASSERT_FALSE(demo.empty());
    const fs::path dir = test::TempDir("lua-extremes");
    for (const fs::directory_entry& e : fs::directory_iterator(demo)) {
        const std::string entry = e.path().filename().string();
        if (entry != "scripts" && entry != "scripts.res" && entry != "saves" && entry != ".complete")
            fs::create_symlink(e.path(), dir / entry);
    }
    fs::create_directories(dir / "scripts");
    std::ofstream(dir / "scripts" / "scene000.lua") << kExtremes;
    std::string messages;
    SetScriptMessageSink([&](const std::string& line) { messages += line + "\n"; });

    test::GameHarness game;
    ASSERT_TRUE(game.Start(dir.string(), 0));
    ASSERT_TRUE(game.Until([] { return loop.currentScene == 0 && sceneSwitch.fadeState == 0; }));
    for (const bool low : {true, false}) {
        SCOPED_TRACE(low ? "low" : "high");
        game.Click(low ? 300 : 500, 200);
        const int32_t exe = low ? INT32_MIN : INT32_MAX;
        ASSERT_EQ(scriptValues.DIALOG, exe);
        const int32_t held = interaction.heldTool, verb = interaction.currentVerb;
        EXPECT_EQ(held, low ? -1 : 999);
        game.Key("F5");
        interaction.EXE = scriptValues.DIALOG = 7;
        interaction.heldTool = 5;
        interaction.currentVerb = kVerbTalk;
        SetStateOf(298, 7);
        game.Key("F6");
        EXPECT_EQ(std::tuple(interaction.EXE, scriptValues.DIALOG, interaction.heldTool, interaction.currentVerb), std::tuple(exe, exe, held, verb));
        EXPECT_EQ(GetStateOf(298), low ? 0u : 4294967295u);
        EXPECT_EQ(gameState.sequenceClock, 0.0f);  // not in a save: a loaded game starts it afresh
        game.Frames(10);
        EXPECT_EQ(loop.currentScene, 0);
        EXPECT_EQ(ScriptedScene(), 0);  // the script goes on after the load
    }
    EXPECT_EQ(messages, "");
    SetScriptMessageSink({});
}

}  // namespace
}  // namespace tarvex
