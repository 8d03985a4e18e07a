// docs/workbench.md played headless: a new room made from the washroom's picture under
// scene 30, its floor found at the console, the doc's own script (its last Lua block)
// written beside the game, then the regions, the tool, the save and the exit checked
// as the doc says they end.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "support/engine_run.h"

namespace tarvex {
namespace {

namespace fs = std::filesystem;

std::string LastLuaBlock(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    const std::string doc = text.str();
    std::string last;
    const std::regex block("```lua\n([^`]*)```");
    for (auto it = std::sregex_iterator(doc.begin(), doc.end(), block); it != std::sregex_iterator(); ++it)
        last = (*it)[1];
    return last;
}

std::vector<std::string> ConsoleLines(const nlohmann::json& dump) {
    return dump.at("console").at("lines").get<std::vector<std::string>>();
}

// The first line that starts with `start`, "" when none does.
std::string Line(const std::vector<std::string>& lines, const std::string& start) {
    for (const std::string& l : lines)
        if (l.rfind(start, 0) == 0) return l;
    return "";
}

TEST(WorkbenchDoc, TheDocsRoomIsWrittenFromTheConsoleAndEndsAsTheDocSays) {
    const std::string demo = test::GeneratedDemo("loose", true);
    ASSERT_FALSE(demo.empty());
    // The demo's files, with the washroom's picture, depths, masks and camera as scene 30.
    const std::string dir = test::TempDir("workbench-doc"), game = dir + "/game";
    fs::create_directories(game);
    for (const auto& entry : fs::directory_iterator(demo))
        if (entry.path().filename() != "scenes") fs::create_symlink(entry.path(), game + "/" + entry.path().filename().string());
    fs::create_directories(game + "/scenes");
    for (const auto& entry : fs::directory_iterator(demo + "/scenes"))
        fs::create_symlink(entry.path(), game + "/scenes/" + entry.path().filename().string());
    for (const char* part : {".tif", ".zbf", ".txt", "m.raw", "m.msk"})
        fs::copy_file(demo + "/scenes/scr_024" + part, game + "/scenes/scr_030" + part);
    fs::remove(game + "/scripts");
    fs::create_directories(game + "/scripts");
    for (const auto& entry : fs::directory_iterator(demo + "/scripts"))
        fs::create_symlink(entry.path(), game + "/scripts/" + entry.path().filename().string());

    // Lines typed at the console from frame 2 on, one a frame; the doc's steps.
    auto play = [&](const std::string& run, std::vector<std::string> replay, const std::vector<std::string>& typed,
                    int frames, const std::vector<int>& dumps) {
        replay.push_back("2 key `");
        for (size_t i = 0; i < typed.size(); ++i) {
            replay.push_back(std::to_string(3 + i) + " text " + typed[i]);
            replay.push_back(std::to_string(3 + i) + " key Return");
        }
        test::WriteReplay(dir + "/" + run + ".replay", replay);
        std::string args = "--headless --fixed-fps 30 --seed 1 --scene 30 --frames " + std::to_string(frames) + " --path " +
                           game + " --saves " + dir + "/saves --replay " + dir + "/" + run + ".replay";
        for (int f : dumps) args += " --dump-state " + std::to_string(f) + ":" + dir + "/" + run + std::to_string(f) + ".json";
        ASSERT_EQ(test::RunEngine(args, dir + "/" + run + ".log"), 0);
    };

    // The empty room: the doorway's walk target is on the walkable floor, nothing is defined.
    play("floor", {"0 pointer 707 415"}, {"overlay(\"walk\")", "where()", "regions()"}, 8, {7});
    const nlohmann::json empty = test::ReadJson(dir + "/floor7.json");
    const std::vector<std::string> floor = ConsoleLines(empty);
    EXPECT_TRUE(Line(floor, "pointer 707, 415; floor ").ends_with("; walkable")) << empty["console"];
    EXPECT_NE(Line(floor, "regions: no rows in use"), "") << empty["console"];
    EXPECT_EQ(empty["overlays"], nlohmann::json::array({"walk"}));

    // The doc's script: the doorway, the towel, the exit; saved under "room", then the
    // console closed and the doorway clicked.
    const std::string script = LastLuaBlock(std::string(TARVEX_SOURCE_DIR) + "/docs/workbench.md");
    ASSERT_NE(script.find("function run()"), std::string::npos) << "no script in the doc";
    std::ofstream(game + "/scripts/scene030.lua") << script;
    play("room", {"0 pointer 160 320", "10 key `", "11 pointer 760 300", "12 press left", "13 release left"},
         {"regions()", "tools()", "save(\"room\")"}, 240, {9, 239});
    const nlohmann::json made = test::ReadJson(dir + "/room9.json");
    const std::vector<std::string> lines = ConsoleLines(made);
    EXPECT_NE(Line(lines, "0: scene=30 left=726 top=141 right=800 bottom=446 enabled=1 cursor=2"), "") << made["console"];
    EXPECT_EQ(Line(lines, "212: "), "212: 132, 299 - 234, 344 clickable drawn") << made["console"];
    EXPECT_NE(Line(lines, "saved "), "") << made["console"];
    const nlohmann::json left = test::ReadJson(dir + "/room239.json");
    EXPECT_EQ(left["currentScene"], 149);
    EXPECT_EQ(left["previousScene"], 30);

    // The save holds the room as it was: scene 30 with its region and its tool.
    ASSERT_EQ(test::RunEngine("--headless --fixed-fps 30 --frames 3 --path " + game + " --saves " + dir +
                                  "/saves --load " + dir + "/saves/room.sav --dump-state 2:" + dir + "/loaded.json",
                              dir + "/loaded.log"),
              0);
    const nlohmann::json loaded = test::ReadJson(dir + "/loaded.json");
    EXPECT_EQ(loaded["currentScene"], 30);
    EXPECT_EQ(loaded["regions"], made["regions"]);
    EXPECT_EQ(loaded["tools"], made["tools"]);
}

}  // namespace
}  // namespace tarvex
