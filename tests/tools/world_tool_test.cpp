// The world commands of tarvex-tool, run as the modders run them.
#include <gtest/gtest.h>

#include "support/model_writer.h"
#include "support/world_test_util.h"

namespace tarvex {
namespace {

using test::ToolOutput;

TEST(Tool, ModelPathNearestAndRefusals) {
    test::GameFolder game("world_tool");
    test::WriteFile("gorin.md", test::WriteModel(test::SampleModel()));
    int status = -1;
    std::string out = ToolOutput("model " + game.path() + "/gorin.md --influences", status);
    EXPECT_EQ(status, 0);
    for (const char* part : {"\"signed\":true,\"version\":300,\"pointCount\":4,\"triangleCount\":2,\"vertexCount\":5",
                             "\"bones\":[\"Bip01\",\"Bip01 R Hand\"]",
                             "{\"id\":7,\"first\":11,\"last\":20,\"loopTo\":12,\"speed\":1.5,\"next\":0}",
                             "\"influences\":[[2,[1,0],[0.75,0.25]],[3,[1],[1]]]"})
        EXPECT_NE(out.find(part), std::string::npos) << part << "\n" << out;

    std::vector<uint8_t> broken = test::WriteModel(test::SampleModel());
    broken.resize(60);
    test::WriteFile("broken.md", broken);
    out = ToolOutput("model " + game.path() + "/broken.md", status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out.rfind("{\"error\":", 0), 0u) << out;

    test::WriteFile("m.raw", std::vector<uint8_t>(120000, 0));
    out = ToolOutput("path --mask " + game.path() + "/m.raw --from 100 100 --to 106 100", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "{\"pathType\":1,\"pathLength\":3,\"points\":[[102,100],[104,100],[106,100]]}\n");
    EXPECT_EQ(ToolOutput("nearest --mask " + game.path() + "/m.raw 11 11", status), "[10,12]\n");
    ToolOutput("path --mask " + game.path() + "/missing.raw --from 1 1 --to 2 2", status);
    EXPECT_EQ(status, 1);
}

TEST(Tool, SceneAndUnproject) {
    test::GameFolder game("world_tool_scene");
    test::WriteText("scenes/scr_012.txt",
                    "CAMERA (0, -500, 100) (0, 0, 100) (45) (0) (0) SCALE (2) AMBIENT (30 40 50) START FIRES "
                    "POINTLIGHT (1) (100 200 300) (1000) (1) (0) (0) (255) (51) (0) MIRROR (0 0 0) (1 0 0) (1 0 1) "
                    "(0 0 1) (5)");
    int status = -1;
    const std::string out = ToolOutput("scene 12 --game " + game.path(), status);
    EXPECT_EQ(status, 0);
    for (const char* part : {"\"fov\":45,\"roll\":0,\"scale\":2,\"ambient\":3287070",
                             "\"lights\":[{\"position\":[-100,300,-200],\"range\":1000,\"attenuation\":[1,0,0]",
                             "\"mirror\":true"})
        EXPECT_NE(out.find(part), std::string::npos) << part << "\n" << out;
    ToolOutput("scene 13 --game " + game.path(), status);
    EXPECT_EQ(status, 1);

    // The centre pixel at depth -1000 lies 1000 in front of the eye (0, 100, 500).
    test::WriteFile("scenes/scr_012m.msk", test::UniformFloorFile(-1000.0f));
    EXPECT_EQ(ToolOutput("unproject 12 400 300 --game " + game.path(), status), "[0,100,-500]\n");
    EXPECT_EQ(status, 0);
    test::WriteFile("scenes/scr_012m.msk", test::UniformFloorFile(-200000.0f));  // no floor
    EXPECT_EQ(ToolOutput("unproject 12 400 300 --game " + game.path(), status), "null\n");
}

}  // namespace
}  // namespace tarvex
