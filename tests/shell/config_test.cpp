#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/config.h"
#include "platform/atomic_file.h"
#include "shell/settings_dialog.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetEngine();
        dir = test::TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        SetSavesDirectory(dir + "/saves");
    }
    void TearDown() override { SetSavesDirectory("saves"); }
    std::string dir;
};

TEST_F(ConfigTest, MissingFileKeepsTheDefaultsAndSaveWritesSeventyTwoBytes) {
    LoadConfig();
    ASSERT_TRUE(SaveConfig());
    auto bytes = ReadAll(ConfigPath());
    ASSERT_EQ(bytes.size(), 72u);
    // Field 10 (gamma maximum) little-endian at byte 36, field 16 (sound volume) at 60.
    EXPECT_EQ(std::tuple(bytes[36], bytes[37], bytes[60]), std::tuple(255, 0, 90));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir + "/saves"), {}), 1);  // no temporary file
}

TEST_F(ConfigTest, FieldsOutOfTheirRangesTakeTheirDefaultsAndTheFileIsMended) {
    const int32_t values[18] = {7, 1, 1, 2, 5, 1, 0x7FFFFFFF, 1, 1, 0, 1, 0, 0, 0, 1, 408891555, -1, 1};
    std::memcpy(&config, values, sizeof values);
    ASSERT_TRUE(SaveConfig());
    ResetConfig();
    testing::internal::CaptureStderr();
    LoadConfig();
    const std::string said = testing::internal::GetCapturedStderr();
    const Config defaults;
    EXPECT_EQ(config.transformLighting, defaults.transformLighting);
    // 2 is no shadows value; a gamma of 0 would show nothing but black; fields in range stay.
    EXPECT_EQ(std::tuple(config.shadows, config.modeValue, config.gammaMax, config.soundVolume, config.musicVolume,
                         config.colour32, config.unused5),
              std::tuple(0, 0, 255, 90, 90, 1, 5));
    size_t lines = 0;
    for (char c : said) lines += c == '\n';
    EXPECT_EQ(lines, 6u);
    EXPECT_NE(said.find("sound volume 408891555"), std::string::npos);
    // Written back sane: the next start finds nothing to mend.
    ResetConfig();
    testing::internal::CaptureStderr();
    LoadConfig();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(config.gammaMax, 255);
}

TEST_F(ConfigTest, ShortFileKeepsDefaultsForTheValuesItLacks) {
    std::filesystem::create_directories(dir + "/saves");
    // Nine whole values and half of the tenth: gamma and everything after keep their defaults.
    std::vector<uint8_t> bytes(38, 0);
    bytes[4] = 1;   // 32-bit colour
    bytes[36] = 7;  // half a gamma value
    std::ofstream(ConfigPath(), std::ios::binary).write(reinterpret_cast<char*>(bytes.data()), bytes.size());
    LoadConfig();
    EXPECT_EQ(std::tuple(config.transformLighting, config.colour32, config.musicOn, config.gammaMax, config.soundVolume,
                         config.cleanExit),
              std::tuple(0, 1, 0, 255, 90, 0));
}

TEST_F(ConfigTest, FailedWriteLeavesThePreviousFile) {
    config.gammaMax = 300;
    ASSERT_TRUE(SaveConfig());
    // A file that may hold only 16 bytes: the write fails half-way, as on a full disk.
    const pid_t child = fork();
    if (child == 0) {
        FailWritesPastSizeLimit();
        rlimit limit{16, 16};
        setrlimit(RLIMIT_FSIZE, &limit);
        config.gammaMax = 400;
        _exit(SaveConfig() ? 1 : 0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    // The old file, and nothing beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir + "/saves"), {}), 1);
    ResetConfig();
    LoadConfig();
    EXPECT_EQ(config.gammaMax, 300);
}

}  // namespace
}  // namespace tarvex
