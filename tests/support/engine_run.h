// End-to-end runs of the engine binary: headless, on a virtual clock, driven by a
// replay script, observed through --dump-state and screenshots.
#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/png_io.h"
#include "support/test_support.h"

namespace tarvex::test {

// Runs build/tarvex with the arguments; its output goes to `log`. The exit status.
inline int RunEngine(const std::string& args, const std::string& log) {
    const std::string command = std::string(TARVEX_BINARY_DIR) + "/tarvex " + args + " >" + log + " 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline nlohmann::json ReadJson(const std::string& path) {
    std::ifstream in(path);
    return nlohmann::json::parse(in, nullptr, false);
}

// A replay script written line by line ("FRAME kind ...").
inline void WriteReplay(const std::string& path, const std::vector<std::string>& lines) {
    std::ofstream out(path);
    for (const std::string& l : lines) out << l << "\n";
}

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    bool ok = false;
    const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

inline Picture ReadPicture(const std::string& path) {
    Picture p;
    p.ok = ReadPngRgb(path, p.width, p.height, p.rgb);
    return p;
}

// The mean absolute difference of two pictures inside a rectangle (0..255).
inline double Difference(const Picture& a, const Picture& b, int x0, int y0, int x1, int y1) {
    double sum = 0;
    long n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++n)
            for (int c = 0; c < 3; ++c) sum += std::abs(int(a.At(x, y)[c]) - int(b.At(x, y)[c]));
    return n ? sum / (3.0 * n) : 0;
}

// Tests that play the generated demo in the engine: a replay built click by click, a run
// headless on the virtual clock, the dumps and screenshots of the frames asked for.
class DemoPlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        demo = GeneratedDemo("packed", false);
        ASSERT_FALSE(demo.empty());
        dir = TempDir(std::string("play-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    // A left (or right) click at frame f: pointer and press, released a frame later.
    void Click(int f, int x, int y, const char* button = "left") {
        replay.push_back(std::to_string(f) + " pointer " + std::to_string(x) + " " + std::to_string(y));
        replay.push_back(std::to_string(f) + " press " + button);
        replay.push_back(std::to_string(f + 1) + " release " + button);
    }
    void Line(const std::string& line) { replay.push_back(line); }
    // Runs the engine from `start` (--scene N and its options) for `frames` frames.
    void Play(const std::string& start, int frames, const std::vector<int>& dumps, const std::vector<int>& shots = {}) {
        WriteReplay(dir + "/replay.txt", replay);
        std::string args = "--headless " + clock + " --seed 1 " + start + " --frames " + std::to_string(frames) +
                           " --path " + demo + " --saves " + dir + "/saves --replay " + dir + "/replay.txt";
        for (int f : dumps) args += " --dump-state " + std::to_string(f) + ":" + dir + "/" + std::to_string(f) + ".json";
        for (int f : shots) args += " --screenshot " + std::to_string(f) + ":" + dir + "/" + std::to_string(f) + ".png";
        ASSERT_EQ(RunEngine(args, dir + "/log.txt"), 0);
    }
    nlohmann::json Dump(int frame) {
        nlohmann::json j = ReadJson(dir + "/" + std::to_string(frame) + ".json");
        EXPECT_FALSE(j.is_discarded()) << "frame " << frame;
        return j;
    }
    Picture Shot(int frame) { return ReadPicture(dir + "/" + std::to_string(frame) + ".png"); }
    std::vector<std::string> replay;
    std::string demo, dir;
    std::string clock = "--fixed-fps 30";  // empty: the real clock, as a player's run
};

}  // namespace tarvex::test
