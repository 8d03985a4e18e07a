// A scene script written from docs/scripting.md alone, played in the engine binary: the
// loose demo is copied, tests/lua/modder_scene287.lua becomes its scripts/scene287.lua, and
// headless runs with replayed clicks are checked through their dumps and screenshots.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/engine_run.h"
#include "support/test_support.h"

namespace tarvex::test {
namespace {

namespace fs = std::filesystem;

constexpr int kScene = 287;
constexpr int kPlaqueReadFlag = 1;
constexpr int kNoteSequence = 10;
const char* const kPlaqueLine = "Табличка: «Дом построен в 1957 году».";
const char* const kNoteLine = "Запишу в блокнот: 1957.";

class ModderScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string demo = GeneratedDemo("loose", true);
        ASSERT_FALSE(demo.empty());
        dir = TempDir(std::string("modder-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        game = dir + "/game";
        // Hard links where the file system allows (the shared demo is only read), else copies.
        std::error_code error;
        fs::copy(demo, game, fs::copy_options::recursive | fs::copy_options::create_hard_links, error);
        if (error) {
            fs::remove_all(game);
            fs::copy(demo, game, fs::copy_options::recursive);
        }
        ASSERT_FALSE(fs::exists(game + "/scripts/scene287.lua")) << "the demo now scripts scene 287 itself";
    }
    // The game copy goes once the test passed; logs, dumps and screenshots stay.
    void TearDown() override {
        if (!HasFailure()) fs::remove_all(game);
    }
    void InstallScript() {
        fs::copy_file(std::string(TARVEX_SOURCE_DIR) + "/tests/lua/modder_scene287.lua",
                      game + "/scripts/scene287.lua");
    }
    void Click(int f, int x, int y) {
        replay.push_back(std::to_string(f) + " pointer " + std::to_string(x) + " " + std::to_string(y));
        replay.push_back(std::to_string(f) + " press left");
        replay.push_back(std::to_string(f + 1) + " release left");
    }
    // Runs scene 287 for `frames` frames; `tag` keeps the files of several runs apart.
    void Play(const std::string& tag, int frames, const std::vector<int>& dumps, const std::vector<int>& shots = {},
              const std::string& extra = "") {
        WriteReplay(dir + "/" + tag + "-replay.txt", replay);
        std::string args = "--headless --fixed-fps 30 --seed 1 --scene " + std::to_string(kScene) + " " + extra +
                           " --frames " + std::to_string(frames) + " --path " + game + " --saves " + dir + "/saves-" +
                           tag + " --replay " + dir + "/" + tag + "-replay.txt";
        for (int f : dumps) args += " --dump-state " + std::to_string(f) + ":" + File(tag, f, "json");
        for (int f : shots) args += " --screenshot " + std::to_string(f) + ":" + File(tag, f, "png");
        ASSERT_EQ(RunEngine(args, dir + "/" + tag + "-log.txt"), 0);
        std::ifstream in(dir + "/" + tag + "-log.txt");
        std::stringstream text;
        text << in.rdbuf();
        log = text.str();
    }
    std::string File(const std::string& tag, int frame, const char* ext) const {
        return dir + "/" + tag + "-" + std::to_string(frame) + "." + ext;
    }
    nlohmann::json Dump(const std::string& tag, int frame) {
        nlohmann::json j = ReadJson(File(tag, frame, "json"));
        EXPECT_FALSE(j.is_discarded()) << tag << " frame " << frame;
        return j;
    }
    static long Flags(const nlohmann::json& d, int scene) {
        const auto& flags = d["sceneFlags"];
        const std::string key = std::to_string(scene);
        return flags.contains(key) ? flags[key].get<long>() : 0;
    }
    static long State(const nlohmann::json& d, int scene) {
        const auto& states = d["sceneState"];
        const std::string key = std::to_string(scene);
        return states.contains(key) ? states[key].get<long>() : 0;
    }
    static const nlohmann::json* Hero(const nlohmann::json& d) {
        for (const auto& a : d["actors"])
            if (a["index"] == 0) return &a;
        return nullptr;
    }

    std::vector<std::string> replay;
    std::string dir, game, log;
};

// The first look at the plaque sets the flag and runs the note; a second look only speaks
// the plaque's line; the door on the right leads to the storeroom.
TEST_F(ModderScriptTest, PlaqueFlagOnceThenDoorToStoreroom) {
    InstallScript();
    Click(15, 190, 290);   // the plaque
    Click(210, 190, 290);  // the plaque again, after the note is over
    Click(340, 600, 400);  // the wooden door, after the plaque's line
    Play("door", 410, {10, 16, 130, 200, 240, 409});

    EXPECT_EQ(log.find("take over"), std::string::npos) << log;

    const nlohmann::json start = Dump("door", 10);
    EXPECT_EQ(start["currentScene"], kScene);
    const nlohmann::json* hero = Hero(start);
    ASSERT_NE(hero, nullptr);
    EXPECT_EQ((*hero)["model"], "models/gorin.md");
    EXPECT_NEAR((*hero)["position"][2].get<double>(), -200.0, 0.01);
    EXPECT_EQ(Flags(start, kScene), 0);
    ASSERT_EQ(start["regions"].size(), 2u);
    EXPECT_EQ(start["regions"][0]["action"], 1);
    EXPECT_EQ(start["regions"][1]["action"], 2);
    ASSERT_EQ(start["tools"].size(), 1u);
    EXPECT_EQ(start["tools"][0]["tool"], 8);

    const nlohmann::json clicked = Dump("door", 16);
    EXPECT_EQ(Flags(clicked, kScene), kPlaqueReadFlag);
    EXPECT_EQ(State(clicked, kScene), kNoteSequence);
    EXPECT_EQ(clicked["subtitle"]["text"], kPlaqueLine);

    const nlohmann::json note = Dump("door", 130);
    EXPECT_EQ(note["subtitle"]["text"], kNoteLine);
    EXPECT_EQ(State(note, kScene), kNoteSequence);

    EXPECT_EQ(State(Dump("door", 200), kScene), 0);

    const nlohmann::json again = Dump("door", 240);
    EXPECT_EQ(again["subtitle"]["text"], kPlaqueLine);
    EXPECT_EQ(State(again, kScene), 0);
    EXPECT_EQ(Flags(again, kScene), kPlaqueReadFlag);

    const nlohmann::json left = Dump("door", 409);
    EXPECT_EQ(left["currentScene"], 24);
    EXPECT_EQ(left["previousScene"], kScene);
    EXPECT_EQ(Flags(left, kScene), kPlaqueReadFlag);
    EXPECT_EQ(State(left, kScene), 0);
}

// With the flag already set, the plaque gives no note; the bottom edge leads back to 131.
TEST_F(ModderScriptTest, FlagSetBeforeSkipsNoteAndBackEdgeLeads131) {
    InstallScript();
    Click(15, 190, 290);
    Click(150, 400, 590);
    Play("back", 200, {16, 100, 199}, {}, "--flag 287:1");

    const nlohmann::json clicked = Dump("back", 16);
    EXPECT_EQ(clicked["subtitle"]["text"], kPlaqueLine);
    EXPECT_EQ(State(clicked, kScene), 0);
    EXPECT_NE(Dump("back", 100)["subtitle"]["text"], kNoteLine);

    const nlohmann::json left = Dump("back", 199);
    EXPECT_EQ(left["currentScene"], 131);
    EXPECT_EQ(left["previousScene"], kScene);
}

// The hero is drawn: where he stands the picture differs from the unscripted scene (which
// has no hero), while the wall away from him stays the same.
TEST_F(ModderScriptTest, HeroIsDrawn) {
    Play("plain", 12, {}, {10});
    InstallScript();
    Play("hero", 12, {}, {10});
    const Picture plain = ReadPicture(File("plain", 10, "png"));
    const Picture scripted = ReadPicture(File("hero", 10, "png"));
    ASSERT_TRUE(plain.ok && scripted.ok);
    EXPECT_GT(Difference(plain, scripted, 385, 300, 415, 500), 20.0);
    EXPECT_LT(Difference(plain, scripted, 20, 400, 120, 500), 2.0);
}

}  // namespace
}  // namespace tarvex::test
