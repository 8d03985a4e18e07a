// Actors drawn headless: hidden by the scenery's depth, culled and alpha-tested, casting
// stencil shadows onto the floor. (The mirror is drawn in the golden run's bathroom.)
#include <gtest/gtest.h>

#include <cstring>
#include <glm/glm.hpp>

#include "model/actor_fixture.h"
#include "base/globals.h"
#include "model/actor.h"
#include "model/model_file.h"
#include "platform/depth_buffer.h"
#include "platform/display.h"
#include "platform/render_device.h"
#include "render/actor_render.h"
#include "render/frame_render.h"
#include "shell/game_frame.h"
#include "shell/display_setup.h"
#include "support/test_support.h"
#include "support/world_test_util.h"

namespace tarvex {
namespace {

// A closed box (outward faces) floating between heights y0 and y1.
test::ModelSpec BoxSpec(float half, float y0, float y1, uint8_t cull = 0) {
    test::ModelSpec s;
    for (uint16_t i = 0; i < 8; ++i) {
        s.points.push_back({(i & 1) ? half : -half, (i & 2) ? y1 : y0, (i & 4) ? half : -half});
        s.normals.push_back({0, 1, 0});
        s.uvs.push_back({0, 0});
        s.pointVertices.push_back({i});
    }
    const uint16_t faces[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    const glm::vec3 centre(0, (y0 + y1) / 2, 0);
    for (const auto& f : faces)
        for (auto tri : {std::array<uint16_t, 3>{f[0], f[1], f[2]}, std::array<uint16_t, 3>{f[0], f[2], f[3]}}) {
            // Wind every triangle so that (c - b) x (b - a) points out of the box.
            auto p = [&](int k) { return glm::vec3(s.points[tri[k]][0], s.points[tri[k]][1], s.points[tri[k]][2]); };
            if (glm::dot(glm::cross(p(2) - p(1), p(1) - p(0)), p(0) + p(1) + p(2) - 3.0f * centre) < 0)
                std::swap(tri[1], tri[2]);
            s.triangles.push_back(tri);
        }
    s.poses = {{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}};
    s.frameCount = 1;
    s.bones = {{"Bip01", {0, 1, 2, 3, 4, 5, 6, 7}, {0}}};
    s.motions[0] = {0, 10, 0, 1.0f, 0};
    s.cullMode = cull;
    return s;
}

class ActorRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::EnsureHeadlessDisplay());
        test::ResetEngine();
        ResetActors();
        ResetModels();
        folder = std::make_unique<test::GameFolder>("actor-render");
        test::LookDownAtFloor();
        MatMultiply(viewProjection, sceneTables.sceneCamera.viewMatrix, sceneTables.sceneCamera.projectionMatrix);
        for (auto& l : sceneTables.sceneLights) l.enabled = false;
        sceneTables.ambientColour = 0xFFFFFFFF;
        sceneTables.sceneMirror = SceneMirror{};
        displayValues.stencilShadows = 4;
        device::ResetRenderStates();
    }
    void TearDown() override {
        ResetActors();
        ResetModels();
        displayValues.stencilShadows = 0;
        sceneTables.sceneMirror = SceneMirror{};
        folder.reset();
    }
    // A new actor of its own model, alone in the scene.
    int Place(const test::ModelSpec& spec) {
        ResetActors();
        ResetModels();
        test::WriteFile("models/box.md", test::WriteModel(spec));
        return LoadActor("models/box.md", Vec3{0, 0, 0}, 0);
    }
    // One frame of the actor passes over the floor y = 0 as the scenery depth (everything
    // left of column `wall` much nearer), on a background of grey `clear`.
    std::vector<uint8_t> DrawFrame(float clear = 0, int wall = 0, bool shadows = false) {
        std::vector<float> d(800 * 600), window(800 * 600);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) d[y * 800 + x] = test::FloorRayDepth(x, y);
        SceneryWindowDepth(d.data(), window.data());
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < wall; ++x) window[y * 800 + x] = 0.0001f;
        WriteBackBufferDepth(window.data(), true);
        SaveBackBufferDepth();
        ClearBackBuffer(clear, clear, clear);
        PoseDrawnActors();
        DrawActorsOfFrame();
        if (shadows) DrawShadowDarkening();
        return ReadBackBufferRgb(false);
    }
    // The packed colour of the frame at the screen point of `p`.
    int ColourAt(const std::vector<uint8_t>& rgb, const Vec3& p) {
        int x, y;
        EXPECT_TRUE(Screen(p, x, y));
        const uint8_t* c = &rgb[(static_cast<size_t>(y) * 800 + x) * 3];
        return (c[0] << 16) | (c[1] << 8) | c[2];
    }
    int RedAt(const std::vector<uint8_t>& rgb, const Vec3& p) { return ColourAt(rgb, p) >> 16; }
    bool Screen(const Vec3& p, int& x, int& y) { return ProjectToScreen(p, viewProjection, x, y); }
    Mat4 viewProjection;
    std::unique_ptr<test::GameFolder> folder;
};

