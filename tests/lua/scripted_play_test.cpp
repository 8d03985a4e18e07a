// A scene of the generated demo played from a Lua script in the test process: the lift
// landing (scene 0) with its compiled-in functions replaced by a script that creates the
// hero, defines the doorway as an exit and reacts to the push-button. The hero walks,
// the button acts on arrival, the exit leaves; a save made there loads back into the
// script; the script can end the game.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include "interaction/game_state.h"
#include "menu/saved_games.h"
#include "resources/anim_slot.h"
#include "scripts/lua_scene.h"
#include "support/game_harness.h"
#include "text/dialogue.h"
#include "text/text_table.h"

namespace tarvex {
namespace {

namespace fs = std::filesystem;

// The doorway leads to the old man (scene 131), where the compiled scene goes elsewhere.
constexpr const char* kLanding = R"(-- The lift landing, scripted.
local PRESS = 5

function init()
  CreateHero(-58.56, 0.225, 224.98, 6.88)
end

function load()
  DefineRegion(0, 114, 69, 249, 451, CURSOR_LEFT, 264, 524, 3.158, 1)
  PlaceTool(379, 1, 45, 242, 58, 253)
  LoadStepAndTurnSounds()
  SetHeroFootsteps()
  Game.EXE = 0
  Game.DIALOG = 0
end

function run()
  RunActors()
  Game.cursorPicture = CURSOR_ARROW
  if GetState() == 1 and Game.subtitleTimer == 0 then
    SetState(0)
    GotoScene(131)
  end
  ResolvePointer()
  local action = TakeArrivedAction()
  if action == PRESS then
    SetFlags(8)
    PlayResponse(1184)
  elseif action ~= 0 then
    SetState(action)
  end
  if Game.freshPress and Game.toolUnderPointer == 379 then
    Game.LeftKey = 1
    WalkTo(HERO, 284, 587, 2.45)
    Game.EXE = PRESS
  end
  HandleClick()
end
)";

constexpr int kFloorX = 284, kFloorY = 587;   // the floor before the wall panel
constexpr int kButtonX = 51, kButtonY = 247;  // tool 379
constexpr int kDoorX = 180, kDoorY = 300;     // region 0

// The demo's files (linked, not copied) with scripts of the test's own in "scripts/";
// any scripts the demo has are left out.
std::string ScriptedDemo(const std::string& name, const std::map<int, std::string>& scripts) {
    const std::string demo = test::GeneratedDemo("packed", false);
    if (demo.empty()) return "";
    const fs::path dir = test::TempDir(name);
    for (const fs::directory_entry& e : fs::directory_iterator(demo)) {
        const std::string entry = e.path().filename().string();
        if (entry == "scripts" || entry == "scripts.res" || entry == "saves" || entry == ".complete") continue;
        fs::create_symlink(e.path(), dir / entry);
    }
    fs::create_directories(dir / "scripts");
    for (const auto& [scene, text] : scripts) {
        char file[32];
        std::snprintf(file, sizeof file, "scene%03d.lua", scene);
        std::ofstream(dir / "scripts" / file) << text;
    }
    return dir.string();
}

class ScriptedLanding : public ::testing::Test {
protected:
    void SetUp() override {
        SetScriptMessageSink([this](const std::string& line) { messages += line + "\n"; });
        folder = ScriptedDemo("lua-landing", {{0, kLanding}});
        ASSERT_FALSE(folder.empty());
        ASSERT_TRUE(game.Start(folder, 0));
        game.Frames(20);  // the fade in
        ASSERT_EQ(currentScene, 0);
    }
    void TearDown() override {
        EXPECT_EQ(messages, "");
        SetScriptMessageSink({});
    }
    static float Distance(const Vec3& a, const Vec3& b) {
        return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
    }
    std::u16string Said() const { return subtitleLength ? SubtitleString() : u""; }
    // Walks the hero to (x, y) by a click and waits until he stands again.
    bool WalkTo(int x, int y) {
        const Vec3 from = actors[0].position;
        game.Click(x, y);
        return game.Until([&] { return !actors[0].walking && Distance(actors[0].position, from) > 5.0f; });
    }

