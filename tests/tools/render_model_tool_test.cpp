#include <gtest/gtest.h>

#include "model/actor_fixture.h"
#include "platform/png_io.h"
#include "support/world_test_util.h"

namespace tarvex {
namespace {

TEST(RenderModelTool, DrawsATexturedModelFramedByTheCamera) {
    const std::string dir = test::TempDir("render-model");
    test::ModelSpec s = test::QuadSpec(50, 0, 150);
    s.texture = "skin.bmp";
    test::WriteFile(dir + "/models/flat.md", test::WriteModel(s));
    // A red 2 x 2 texture beside the model, made by ImageMagick.
    ASSERT_EQ(test::Run("/usr/bin/convert -size 2x2 xc:red BMP3:" + dir + "/models/skin.bmp"), 0);
    int status = 0;
    const std::string json =
        test::ToolOutput("render-model models/flat.md --game " + dir + " --png " + dir + "/flat.png", status);
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

    test::ToolOutput("render-model models/none.md --game " + dir, status);
    EXPECT_EQ(status, 1);
}

}  // namespace
}  // namespace tarvex
