// The console in the engine, headless: lines from the command line and typed in replays,
// the scene's own script state, the commands, the game's keys while it is open, history.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "support/engine_run.h"

namespace tarvex::test {
namespace {

class ConsolePlay : public DemoPlayTest {
protected:
    std::string Log() {
        std::ifstream in(dir + "/log.txt");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static std::vector<std::string> Lines(const nlohmann::json& dump) {
        return dump.at("console").at("lines").get<std::vector<std::string>>();
    }
};

TEST_F(ConsolePlay, LinesRunInTheScenesScriptWithItsFunctionsAndTheCommands) {
    // The notebook is taken: the scene's load places it again once its flag is cleared.
    Play("--scene 23 --flag 23:1 --console 'ClearFlags(1); load()' --console 'give(62)'"
         " --console 'console.save(\"one\")' --console 'tools()'"
         " --console 'set(\"regions\", 0, \"left\", 5)' --console 'show(\"regions\", 0)'"
         " --console 'while true do end' --console 'GetState() + 1'"
         " --console '1, \"ё\"'"
         " --console 'overlay(\"walk\")' --console 'overlay(\"walk\", false)' --console 'overlay(\"route\")'"
         " --console 'reload()'",
         40, {39});
    const std::string log = Log();
    EXPECT_NE(log.find("inventory: 62"), std::string::npos) << log;
    EXPECT_NE(log.find("\n742: "), std::string::npos) << log;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir + "/saves/one.sav"));  // the command under the scene's load
    EXPECT_NE(log.find("\n0: scene=23 left=5 top="), std::string::npos) << log;  // through the registry
    EXPECT_NE(log.find("error: console:1: the call used up its budget"), std::string::npos) << log;
    // The loop cost its line only: the scene keeps its script and the game goes on.
    EXPECT_EQ(log.find("compiled-in functions take over"), std::string::npos) << log;
    const nlohmann::json d = Dump(39);
    EXPECT_EQ(d["currentScene"], 23);
    EXPECT_NE(log.find("overlays on: walk\n"), std::string::npos) << log;
    EXPECT_EQ(d["overlays"], nlohmann::json::array({"route"}));
    const std::vector<std::string> shown = Lines(d);
    EXPECT_NE(std::find(shown.begin(), shown.end(), "1    ё"), shown.end());  // values apart, no tab drawn
    // reload() entered the scene again with its script once the fade in was over.
    EXPECT_NE(log.find("scene 23 entered again with scripts/scene023.lua"), std::string::npos) << log;
    EXPECT_FALSE(d["console"]["open"]);
}

TEST_F(ConsolePlay, SceneLeavesWithTheFadeAndWhereNamesTheRegion) {
    Line("0 pointer 100 250");  // inside region 0, the left door
    Play("--scene 23 --console 'where()' --console 'scene(75)'", 40, {1, 39});
    EXPECT_NE(Log().find("\nregion 0 (action 1"), std::string::npos) << Log();
    const nlohmann::json fading = Dump(1), after = Dump(39);
    EXPECT_EQ(fading["currentScene"], 23);
    EXPECT_GT(fading["fadeState"].get<uint64_t>(), 300u);  // fading out
    EXPECT_EQ(after["currentScene"], 75);
    EXPECT_EQ(after["previousScene"], 23);
}

TEST_F(ConsolePlay, TakesTheGamesKeysWhileOpenAndGivesThemBack) {
    for (const char* line : {"2 key `", "3 text give(62)", "3 key Return", "3 key F5", "4 key Escape", "5 key F2",
                             "6 key F2", "7 key Escape"})
        Line(line);
    Play("--scene 23", 9, {3, 4, 5, 6, 8});
    const nlohmann::json open = Dump(3), closed = Dump(4), menu = Dump(8);
    EXPECT_TRUE(open["console"]["open"]);
    EXPECT_EQ(Lines(open).back(), "> give(62)");
    EXPECT_EQ(open["notice"], "");  // F5 saved nothing
    EXPECT_FALSE(closed["console"]["open"]);
    EXPECT_EQ(closed["menuActive"], 0);  // Escape closed the console, not the game
    EXPECT_EQ(closed["inventory"], nlohmann::json::array({62}));
    EXPECT_TRUE(Dump(5)["console"]["open"]);
    EXPECT_FALSE(Dump(6)["console"]["open"]);
    EXPECT_EQ(menu["menuActive"], 1);
}

TEST_F(ConsolePlay, PauseHoldsTheScriptsClockEvenWhenItIsRead) {
    for (const char* line : {"2 key `", "2 text pause()", "2 key Return", "3 text Game.seconds", "3 key Return",
                             "30 text Game.seconds", "30 key Return"})
        Line(line);
    Play("--scene 23", 32, {31});
    const std::vector<std::string> shown = Lines(Dump(31));
    ASSERT_GE(shown.size(), 4u);
    EXPECT_EQ(shown[shown.size() - 2], "> Game.seconds");
    EXPECT_EQ(shown[shown.size() - 1], shown[shown.size() - 3]);  // the same time 27 frames later
}

TEST_F(ConsolePlay, HistorySurvivesARestart) {
    for (const char* line : {"2 key `", "2 text state(23, 5)", "2 key Return"}) Line(line);
    Play("--scene 23", 4, {});
    replay = {"2 key F2", "3 key Up", "3 key Return"};
    Play("--scene 23", 5, {4});
    EXPECT_EQ(Lines(Dump(4)), (std::vector<std::string>{"> state(23, 5)", "5"}));
    std::ifstream history(dir + "/saves/console_history.txt");
    std::string first;
    std::getline(history, first);
    EXPECT_EQ(first, "state(23, 5)");
}

}  // namespace
}  // namespace tarvex::test