    std::string folder;
    std::string messages;
    test::GameHarness game;
};

TEST_F(ScriptedLanding, TheHeroWalksTheButtonActsOnArrivalAndTheDoorwayLeaves) {
    EXPECT_EQ(OpenLuaStates(), 1);
    EXPECT_EQ(ScriptedScene(), 0);
    ASSERT_TRUE(actors[0].inUse);
    EXPECT_NEAR(actors[0].position.x, -58.56f, 0.01f);
    EXPECT_NEAR(actors[0].position.z, 224.98f, 0.01f);
    EXPECT_EQ(requestedTrack, 5);  // the scene table's track
    EXPECT_EQ(actionRegions[0].right, 249);
    EXPECT_EQ(ToolTable[379].scene, 0);
    EXPECT_EQ(animSlots[1].loaded, 0);  // nothing of the compiled load

    ASSERT_TRUE(WalkTo(kFloorX, kFloorY));
    EXPECT_EQ(TestFlagsOf(0, 8), 0u);

    game.Click(kButtonX, kButtonY);
    ASSERT_TRUE(game.Until([] { return TestFlagsOf(0, 8) != 0; }));
    std::u16string line;
    ASSERT_TRUE(LookupText(TextTableId::Responses, 1184, line));
    EXPECT_EQ(Said(), line);

    game.Click(kDoorX, kDoorY);
    EXPECT_EQ(EXE, 1);
    ASSERT_TRUE(game.Until([] { return currentScene == 131; }));
    EXPECT_EQ(previousScene, 0);
    EXPECT_EQ(OpenLuaStates(), 0);  // the old man's room has no script
}

TEST_F(ScriptedLanding, ASaveMadeInTheScriptedSceneLoadsBackIntoIt) {
    ASSERT_TRUE(WalkTo(kFloorX, kFloorY));
    game.Click(kButtonX, kButtonY);
    ASSERT_TRUE(game.Until([] { return TestFlagsOf(0, 8) != 0 && subtitleTimer == 0; }));
    const Vec3 place = actors[0].position;
    const int actorsInScene = actorCount;
    std::string error;
    ASSERT_TRUE(SaveGame("saves/lua.sav", &error)) << error;

    // Away from the landing, with its flag gone.
    ClearFlagsOf(0, 8);
    game.Click(kDoorX, kDoorY);
    ASSERT_TRUE(game.Until([] { return currentScene == 131; }));

    ASSERT_TRUE(LoadGame("saves/lua.sav", &error)) << error;
    EXPECT_EQ(currentScene, 0);
    EXPECT_NE(TestFlagsOf(0, 8), 0u);
    EXPECT_EQ(OpenLuaStates(), 1);
    EXPECT_EQ(ScriptedScene(), 0);
    EXPECT_EQ(actorCount, actorsInScene);  // the script's init made the hero once
    EXPECT_LT(Distance(actors[0].position, place), 0.01f);
    EXPECT_EQ(actionRegions[0].enabled, 1);
    game.Frames(20);
    // The script still runs the scene: its exit leads to the old man, not the compiled one's.
    game.Click(kDoorX, kDoorY);
    ASSERT_TRUE(game.Until([] { return currentScene == 131; }));
}

TEST_F(ScriptedLanding, EndGameLeavesTheMenuOpenWithNoGameToReturnTo) {
    // A second script for the landing: the first click ends the game.
    std::ofstream(fs::path(folder) / "scripts" / "scene000.lua")
        << "function run() RunActors() if Game.freshPress then EndGame() end end";
    game.RequestScene(131);
    ASSERT_TRUE(game.Until([] { return currentScene == 131 && fadeState == 0; }));
    game.RequestScene(0);
    ASSERT_TRUE(game.Until([] { return currentScene == 0 && fadeState == 0; }));
    game.Click(400, 300);
    EXPECT_EQ(menuActive, 1);
    EXPECT_EQ(currentScene, -1);
    EXPECT_EQ(OpenLuaStates(), 0);
    game.Frames(5);
    game.Key("Escape");
    game.Frames(5);
    EXPECT_EQ(menuActive, 1);
    EXPECT_EQ(gameStarted, 0);
}

TEST_F(ScriptedLanding, ExtremeGameValuesComeBackFromAQuickSave) {
    // A landing script that writes every writable field of `Game` at its low or high end
    // (by the side of the screen clicked).
    std::ofstream(fs::path(folder) / "scripts" / "scene000.lua") << R"(
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
    game.RequestScene(131);
    ASSERT_TRUE(game.Until([] { return currentScene == 131 && fadeState == 0; }));
    game.RequestScene(0);
    ASSERT_TRUE(game.Until([] { return currentScene == 0 && fadeState == 0; }));
    for (const bool low : {true, false}) {
        SCOPED_TRACE(low ? "low" : "high");
        game.Click(low ? 300 : 500, 200);
        const int32_t exe = low ? INT32_MIN : INT32_MAX;
        ASSERT_EQ(DIALOG, exe);
        const int32_t held = heldTool, verb = currentVerb;
        EXPECT_EQ(held, low ? -1 : 999);
        game.Key("F5");
        EXE = DIALOG = 7;
        heldTool = 5;
        currentVerb = kVerbTalk;
        SetStateOf(298, 7);
        game.Key("F6");
        EXPECT_EQ(EXE, exe);
        EXPECT_EQ(DIALOG, exe);
        EXPECT_EQ(heldTool, held);
        EXPECT_EQ(currentVerb, verb);
        EXPECT_EQ(GetStateOf(298), low ? 0u : 4294967295u);
        // Not in a save: a loaded game starts them afresh.
        EXPECT_EQ(sequenceClock, 0.0f);
        game.Frames(10);
        EXPECT_EQ(currentScene, 0);
        EXPECT_EQ(ScriptedScene(), 0);
    }
}

}  // namespace
}  // namespace tarvex
