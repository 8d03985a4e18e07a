// A scene script written from docs/scripting.md alone, played in the engine binary: the
// demo's files are linked into a game folder where tests/scripts/modder_scene287.lua becomes
// scripts/scene287.lua, and headless runs with replayed clicks are checked through their
// dumps and screenshots.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/engine_run.h"

namespace tarvex::test {
namespace {

namespace fs = std::filesystem;

constexpr int kScene = 287;
constexpr int kPlaqueReadFlag = 1;
constexpr int kNoteSequence = 10;
const char* const kPlaqueLine = "Табличка: «Дом построен в 1957 году».";
const char* const kNoteLine = "Запишу в блокнот: 1957.";

class ModderScriptTest : public DemoPlayTest {
protected:
    // The demo's files linked into a game folder of the test's own, with no scene 287 script.
    void SetUp() override {
        DemoPlayTest::SetUp();
        const std::string game = dir + "/game";
        fs::create_directories(game + "/scripts");
        for (const auto& e : fs::directory_iterator(demo))
            if (e.path().filename() != "scripts") fs::create_symlink(e.path(), fs::path(game) / e.path().filename());
        demo = game;
        ASSERT_FALSE(fs::exists(game + "/scripts/scene287.lua"));
    }
    void InstallScript() {
        fs::copy_file(std::string(TARVEX_SOURCE_DIR) + "/tests/scripts/modder_scene287.lua", demo + "/scripts/scene287.lua");
    }
    static long Flags(const nlohmann::json& d, int scene) { return d["sceneFlags"].value(std::to_string(scene), 0L); }
    static long State(const nlohmann::json& d, int scene) { return d["sceneState"].value(std::to_string(scene), 0L); }
};

// The first look at the plaque sets the flag and runs the note; a second look only speaks
// the plaque's line; the door on the right leads to the storeroom.
TEST_F(ModderScriptTest, PlaqueFlagOnceThenDoorToStoreroom) {
    InstallScript();
    Click(15, 190, 290);   // the plaque
    Click(210, 190, 290);  // the plaque again, after the note is over
    Click(340, 600, 400);  // the wooden door, after the plaque's line
    Play("--scene 287", 410, {10, 16, 130, 200, 240, 409});
    std::ifstream in(dir + "/log.txt");
    const std::string log{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(log.find("take over"), std::string::npos) << log;

    const nlohmann::json start = Dump(10);
    EXPECT_EQ(start["currentScene"], kScene);
    EXPECT_EQ(start["actors"][0]["model"], "models/gorin.md");
    EXPECT_EQ(Flags(start, kScene), 0);

    const nlohmann::json clicked = Dump(16);
    EXPECT_EQ(Flags(clicked, kScene), kPlaqueReadFlag);
    EXPECT_EQ(State(clicked, kScene), kNoteSequence);
    EXPECT_EQ(clicked["subtitle"]["text"], kPlaqueLine);

    EXPECT_EQ(Dump(130)["subtitle"]["text"], kNoteLine);

    EXPECT_EQ(State(Dump(200), kScene), 0);

    const nlohmann::json again = Dump(240);
    EXPECT_EQ(again["subtitle"]["text"], kPlaqueLine);
    EXPECT_EQ(State(again, kScene), 0);
    EXPECT_EQ(Flags(again, kScene), kPlaqueReadFlag);

    const nlohmann::json left = Dump(409);
    EXPECT_EQ(left["currentScene"], 24);
    EXPECT_EQ(left["previousScene"], kScene);
    EXPECT_EQ(Flags(left, kScene), kPlaqueReadFlag);
    EXPECT_EQ(State(left, kScene), 0);
}

}  // namespace
}  // namespace tarvex::test
