// The overlays played by the engine headless: switched with Ctrl and a number in a replay,
// seen in the state dump, drawn over the window's picture (--window-shot) and left out of
// --screenshot unless --screenshot-overlays asks for them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "support/engine_run.h"

namespace tarvex {
namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class OverlaysRun : public ::testing::Test {
protected:
    void SetUp() override {
        demo = test::GeneratedDemo("packed", false);
        ASSERT_FALSE(demo.empty());
        dir = test::TempDir("overlays-run");
    }
    // Scene 23 for 32 frames, the pointer still over the floor, with the replay lines and
    // options given; screenshots and dumps of frames 20 and 30 named after `run`.
    void Play(const std::string& run, const std::vector<std::string>& lines, const std::string& options = "") {
        std::vector<std::string> replay{"0 pointer 400 450"};
        replay.insert(replay.end(), lines.begin(), lines.end());
        test::WriteReplay(dir + "/" + run + ".replay", replay);
        std::string args = "--headless --fixed-fps 30 --seed 1 --scene 23 --frames 32 --path " + demo + " --saves " +
                           dir + "/" + run + "-saves --replay " + dir + "/" + run + ".replay " + options;
        for (int f : {20, 30})
            args += " --screenshot " + std::to_string(f) + ":" + Name(run, f) + ".png --dump-state " + std::to_string(f) + ":" +
                    Name(run, f) + ".json";
        ASSERT_EQ(test::RunEngine(args, dir + "/" + run + ".log"), 0);
    }
    std::string Name(const std::string& run, int frame) { return dir + "/" + run + "-" + std::to_string(frame); }
    test::Picture Shot(const std::string& run, int frame) { return test::ReadPicture(Name(run, frame) + ".png"); }
    nlohmann::json Dump(const std::string& run, int frame) { return test::ReadJson(Name(run, frame) + ".json"); }

    std::string demo, dir;
};

TEST_F(OverlaysRun, CtrlNumbersSwitchOverlaysThatScreenshotsShowOnlyWhenAsked) {
    Play("plain", {"15 key F5"}, "--window-shot 20:" + Name("plain", 20) + "-window.png");
    // Ctrl+1 switches the regions on, and off again before frame 30.
    Play("regions", {"10 key Ctrl+1", "15 key F5", "25 key Ctrl+1"}, "--screenshot-overlays");
    // Every overlay on, and the screenshots without them (a quick save in each run: its notice is in the pictures).
    Play("all", {"10 key Ctrl+1", "10 key Ctrl+2", "10 key Ctrl+3", "10 key Ctrl+4", "10 key Ctrl+5", "10 key Ctrl+6",
                 "10 key Ctrl+7", "15 key F5"},
         "--window-shot 20:" + Name("all", 20) + "-window.png");

    EXPECT_EQ(Dump("plain", 20)["overlays"], nlohmann::json::array());
    EXPECT_EQ(Dump("regions", 20)["overlays"], nlohmann::json::array({"regions"}));
    EXPECT_EQ(Dump("regions", 30)["overlays"], nlohmann::json::array());
    EXPECT_EQ(Dump("all", 20)["overlays"],
              nlohmann::json::array({"regions", "tools", "walk", "depth", "route", "pointer", "frametime"}));
    // The keys typed nothing into the game: its state is the plain run's but for the overlays.
    auto all = Dump("all", 30);
    all.erase("overlays");
    auto plain = Dump("plain", 30);
    plain.erase("overlays");
    all.erase("engine");
    plain.erase("engine");
    EXPECT_EQ(all, plain);

    const test::Picture clean = Shot("plain", 20);
    ASSERT_FALSE(clean.rgb.empty());
    EXPECT_EQ(Shot("all", 20).rgb, clean.rgb);
    // A quick save's thumbnail is the picture under the overlays.
    const std::string quick = ReadBytes(dir + "/plain-saves/quick.sav");
    EXPECT_FALSE(quick.empty());
    EXPECT_EQ(ReadBytes(dir + "/all-saves/quick.sav"), quick);
    // The window shows them.
    const test::Picture window = test::ReadPicture(Name("all", 20) + "-window.png");
    ASSERT_TRUE(window.ok);
    EXPECT_NE(window.rgb, test::ReadPicture(Name("plain", 20) + "-window.png").rgb);
    EXPECT_EQ(Shot("regions", 30).rgb, Shot("plain", 30).rgb);
    // The regions' outlines: region 0's left edge is drawn in the clickable regions' yellow.
    const test::Picture shown = Shot("regions", 20);
    ASSERT_EQ(shown.rgb.size(), clean.rgb.size());
    EXPECT_NE(shown.rgb, clean.rgb);
    const nlohmann::json region = Dump("regions", 20)["regions"][0];
    const uint8_t* edge = shown.At(region["left"].get<int>(), (region["top"].get<int>() + region["bottom"].get<int>()) / 2);
    EXPECT_TRUE(edge[0] > 200 && edge[1] > 170 && edge[2] < 100) << int(edge[0]) << " " << int(edge[1]) << " " << int(edge[2]);
}

}  // namespace
}  // namespace tarvex
