// End-to-end runs of the engine binary, headless, on a virtual clock.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/config.h"
#include "platform/display.h"
#include "shell/display_setup.h"
#include "support/engine_run.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

using test::RunEngine;

std::vector<int32_t> ConfigValues(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<int32_t> v;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        int32_t x;
        std::memcpy(&x, &bytes[i], 4);
        v.push_back(x);
    }
    if (bytes.size() % 4) v.push_back(-12345);
    return v;
}

std::string Text(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Temporary files left in a folder by writes that did not finish.
int TemporaryFiles(const std::string& dir) {
    int n = 0;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) n += e.path().extension() == ".tmp";
    return n;
}

TEST(EngineRun, HeadlessRunWritesACleanConfiguration) {
    std::string dir = test::TempDir("headless-run");
    std::filesystem::create_directories(dir + "/game");
    ASSERT_EQ(RunEngine("--headless --fixed-fps 30 --frames 40 --path " + dir + "/game", dir + "/log.txt"), 0);
    auto values = ConfigValues(dir + "/game/saves/config.cfg");
    ASSERT_EQ(values.size(), 18u);
    // A clean exit, windowed, the videos choice copied as by "Старт".
    EXPECT_EQ(std::tuple(values[17], values[13], values[11]), std::tuple(1, 0, 1));
    EXPECT_EQ(TemporaryFiles(dir + "/game/saves"), 0);
}

// The engine under a shell prefix (a file size limit) and a time limit; its exit status.
int RunEngineUnder(const std::string& prefix, const std::string& args, const std::string& log) {
    const std::string command = "sh -c '" + prefix + " exec timeout 120 " + std::string(TARVEX_BINARY_DIR) +
                                "/tarvex " + args + "' >" + log + " 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(EngineRun, BadCommandLinesAndPathsAreRefusedAtTheStartBadFilesStopNothing) {
    std::string dir = test::TempDir("bad-run");
    EXPECT_EQ(RunEngine("--frames", dir + "/log1.txt"), 2);
    EXPECT_EQ(RunEngine("--scene 299", dir + "/log2.txt"), 2);
    EXPECT_EQ(RunEngine("--screenshot nonsense", dir + "/log3.txt"), 2);
    EXPECT_EQ(RunEngine("--headless --path " + dir + "/missing", dir + "/log4.txt"), 1);
    std::ofstream(dir + "/bad.txt") << "0 key NoSuchKey\n";
    EXPECT_EQ(RunEngine("--headless --frames 1 --replay " + dir + "/bad.txt --path " + dir, dir + "/log5.txt"), 1);
    EXPECT_NE(Text(dir + "/log5.txt").find("bad.txt:1"), std::string::npos);
    // Outputs into folders that are not there, even at the root: refused, nothing made.
    const std::string root = "/tarvex-no-folder-" + std::to_string(::getpid());
    EXPECT_EQ(RunEngine("--headless --frames 1 --dump-state 0:" + dir + "/none/x.json --path " + dir,
                        dir + "/log6.txt"),
              2);
    EXPECT_EQ(RunEngine("--headless --frames 1 --screenshot 0:" + root + "/x.png --path " + dir, dir + "/log7.txt"), 2);
    EXPECT_NE(Text(dir + "/log7.txt").find(root), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir + "/none"));
    EXPECT_FALSE(std::filesystem::exists(root));
    std::filesystem::remove_all(root);
    // A folder given as the replay is no replay.
    EXPECT_EQ(RunEngine("--headless --frames 1 --replay " + dir + " --path " + dir, dir + "/log8.txt"), 1);

    // A pipe that nobody writes in place of the configuration: it is not waited for.
    std::filesystem::create_directories(dir + "/saves");
    ASSERT_EQ(::mkfifo((dir + "/saves/config.cfg").c_str(), 0644), 0);
    EXPECT_EQ(RunEngineUnder("", "--headless --frames 3 --path " + dir, dir + "/log9.txt"), 0);
    // The automatic save of the new game is larger than the file size limit allows: it
    // fails as on a full disk, is said, leaves no temporary file, and the game goes on.
    EXPECT_EQ(RunEngineUnder("ulimit -f 200 &&",
                             "--headless --fixed-fps 30 --frames 10 --scene 0 --dump-state 8:" + dir +
                                 "/8.json --path " + dir + " --saves " + dir + "/limited",
                             dir + "/log10.txt"),
              0);
    EXPECT_NE(Text(dir + "/log10.txt").find("Игра не сохранена"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir + "/limited/auto.sav"));
    EXPECT_EQ(TemporaryFiles(dir + "/limited"), 0);
    const auto dump = test::ReadJson(dir + "/8.json");
    EXPECT_EQ(std::tuple(dump["currentScene"], dump["menuActive"]), std::tuple(0, 0));
}

TEST(DisplaySetup, EveryFailedStepIsReportedWithItsMessage) {
    test::ResetEngine();
    std::string dir = test::TempDir("display-failure");
    SetSavesDirectory(dir);
    struct Case {
        DisplayStep step;
        const char* message;
    } cases[] = {{DisplayStep::VideoSystem, "DirectDrawCreateEx FAILED"},
                 {DisplayStep::Context, "CreateSurface FAILED"},
                 {DisplayStep::DepthBuffer, "Z-buffer create FAILED"},
                 {DisplayStep::Gamma, " Gamma QueryInterface FAILED"}};
    for (const Case& c : cases) {
        ForceDisplayFailure(c.step);
        DisplayOptions options;
        options.headless = true;
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(InitDisplay(options), kFailureResult);
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(std::string("Тарвекс: ") + c.message), std::string::npos) << err;
        EXPECT_FALSE(DisplayReady());
    }
    ForceDisplayFailure(DisplayStep::None);
    DisplayOptions options;
    options.headless = true;
    EXPECT_EQ(InitDisplay(options), 0);
    EXPECT_EQ(std::tuple(DisplayReady(), displayValues.stencilShadows), std::tuple(true, 0));
    ReleaseAll();
    ReleaseAll();  // safe twice
    EXPECT_FALSE(DisplayReady());
    SetSavesDirectory("saves");
}

}  // namespace
}  // namespace tarvex
