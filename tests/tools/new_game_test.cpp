// tarvex-tool new-game: the starter folder played in the engine as a player plays it (the
// menu's new game, the book taken, the door to the storeroom and back, the storeroom with the
// script docs/authoring.md gives a room of one's own), its refusals, and the doc's make-scene
// commands run on its source files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/engine_run.h"
#include "support/world_test_util.h"

namespace tarvex {
namespace {

namespace fs = std::filesystem;

std::string StarterGame(const std::string& name) {
    const std::string game = test::TempDir(name) + "/game";
    int status = -1;
    const std::string out = test::ToolOutput("new-game " + game, status);
    EXPECT_EQ(status, 0) << out;
    return game;
}

std::vector<uint8_t> StarterFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string AuthoringDoc() {
    std::ifstream in(std::string(TARVEX_SOURCE_DIR) + "/docs/authoring.md");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

nlohmann::json StarterHero(const nlohmann::json& dump) {
    for (const nlohmann::json& actor : dump.at("actors"))
        if (actor.at("index") == 0) return actor;
    return {};
}

TEST(NewGame, TheStarterPlaysFromTheMenuThroughTheBookAndTheDoorAndBack) {
    const std::string game = StarterGame("new-game-play"), dir = fs::path(game).parent_path().string();
    // The storeroom plays with the doc's script for a room of one's own (its last Lua block).
    const std::string doc = AuthoringDoc();
    const size_t block = doc.rfind("```lua\n");
    ASSERT_NE(block, std::string::npos) << "no script in docs/authoring.md";
    const size_t end = doc.find("```", block + 7);
    std::ofstream(game + "/scripts/scene024.lua") << doc.substr(block + 7, end - block - 7);
    // The menu's new game; the hand; the book clicked twice (looked at, then taken); the
    // doorway in the back wall; in the storeroom the way back at the bottom of the picture.
    test::WriteReplay(dir + "/play.replay",
                      {"10 pointer 370 160", "10 press left", "11 release left",
                       "60 pointer 80 12", "60 press left", "61 release left",
                       "70 pointer 596 307", "70 press left", "71 release left",
                       "120 pointer 596 307", "120 press left", "121 release left",
                       "300 pointer 400 230", "300 press left", "301 release left",
                       "480 pointer 400 585", "480 press left", "481 release left"});
    // Played in English, from the starter's own pack.
    std::string args = "--headless --fixed-fps 30 --seed 1 --language en --frames 700 --path " + game + " --saves " +
                       dir + "/saves --replay " + dir + "/play.replay";
    for (int f : {20, 100, 299, 460, 699}) args += " --dump-state " + std::to_string(f) + ":" + dir + "/" + std::to_string(f) + ".json";
    ASSERT_EQ(test::RunEngine(args, dir + "/play.log"), 0);
    auto dump = [&](int f) { return test::ReadJson(dir + "/" + std::to_string(f) + ".json"); };

    // The new game begins in the room, the hero standing on its floor as make-scene wrote it.
    const nlohmann::json start = dump(20);
    ASSERT_EQ(start["currentScene"], 23) << start;
    const nlohmann::json hero = StarterHero(start);
    ASSERT_EQ(hero["model"], "models/gorin.md");
    EXPECT_NEAR(hero["position"][1].get<double>(), 0.0, 1.0);
    EXPECT_EQ(start["tools"].size(), 2u);  // the table and the book

    // The first click on the book looks at it, in English.
    EXPECT_EQ(dump(100)["subtitle"]["text"], "An old book in a red binding.");

    // He walked to the table and took the book: in the inventory, the room's flag set.
    const nlohmann::json taken = dump(299);
    EXPECT_EQ(taken["inventory"], nlohmann::json::array({110}));
    EXPECT_EQ(taken["sceneFlags"]["23"], 1);
    EXPECT_LT(StarterHero(taken)["position"][0].get<double>(), -100.0) << "not at the table";

    const nlohmann::json storeroom = dump(460);
    EXPECT_EQ(storeroom["currentScene"], 24);
    EXPECT_EQ(storeroom["previousScene"], 23);
    EXPECT_EQ(storeroom["inventory"], nlohmann::json::array({110}));
    EXPECT_NEAR(StarterHero(storeroom)["position"][1].get<double>(), 0.0, 1.0);
    EXPECT_TRUE(storeroom["tools"].empty()) << "not the doc's script: " << storeroom["tools"];

    // Back in the room he stands in the doorway, and the book stays taken.
    const nlohmann::json back = dump(699);
    EXPECT_EQ(back["currentScene"], 23);
    EXPECT_EQ(back["previousScene"], 24);
    EXPECT_LT(StarterHero(back)["position"][2].get<double>(), -150.0);
    EXPECT_EQ(back["tools"].size(), 1u);
}

TEST(NewGame, RefusesFoldersInUseAndTheDocsMakeSceneCommandsRemakeTheStartersRooms) {
    // A folder with a file in it, or a file: refused, and nothing is written.
    const std::string used = test::TempDir("new-game-used");
    std::ofstream(used + "/notes.txt") << "mine";
    int status = -1;
    std::string out = test::ToolOutput("new-game " + used, status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("not empty"), std::string::npos) << out;
    EXPECT_EQ(std::distance(fs::directory_iterator(used), fs::directory_iterator()), 1);
    test::ToolOutput("new-game " + used + "/notes.txt", status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(StarterFileBytes(used + "/notes.txt").size(), 4u);

    // The doc's make-scene commands on the starter's source files, run in its folder, write
    // the very scene files new-game wrote.
    const std::string game = StarterGame("new-game-doc");
    std::istringstream doc(AuthoringDoc());
    std::vector<std::string> commands;
    for (std::string line; std::getline(doc, line);)
        if (line.rfind("tarvex-tool make-scene ", 0) == 0 && line.find(" --picture source/") != std::string::npos)
            commands.push_back(line);
    ASSERT_FALSE(commands.empty()) << "no make-scene command in docs/authoring.md";
    for (const std::string& command : commands) {
        std::istringstream words(command);
        std::string tool, verb, scene;
        words >> tool >> verb >> scene;
        char name[40];
        std::snprintf(name, sizeof name, "/scenes/scr_%03d", std::stoi(scene));
        std::vector<std::vector<uint8_t>> made;
        for (const char* part : {".tif", ".zbf", "m.raw", "m.msk", ".txt"}) {
            made.push_back(StarterFileBytes(game + name + part));
            fs::remove(game + name + part);
        }
        const std::string run = "cd " + game + " && " + TARVEX_BINARY_DIR + "/" + command + " >made.json";
        ASSERT_EQ(std::system(run.c_str()), 0) << command;
        const nlohmann::json summary = test::ReadJson(game + "/made.json");
        EXPECT_EQ(summary["warnings"], nlohmann::json::array()) << summary;
        int k = 0;
        for (const char* part : {".tif", ".zbf", "m.raw", "m.msk", ".txt"})
            EXPECT_TRUE(StarterFileBytes(game + name + part) == made[k++]) << command << ": " << name << part;
    }
}

}  // namespace
}  // namespace tarvex
