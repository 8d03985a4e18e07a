// The world commands of tarvex-tool, run as the modders run them.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "model_writer.h"
#include "world_test_util.h"

namespace tarvex {
namespace {

std::string ToolOutput(const std::string& arguments, int& status) {
    const std::string tool = std::string(TARVEX_BINARY_DIR) + "/tarvex-tool";
    std::string out;
    FILE* pipe = popen((tool + " " + arguments + " 2>/dev/null").c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    status = WEXITSTATUS(pclose(pipe));
    return out;
}

class Tool : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(std::string(TARVEX_BINARY_DIR) + "/tarvex-tool")) << "tarvex-tool is not built";
    }
};

TEST_F(Tool, ModelPathNearestAndRefusals) {
    test::GameFolder game("world_tool");
    test::WriteFile("gorin.md", test::WriteModel(test::SampleModel()));
    int status = -1;
    std::string out = ToolOutput("model " + game.path() + "/gorin.md --influences", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("\"signed\":true,\"version\":300,\"pointCount\":4,\"triangleCount\":2,\"vertexCount\":5"),
              std::string::npos) << out;
    EXPECT_NE(out.find("\"bones\":[\"Bip01\",\"Bip01 R Hand\"]"), std::string::npos) << out;
    EXPECT_NE(out.find("{\"id\":7,\"first\":11,\"last\":20,\"loopTo\":12,\"speed\":1.5,\"next\":0}"),
              std::string::npos) << out;
    EXPECT_NE(out.find("\"influences\":[[2,[1,0],[0.75,0.25]],[3,[1],[1]]]"), std::string::npos) << out;

    std::vector<uint8_t> broken = test::WriteModel(test::SampleModel());
    broken.resize(60);
    test::WriteFile("broken.md", broken);
    out = ToolOutput("model " + game.path() + "/broken.md", status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out.rfind("{\"error\":", 0), 0u) << out;

    std::vector<uint8_t> mask(120000, 0);
    test::WriteFile("m.raw", mask);
    out = ToolOutput("path --mask " + game.path() + "/m.raw --from 100 100 --to 106 100", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "{\"pathType\":1,\"pathLength\":3,\"points\":[[102,100],[104,100],[106,100]]}\n");
    out = ToolOutput("nearest --mask " + game.path() + "/m.raw 11 11", status);
    EXPECT_EQ(out, "[10,12]\n");
    out = ToolOutput("path --mask " + game.path() + "/missing.raw --from 1 1 --to 2 2", status);
    EXPECT_EQ(status, 1);
}

TEST_F(Tool, SceneAndUnproject) {
    test::GameFolder game("world_tool_scene");
    test::WriteText("scenes/scr_012.txt",
                    "CAMERA (0, -500, 100) (0, 0, 100) (45) (0) (0) SCALE (2) AMBIENT (30 40 50) START FIRES "
                    "POINTLIGHT (1) (100 200 300) (1000) (1) (0) (0) (255) (51) (0) MIRROR (0 0 0) (1 0 0) (1 0 1) "
                    "(0 0 1) (5)");
    int status = -1;
    std::string out = ToolOutput("scene 12 --game " + game.path(), status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("\"fov\":45,\"roll\":0,\"scale\":2,\"ambient\":3287070"), std::string::npos) << out;
    EXPECT_NE(out.find("\"lights\":[{\"position\":[-100,300,-200],\"range\":1000,\"attenuation\":[1,0,0]"),
              std::string::npos) << out;
    EXPECT_NE(out.find("\"mirror\":true"), std::string::npos) << out;
    out = ToolOutput("scene 13 --game " + game.path(), status);
    EXPECT_EQ(status, 1);

    // A floor whose rows are all one run: depth -1000 in the middle row's every pixel.
    float depth = -1000.0f;
    uint32_t bits;
    std::memcpy(&bits, &depth, 4);
    std::vector<uint8_t> file;
    for (int y = 0; y < 600; ++y) file.insert(file.end(), {0, 0, 0x0C, 0x44});  // 2400 + 740
    for (int c = 0; c < 7; ++c) {
        const uint8_t byte = c < 3 ? 0 : static_cast<uint8_t>(bits >> (8 * (6 - c)));
        file.insert(file.end(), {0, 14});
        for (int i = 0; i < 6; ++i) file.insert(file.end(), {127, byte});
        file.insert(file.end(), {31, byte});
    }
    test::WriteFile("scenes/scr_012m.msk", file);
    out = ToolOutput("unproject 12 400 300 --game " + game.path(), status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "[0,100,-500]\n");
    depth = -200000.0f;  // no floor
    std::memcpy(&bits, &depth, 4);
    for (int c = 3; c < 7; ++c)
        for (int i = 0; i < 7; ++i) file[2400 + 16 * c + 3 + 2 * i] = static_cast<uint8_t>(bits >> (8 * (6 - c)));
    test::WriteFile("scenes/scr_012m.msk", file);
    out = ToolOutput("unproject 12 400 300 --game " + game.path(), status);
    EXPECT_EQ(out, "null\n");
}

}  // namespace
}  // namespace tarvex
