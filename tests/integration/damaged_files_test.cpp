// A game folder with damaged files, played by the real engine headless: a video whose
// stream is broken, music cut in half, a model without its texture and a scene without
// any of its files. The game plays on through each, and says on stderr what it met.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/engine_run.h"
#include "support/test_support.h"
#include "support/world_test_util.h"

namespace tarvex {
namespace {

namespace fs = std::filesystem;

std::string Text(const std::string& path) {
    const std::vector<uint8_t> bytes = test::ReadFile(path);
    return {bytes.begin(), bytes.end()};
}

class DamagedFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string demo = test::GeneratedDemo("loose", true);
        ASSERT_FALSE(demo.empty());
        dir = test::TempDir("damaged");
        game = dir + "/game";
        fs::copy(demo, game, fs::copy_options::recursive);
        // The intro's picture packets overwritten in stretches past its first fifth.
        std::vector<uint8_t> video = test::ReadFile(game + "/video/intrologo.bik");
        ASSERT_GT(video.size(), 10000u);
        for (size_t start = video.size() / 5; start < video.size(); start += 3000)
            for (size_t i = start; i < std::min(video.size(), start + 300); ++i)
                video[i] = static_cast<uint8_t>(i * 131 + 7);
        test::WriteFile(game + "/video/intrologo.bik", video);
        // Every music track cut in half.
        for (const auto& e : fs::directory_iterator(game + "/music")) {
            std::vector<uint8_t> music = test::ReadFile(e.path());
            music.resize(music.size() / 2);
            test::WriteFile(e.path(), music);
        }
        // The old man's texture gone, and every file of his room.
        ASSERT_TRUE(fs::remove(game + "/models/ded.bmp"));
        for (const auto& e : fs::directory_iterator(game + "/scenes"))
            if (e.path().filename().string().rfind("scr_131", 0) == 0) fs::remove(e.path());
    }
    int Run(const std::string& name, const std::string& start, int frames, int dumpAt) {
        return test::RunEngine("--headless --fixed-fps 30 --seed 1 " + start + " --frames " + std::to_string(frames) +
                                   " --path " + game + " --saves " + dir + "/saves --dump-state " +
                                   std::to_string(dumpAt) + ":" + dir + "/" + name + ".json",
                               dir + "/" + name + ".log");
    }
    std::string dir, game;
};

TEST_F(DamagedFiles, TheGamePlaysOnAndSaysWhatItMet) {
    // The broken intro plays to its end, skipping what it cannot decode; the menu follows.
    ASSERT_EQ(Run("menu", "", 150, 140), 0);
    const std::string menuLog = Text(dir + "/menu.log");
    EXPECT_NE(menuLog.find("video/intrologo.bik is damaged"), std::string::npos) << menuLog;
    nlohmann::json s = test::ReadJson(dir + "/menu.json");
    EXPECT_EQ(s["menuActive"], 1);
    EXPECT_EQ(s["playMode"], 0);

    // The old man's room with none of its files, his texture missing and the music cut:
    // the room runs, both men stand in it, the cut music keeps playing what it has.
    ASSERT_EQ(Run("room", "--scene 131", 400, 390), 0);
    const std::string roomLog = Text(dir + "/room.log");
    for (const char* said : {"is cut short: it plays as far as it goes", "scenes/scr_131.tif is missing",
                             "scenes/scr_131.txt is missing", "scenes/scr_131m.raw is missing",
                             "texture models/ded.bmp is missing"})
        EXPECT_NE(roomLog.find(said), std::string::npos) << said << "\n" << roomLog;
    // Each is said once, not every frame.
    EXPECT_EQ(roomLog.find("texture models/ded.bmp"), roomLog.rfind("texture models/ded.bmp"));
    s = test::ReadJson(dir + "/room.json");
    EXPECT_EQ(s["currentScene"], 131);
    EXPECT_EQ(s["actors"].size(), 3u);
    EXPECT_EQ(s["musicTrack"], s["requestedTrack"]);
    EXPECT_NE(s["musicTrack"], -1);
}

}  // namespace
}  // namespace tarvex
