// Scene scripts of the game folder taking over a scene's functions: which functions they
// replace, the fresh state of every visit, errors that hand the scene back to its
// compiled-in functions, the checks of the engine's functions and of `Game`, and the end
// of the game.
#include <fstream>
#include <iterator>

#include "scripts/lua_fixture.h"
#include "menu/menu.h"
#include "platform/input.h"
#include "render/frame_render.h"
#include "scripts/script_api.h"
#include "shell/window_proc.h"

namespace tarvex {
namespace {

using SceneScriptTest = test::LuaSceneTest;

// Scene 287 is a corridor view: its compiled load defines region 0 (back, action 1) and
// region 1 (ahead, action 2) and sets the shadow length to 50; its compiled run cuts to
// scene 160 on action 2. Without a hero every click arrives at once.
constexpr int kCorridor = 287;
constexpr int kCorridorAhead = 160;

bool CorridorLoadRan() { return interaction.actionRegions[0].enabled == 1 && sceneRendering.shadowLength == 50.0f; }

TEST_F(SceneScriptTest, AScriptReplacesOnlyTheFunctionsItDefines) {
    // Only load: the compiled run still takes the region's action.
    Script(kCorridor, "function load()\n  DefineRegion(1, 10, 10, 100, 100, CURSOR_USE, 0, 0, 0, 2)\nend\n");
    Enter(kCorridor);
    EXPECT_EQ(std::tuple(OpenLuaStates(), ScriptedScene(), CorridorLoadRan(), interaction.actionRegions[1].right),
              std::tuple(1, kCorridor, false, 100));
    Click(50, 50);
    Frame();
    EXPECT_EQ(std::tuple(loop.currentScene, sceneSwitch.instantCut), std::tuple(kCorridorAhead, 1));

    // Only run: the compiled load stays.
    Script(kCorridor, "function run() SetState(7) end");
    Enter(kCorridor);
    EXPECT_TRUE(CorridorLoadRan());
    Frame();
    EXPECT_EQ(GetStateOf(kCorridor), 7u);
    EXPECT_TRUE(messages.empty()) << AllMessages();
}

TEST_F(SceneScriptTest, EveryVisitStartsFromAFreshStateThatIsClosedWhenTheSceneIsLeft) {
    Script(kCorridor,
           "count = (count or 0) + 1\n"
           "function init() count = count + 1 end\n"
           "function run() SetState(count) end\n");
    for (int visit = 0; visit < 3; ++visit) {
        Enter(kCorridor);
        Frame();
        EXPECT_EQ(GetStateOf(kCorridor), 2u) << "visit " << visit;
        EXPECT_EQ(OpenLuaStates(), 1);
        Enter(kCorridor + 1);  // a scene without a script
        EXPECT_EQ(std::tuple(OpenLuaStates(), ScriptedScene()), std::tuple(0, -1));
    }
    // Scenes with scripts of their own do not share globals either.
    Script(kCorridor, "shared = 'corridor'\nfunction run() SetState(shared == 'corridor' and 1 or 2) end\n");
    Script(kCorridor + 1, "function run() SetState(shared == nil and run ~= nil and 1 or 2) end\n");
    Enter(kCorridor);
    Frame();
    Enter(kCorridor + 1);
    Frame();
    EXPECT_EQ(std::tuple(GetStateOf(kCorridor), GetStateOf(kCorridor + 1)), std::tuple(1u, 1u));
    // A scene left without the switch (the tests' reset) closes its state too.
    ResetSceneFunctions();
    EXPECT_EQ(OpenLuaStates(), 0);
}

TEST_F(SceneScriptTest, ABrokenScriptIsReportedOncePerVisitAndTheCompiledFunctionsTakeOver) {
    struct Case {
        const char* script;
        const char* report;  // what the one report says
        bool compiledLoad;   // the failure came before load: the compiled load ran
    };
    const Case cases[] = {
        {"function run(\n", "scripts/scene287.lua:2:", true},
        {"local x = 1\nundefined_function()\n", "scripts/scene287.lua:2: attempt to call a nil value", true},
        {"function init()\n  error('no hero')\nend\n", "scripts/scene287.lua:2: no hero (init)", true},
        {"function run()\n  local t\n  t.x = 1\nend\n", "scripts/scene287.lua:3: attempt to index a nil value", true},
        {"function run() error({}) end", "(error object is a table value)", true},
        // One budget spent, then the compiled run takes the frames.
        {"function run()\n  while true do end\nend\n",
         "scripts/scene287.lua:2: the call used up its budget of 1000000 instructions (run)", true},
        // An error object whose __tostring never ends is not asked for its text.
        {"function run() error(setmetatable({}, {__tostring = function() while true do end end})) end",
         "(error object is a table value)", true},
        {"function load() DefineRegion(1, 10, 10, 100, 100, CURSOR_USE, 0, 0, 0, 2) end\n"
         "function run() error('late', 0) end",
         "scripts/scene287.lua: late (run)", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        messages.clear();
        Script(kCorridor, c.script);
        for (int visit = 1; visit <= 2; ++visit) {
            Enter(kCorridor);
            EXPECT_EQ(CorridorLoadRan(), c.compiledLoad);
            Frames(5);
            EXPECT_EQ(OpenLuaStates(), 0);
            ASSERT_EQ(static_cast<int>(messages.size()), visit) << AllMessages();
            EXPECT_NE(messages.back().find(c.report), std::string::npos) << messages.back();
            EXPECT_NE(messages.back().find("compiled-in functions take over"), std::string::npos);
        }
        // The compiled run goes on with the scene: a click ahead cuts to the next view.
        Click(c.compiledLoad ? 400 : 50, c.compiledLoad ? 300 : 50);
        Frame();
        EXPECT_EQ(loop.currentScene, kCorridorAhead);
        loop.currentScene = kCorridor;
    }
}

TEST_F(SceneScriptTest, TheBudgetIsPerCall) {
    // Each frame's run spends most of a budget; no frame fails.
    ScriptLimits limits;
    limits.instructions = 20000;
    SetScriptLimits(limits);
    Script(kCorridor, "for i = 1, 3000 do end\n"
                      "function run() for i = 1, 3000 do end SetState(GetState() + 1) end\n");
    Enter(kCorridor);
    Frames(10);
    EXPECT_EQ(GetStateOf(kCorridor), 10u);
    EXPECT_TRUE(messages.empty()) << AllMessages();
    // One call that needs more than its budget fails.
    Script(kCorridor, "function run() for i = 1, 30000 do end SetState(99) end\n");
    Enter(kCorridor);
    Frame();
    EXPECT_EQ(Reported("budget of 20000 instructions"), 1);
    EXPECT_NE(GetStateOf(kCorridor), 99u);
}

TEST_F(SceneScriptTest, BadArgumentsRaiseAnErrorThatNamesTheFunction) {
    const std::pair<const char*, const char*> cases[] = {
        {"DefineRegion(64, 0, 0, 1, 1, 0, 0, 0, 0, 1)",
         "DefineRegion: index (argument 1) must be an integer 0..63, got 64"},
        {"DefineRegion(1)", "DefineRegion: takes 10 arguments, got 1"},
        {"DefineRegion(1.5, 0, 0, 1, 1, 0, 0, 0, 0, 1)", "DefineRegion: index (argument 1) must be an integer"},
        {"DefineRegion(1, 0, 0, 1, 1, 9, 0, 0, 0, 1)", "DefineRegion: cursor (argument 6)"},
        {"DefineRegion(1, 0, 0, 1, 1, 0, 800, 0, 0, 1)", "DefineRegion: walkX (argument 7)"},
        {"SetRegionLabel(-1, 3)", "SetRegionLabel: index (argument 1) must be an integer 0..63, got -1"},
        {"SetRegionLabel(2, 2^31)", "SetRegionLabel: label (argument 2) must be an integer"},
        {"PlaceTool(1000, 1, 0, 0, 1, 1)", "PlaceTool: tool (argument 1) must be an integer 0..999"},
        {"PlaceTool(5, 2, 0, 0, 1, 1)", "PlaceTool: clickable (argument 2) must be true, false, 1 or 0"},
        {"HideToolRange(10, 5)", "HideToolRange: last (argument 2) must be an integer 10..999"},
        {"LoadSound('../secret.wav', 1)", "LoadSound: path (argument 1) must be a game file path"},
        {"LoadSound('/etc/passwd', 1)", "LoadSound: path (argument 1)"},
        {"LoadSound('sound\\\\..\\\\x.wav', 1)", "LoadSound: path (argument 1)"},
        {"LoadSound('c:/x.wav', 1)", "LoadSound: path (argument 1)"},
        {"LoadSound('sound/a.wav', 64)", "LoadSound: slot (argument 2) must be an integer 0..63"},
        {"LoadFrameSequence('animgfx/a000.tif', 128, 0, 0, 1, 1)", "LoadFrameSequence: slot (argument 2)"},
        {"LoadFrameSequence('animgfx/a000.tif', 1, 0, 0, 1, 1, 0, 0, 0, 0.3, 16)", "LoadFrameSequence: light"},
        {"PlaySlot(3, 100)", "PlaySlot: level (argument 2) must be an integer -10000..0"},
        {"SetStateOf(299, 1)", "SetStateOf: scene (argument 1) must be an integer 0..298"},
        {"GotoScene('131')", "GotoScene: scene (argument 1) must be an integer 0..298, got string"},
        {"SetState(-1)", "SetState: value (argument 1) must be an integer 0..4294967295"},
        {"TestFlags('4')", "TestFlags: mask (argument 1) must be an integer 0..4294967295, got string"},
        {"WalkTo(0, 800, 10)", "WalkTo: x (argument 2) must be an integer 0..799"},
        {"WalkTo(2048, 10, 10)", "WalkTo: actor (argument 1) must be an integer 0..2047"},
        {"CreateHero(0/0, 0, 0, 0)", "CreateHero: x (argument 1) must be a number"},
        {"SetPosition(0, 1, 1/0, 1)", "SetPosition: y (argument 3)"},
        {"PollDialogChoice(445, 17)", "PollDialogChoice: count (argument 2) must be an integer 1..16"},
        {"WriteNotebookPage(2)", "WriteNotebookPage: page (argument 1) must be an integer 3..12"},
        {"DefaultRun({0, 5000})", "DefaultRun: exits[2] must be a scene number 0..298, got 5000"},
        {"DefaultRun(5)", "DefaultRun: exits (argument 1) must be a table of scene numbers, got 5"},
        {"AttachActor('models/a.md', '', 0)", "AttachActor: bone (argument 2) must be a name"},
        {"Game.heldTool = 1000", "Game.heldTool must be an integer -1..999, got 1000"},
        {"Game.verb = 0", "Game.verb must be an integer 1..4"},
        {"Game.sequenceClock = 0/0", "Game.sequenceClock must be a number"},
        {"Game.toolUnderPointer = 1", "Game.toolUnderPointer is read-only"},
        {"Game.seconds = 1", "Game.seconds is read-only"},
        {"local x = Game.nothing", "Game has no field 'nothing'"},
        {"Game.nothing = 1", "Game has no field 'nothing'"},
    };
    for (const auto& [call, expected] : cases) {
        SCOPED_TRACE(call);
        messages.clear();
        Script(kCorridor, std::string("function run()\n  ") + call + "\nend\n");
        Enter(kCorridor);
        Frame();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find(std::string("scripts/scene287.lua:2: ") + expected), std::string::npos)
            << messages[0];
    }
}

TEST_F(SceneScriptTest, EndGameOpensTheMenuWithNoGameToGoBackTo) {
    Script(kCorridor, "function run() if Game.freshPress then EndGame() end end");
    Enter(kCorridor);
    loop.gameStarted = 1;
    Frame();
    EXPECT_EQ(loop.menuActive, 0);
    Click(400, 300);
    EXPECT_EQ(std::tuple(loop.menuActive, loop.currentScene, loop.gameStarted, OpenLuaStates()), std::tuple(1, -1, 0, 0));
    HandleKeyDown(vk::Escape);
    EXPECT_EQ(loop.menuActive, 1);  // Escape has no game to return to
    ResetMenu();
    loop.menuActive = 0;

    // Ended by the file's top level, nothing more of the scene runs: no compiled init
    // (the hero), no load.
    Script(0, "EndGame()");
    Enter(0);
    EXPECT_EQ(std::tuple(loop.menuActive, loop.currentScene, bool(actorTable.actors[0].inUse), OpenLuaStates()), std::tuple(1, -1, false, 0));
    EXPECT_TRUE(messages.empty()) << AllMessages();
    ResetMenu();
}

TEST_F(SceneScriptTest, TheExampleSceneOfTheDocumentationRuns) {
    std::ifstream file(std::string(TARVEX_SOURCE_DIR) + "/docs/scripting.md");
    const std::string doc((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const size_t section = doc.find("## An example scene");
    ASSERT_NE(section, std::string::npos);
    const size_t start = doc.find("```lua\n", section);
    ASSERT_NE(start, std::string::npos);
    const size_t end = doc.find("```", start + 7);
    ASSERT_NE(end, std::string::npos);
    Script(24, doc.substr(start + 7, end - start - 7));
    Enter(24);
    EXPECT_EQ(std::tuple(int(interaction.actionRegions[0].label), int(interaction.actionRegions[1].action), int(interaction.ToolTable[182].scene)),
              std::tuple(6, 2, 24));
    Frames(5);
    Click(400, 570);  // the way back: no hero here, so at once
    Frames(2);
    EXPECT_EQ(loop.currentScene, 0);
    EXPECT_TRUE(messages.empty()) << AllMessages();
}

}  // namespace
}  // namespace tarvex
