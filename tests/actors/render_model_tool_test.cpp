#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/png_io.h"
#include "support/test_support.h"
#include "world/model_writer.h"
#include "world/world_test_util.h"

namespace tarvex {
namespace {

std::string RunTool(const std::string& args, int& status) {
    const std::string out = test::TempDir("render-model-out") + "/out.txt";
    const std::string command = std::string(TARVEX_BINARY_DIR) + "/tarvex-tool " + args + " >" + out + " 2>&1";
    const int raw = std::system(command.c_str());
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream in(out);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(RenderModelTool, DrawsATexturedModelFramedByTheCamera) {
    const std::string dir = test::TempDir("render-model");
    test::ModelSpec s;
    s.points = {{-50, 0, 0}, {50, 0, 0}, {-50, 150, 0}, {50, 150, 0}};
    s.normals = {{0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, 0, -1}};
    s.uvs = {{0, 1}, {1, 1}, {0, 0}, {1, 0}};
    s.pointVertices = {{0}, {1}, {2}, {3}};
    s.triangles = {{0, 2, 1}, {1, 2, 3}};
    s.poses = {{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}};
    s.frameCount = 1;
    s.bones = {{"Bip01", {0, 1, 2, 3}, {0}}};
    s.motions[0] = {0, 10, 0, 1.0f, 0};
    s.texture = "skin.bmp";
    std::vector<uint8_t> model = test::WriteModel(s);
    test::WriteFile(dir + "/models/flat.md", model);
    // A red 2 x 2 texture beside the model, made by ImageMagick.
    ASSERT_EQ(std::system(("/usr/bin/convert -size 2x2 xc:red BMP3:" + dir + "/models/skin.bmp").c_str()), 0);
    int status = 0;
    const std::string json =
        RunTool("render-model models/flat.md --game " + dir + " --png " + dir + "/flat.png", status);
    ASSERT_EQ(status, 0) << json;
    EXPECT_NE(json.find("\"textured\":true"), std::string::npos) << json;
    const size_t at = json.find("\"pixelsDrawn\":");
    ASSERT_NE(at, std::string::npos);
    EXPECT_GT(std::atoi(json.c_str() + at + 14), 20000) << json;  // the model fills much of the frame
    int w, h;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(ReadPngRgb(dir + "/flat.png", w, h, rgb));
    const uint8_t* centre = &rgb[(300 * 800 + 400) * 3];
    EXPECT_GT(centre[0], 100);  // lit red
    EXPECT_LT(centre[1], 30);

    RunTool("render-model models/none.md --game " + dir, status);
    EXPECT_EQ(status, 1);
}

}  // namespace
}  // namespace tarvex