TEST_F(ActorRenderTest, SceneryNearerThanTheActorHidesItExactlyThere) {
    ASSERT_GE(Place(BoxSpec(40, 0, 120)), 0);
    int cx, cy;
    ASSERT_TRUE(Screen(Vec3{0, 60, 0}, cx, cy));
    const auto rgb = DrawFrame(0, cx);
    auto red = [&](int x) { return rgb[(static_cast<size_t>(cy) * 800 + x) * 3]; };
    EXPECT_EQ(std::tuple(red(cx - 2), red(cx - 1)), std::tuple(uint8_t{0}, uint8_t{0}));  // behind the wall
    EXPECT_EQ(std::tuple(red(cx), red(cx + 2)), std::tuple(uint8_t{255}, uint8_t{255}));  // in the open
}

TEST_F(ActorRenderTest, CullModesShowOrHideTheFacesInBothPasses) {
    // A closed box shows faces at its centre whichever way it culls; its front face alone
    // (outside towards the camera) shows without culling and in one of modes 1 and 2.
    test::ModelSpec front = BoxSpec(40, 0, 120);
    front.triangles.resize(2);
    int shown[3] = {};
    for (uint8_t mode : {0, 1, 2}) {
        Place(BoxSpec(40, 0, 120, mode));
        EXPECT_EQ(RedAt(DrawFrame(), Vec3{0, 60, 0}), 255) << int(mode);
        front.cullMode = mode;
        Place(front);
        shown[mode] = RedAt(DrawFrame(), Vec3{0, 60, -40}) != 0;
    }
    EXPECT_TRUE(shown[0]);
    EXPECT_NE(shown[1], shown[2]);
}

TEST_F(ActorRenderTest, StencilShadowDarkensTheFloorUnderTheActor) {
    const int a = Place(BoxSpec(30, 50, 110));
    actorTable.actors[a].shadowMode = 4;
    sceneRendering.shadowLight = {0, 10000, 0};  // straight above
    sceneRendering.shadowLength = 0.25f;
    sceneRendering.shadowColour = 0x80000000;
    auto rgb = DrawFrame(1, 0, true);
    EXPECT_NEAR(RedAt(rgb, Vec3{0, 0, -25}), 127, 2);  // under the box, seen past its front
    EXPECT_EQ(RedAt(rgb, Vec3{0, 0, -60}), 255);
    EXPECT_EQ(RedAt(rgb, Vec3{70, 0, -25}), 255);
    // Without the shadow mode nothing darkens.
    actorTable.actors[a].shadowMode = 0;
    EXPECT_EQ(RedAt(DrawFrame(1, 0, true), Vec3{0, 0, -25}), 255);
}

TEST_F(ActorRenderTest, AlphaTestReferencesAre240ForActorsAnd32ForProps) {
    // Quads whose texture is read along its middle row only.
    for (auto [name, y0] : {std::pair{"body", 0.0f}, {"hat", 120.0f}}) {
        test::ModelSpec s = test::QuadSpec(50, y0, 100);
        s.uvs = {{0, 0.5f}, {1, 0.5f}, {0, 0.5f}, {1, 0.5f}};
        s.texture = std::string(name) + ".tga";
        s.alphaTest = 1;
        test::WriteFile(std::string("models/") + name + ".md", test::WriteModel(s));
    }
    // Two texels a texture: alpha just below and just above each reference.
    ASSERT_EQ(test::Run("/usr/bin/convert -size 2x1 xc:red -alpha set -channel A "
                        "-fx \"i==0 ? 239/255 : 241/255\" +channel models/body.tga"), 0);
    ASSERT_EQ(test::Run("/usr/bin/convert -size 2x1 xc:blue -alpha set -channel A "
                        "-fx \"i==0 ? 31/255 : 33/255\" +channel models/hat.tga"), 0);
    const int body = LoadActor("models/body.md", Vec3{0, 0, 0}, 0);
    ASSERT_GE(body, 0);
    ASSERT_GE(AttachActor("models/hat.md", "Bip01 Neck", body), 0);
    const auto rgb = DrawFrame();
    // Heading 0 turns the model half round: its u = 0.25 lands at world x = +25.
    EXPECT_EQ(ColourAt(rgb, Vec3{25, 50, 0}), 0);              // body alpha 239 < 240
    EXPECT_NE(ColourAt(rgb, Vec3{-25, 50, 0}) & 0xFF0000, 0);  // body alpha 241
    EXPECT_EQ(ColourAt(rgb, Vec3{25, 170, 0}), 0);             // hat alpha 31 < 32
    EXPECT_NE(ColourAt(rgb, Vec3{-25, 170, 0}) & 0xFF, 0);     // hat alpha 33
}

}  // namespace
}  // namespace tarvex
