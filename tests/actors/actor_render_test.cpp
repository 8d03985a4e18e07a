// Actors drawn headless: hidden by the scenery's depth, reflected in a mirror only
// inside it, casting stencil shadows onto the floor.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "model/actor.h"
#include "model/model_file.h"
#include "platform/depth_buffer.h"
#include "platform/display.h"
#include "platform/render_device.h"
#include "render/actor_render.h"
#include "render/frame_render.h"
#include "scene/path_finding.h"
#include "scene/scene_description.h"
#include "scene/scene_load.h"
#include "scene/walk_mask.h"
#include "shell/display_setup.h"
#include "shell/globals.h"
#include "support/test_support.h"
#include "world/model_writer.h"
#include "world/world_test_util.h"

namespace tarvex {
namespace {

constexpr float kDeg = 0.01745329f;

// A closed box (outward faces) floating between heights y0 and y1.
test::ModelSpec BoxSpec(float half, float y0, float y1, uint8_t cull = 0) {
    test::ModelSpec s;
    for (int i = 0; i < 8; ++i)
        s.points.push_back({(i & 1) ? half : -half, (i & 2) ? y1 : y0, (i & 4) ? half : -half});
    for (int i = 0; i < 8; ++i) {
        s.normals.push_back({0, 1, 0});
        s.uvs.push_back({0, 0});
        s.pointVertices.push_back({static_cast<uint16_t>(i)});
    }
    const uint16_t faces[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    const float cy = (y0 + y1) / 2;
    for (const auto& f : faces) {
        for (auto tri : {std::array<uint16_t, 3>{f[0], f[1], f[2]}, std::array<uint16_t, 3>{f[0], f[2], f[3]}}) {
            // Wind every triangle so that (c - b) x (b - a) points out of the box.
            auto p = [&](int k) { return s.points[tri[k]]; };
            const float cb[3] = {p(2)[0] - p(1)[0], p(2)[1] - p(1)[1], p(2)[2] - p(1)[2]};
            const float ba[3] = {p(1)[0] - p(0)[0], p(1)[1] - p(0)[1], p(1)[2] - p(0)[2]};
            const float n[3] = {cb[1] * ba[2] - cb[2] * ba[1], cb[2] * ba[0] - cb[0] * ba[2], cb[0] * ba[1] - cb[1] * ba[0]};
            const float out[3] = {p(0)[0] + p(1)[0] + p(2)[0], p(0)[1] + p(1)[1] + p(2)[1] - 3 * cy,
                                  p(0)[2] + p(1)[2] + p(2)[2]};
            if (n[0] * out[0] + n[1] * out[1] + n[2] * out[2] < 0) std::swap(tri[1], tri[2]);
            s.triangles.push_back(tri);
        }
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
        sceneCamera.eye = {0, 500, -800};
        sceneCamera.target = {0, 0, 0};
        MatLookAt(sceneCamera.viewMatrix, sceneCamera.eye, sceneCamera.target, Vec3{0, 1, 0});
        MatPerspectiveFov(sceneCamera.projectionMatrix, 45.0f * kDeg, 0.75f, 100.0f, 10000.0f);
        MatMultiply(viewProjection, sceneCamera.viewMatrix, sceneCamera.projectionMatrix);
        for (auto& l : sceneLights) l.enabled = false;
        ambientColour = 0xFFFFFFFF;
        sceneMirror = SceneMirror{};
        stencilShadows = 4;
        device::ResetRenderStates();
    }
    void TearDown() override {
        ResetActors();
        ResetModels();
        stencilShadows = 0;
        sceneMirror = SceneMirror{};
        folder.reset();
    }
    // The floor y = 0 as the scenery depth, saved for the restore.
    void FloorAsScenery(float nearAbove = -1) {
        std::vector<float> d(800 * 600), window(800 * 600);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                const Vec3 far = ScreenToWorld(x, y, 1.0f);
                const float rayY = sceneCamera.eye.y - far.y;
                d[y * 800 + x] = rayY < 0 ? sceneCamera.eye.y / rayY : -1e9f;
            }
        SceneryWindowDepth(d.data(), window.data());
        if (nearAbove >= 0)  // everything left of this column is much nearer: a wall
            for (int y = 0; y < 600; ++y)
                for (int x = 0; x < static_cast<int>(nearAbove); ++x) window[y * 800 + x] = 0.0001f;
        WriteBackBufferDepth(window.data(), true);
        SaveBackBufferDepth();
    }
    int Place(const test::ModelSpec& spec, const Vec3& at) {
        test::WriteFile("models/box.md", test::WriteModel(spec));
        return LoadActor("models/box.md", at, 0);
    }
    uint8_t Red(const std::vector<uint8_t>& rgb, int x, int y) { return rgb[(static_cast<size_t>(y) * 800 + x) * 3]; }
    bool Screen(const Vec3& p, int& x, int& y) { return ProjectToScreen(p, viewProjection, x, y); }
    Mat4 viewProjection;
    std::unique_ptr<test::GameFolder> folder;
};

TEST_F(ActorRenderTest, SceneryNearerThanTheActorHidesItExactlyThere) {
    const int a = Place(BoxSpec(40, 0, 120), Vec3{0, 0, 0});
    ASSERT_GE(a, 0);
    int cx, cy;
    ASSERT_TRUE(Screen(Vec3{0, 60, 0}, cx, cy));
    FloorAsScenery(static_cast<float>(cx));
    ClearBackBuffer(0, 0, 0);
    DrawActorPasses();
    auto rgb = ReadBackBufferRgb(false);
    EXPECT_EQ(Red(rgb, cx - 2, cy), 0);    // behind the wall
    EXPECT_EQ(Red(rgb, cx + 2, cy), 255);  // in the open
    EXPECT_EQ(Red(rgb, cx - 1, cy), 0);
    EXPECT_EQ(Red(rgb, cx, cy), 255);
}

TEST_F(ActorRenderTest, CullModesShowOrHideTheFacesInBothPasses) {
    // A box seen from outside: with every face culled the other way round, only its
    // inside faces show; with no culling the outside shows.
    for (uint8_t mode : {0, 1, 2}) {
        ResetActors();
        ResetModels();
        const int a = Place(BoxSpec(40, 0, 120, mode), Vec3{0, 0, 0});
        ASSERT_GE(a, 0);
        FloorAsScenery();
        ClearBackBuffer(0, 0, 0);
        DrawActorPasses();
        int cx, cy;
        Screen(Vec3{0, 60, 0}, cx, cy);
        auto rgb = ReadBackBufferRgb(false);
        // Every mode draws some faces of a closed box at its centre.
        EXPECT_EQ(Red(rgb, cx, cy), 255) << int(mode);
    }
    // Mode 1 and mode 2 cull opposite windings: a single outward triangle shows in one only.
    test::ModelSpec tri = BoxSpec(40, 0, 120);
    tri.triangles.resize(2);  // the front face alone, its outside towards the camera
    int shown[3] = {};
    for (uint8_t mode : {0, 1, 2}) {
        ResetActors();
        ResetModels();
        tri.cullMode = mode;
        Place(tri, Vec3{0, 0, 0});
        FloorAsScenery();
        ClearBackBuffer(0, 0, 0);
        DrawActorPasses();
        int cx, cy;
        Screen(Vec3{0, 60, -40}, cx, cy);
        shown[mode] = Red(ReadBackBufferRgb(false), cx, cy) != 0;
    }
    EXPECT_TRUE(shown[0]);
    EXPECT_NE(shown[1], shown[2]);
}

TEST_F(ActorRenderTest, StencilShadowDarkensTheFloorUnderTheActor) {
    const int a = Place(BoxSpec(30, 50, 110), Vec3{0, 0, 0});
    actors[a].shadowMode = 4;
    shadowLight = {0, 10000, 0};  // straight above
    shadowLength = 0.25f;
    shadowColour = 0x80000000;
    FloorAsScenery();
    ClearBackBuffer(1, 1, 1);
    DrawActorPasses();
    DrawShadowDarkening();
    auto rgb = ReadBackBufferRgb(false);
    int x, y;
    ASSERT_TRUE(Screen(Vec3{0, 0, -25}, x, y));
    EXPECT_NEAR(Red(rgb, x, y), 127, 2);  // under the box, seen past its front
    ASSERT_TRUE(Screen(Vec3{0, 0, -60}, x, y));
    EXPECT_EQ(Red(rgb, x, y), 255);
    ASSERT_TRUE(Screen(Vec3{70, 0, -25}, x, y));
    EXPECT_EQ(Red(rgb, x, y), 255);
    // Without the shadow mode nothing darkens.
    actors[a].shadowMode = 0;
    FloorAsScenery();
    ClearBackBuffer(1, 1, 1);
    DrawActorPasses();
    DrawShadowDarkening();
    ASSERT_TRUE(Screen(Vec3{0, 0, -25}, x, y));
    EXPECT_EQ(Red(ReadBackBufferRgb(false), x, y), 255);
}

TEST_F(ActorRenderTest, MirrorShowsTheReflectionOnlyInsideItsQuadrilateral) {
    const int a = Place(BoxSpec(20, 0, 150), Vec3{0, 0, 0});
    actors[a].shadowMode = 4;
    shadowLight = {0, 10000, 0};
    // The plain picture first.
    FloorAsScenery();
    ClearBackBuffer(0, 0, 0);
    DrawActorPasses();
    auto plain = ReadBackBufferRgb(false);
    // A floor mirror in front of the actor: its reflection hangs below the floor.
    sceneMirror.corner0 = {-200, 0, -150};
    sceneMirror.corner1 = {200, 0, -150};
    sceneMirror.corner2 = {-200, 0, -40};
    sceneMirror.corner3 = {200, 0, -40};
    sceneMirror.mirrorEnabled = true;
    FloorAsScenery();
    ClearBackBuffer(0, 0, 0);
    DrawActorPasses();
    auto mirrored = ReadBackBufferRgb(false);
    int x0, yNear, x1, yFar;
    ASSERT_TRUE(Screen(sceneMirror.corner0, x0, yNear));
    ASSERT_TRUE(Screen(sceneMirror.corner3, x1, yFar));
    int inside = 0, outside = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            if (Red(plain, x, y) == Red(mirrored, x, y)) continue;
            // The mirror's screen trapezoid lies between its near and far edges.
            const bool within = y <= yNear && y >= yFar;
            (within ? inside : outside)++;
        }
    EXPECT_GT(inside, 50);
    EXPECT_EQ(outside, 0);
    // No shadow comes from the mirror pass: the stencil holds nothing after the frame.
    int x, y;
    Screen(Vec3{0, 0, -100}, x, y);
    EXPECT_EQ(device::ReadStencil(x, y), 0);
}

}  // namespace
}  // namespace tarvex

namespace tarvex {
namespace {

test::ModelSpec TexturedQuad(const std::string& texture, float y0) {
    test::ModelSpec s;
    s.points = {{-50, y0, 0}, {50, y0, 0}, {-50, y0 + 100, 0}, {50, y0 + 100, 0}};
    s.normals = {{0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, 0, -1}};
    s.uvs = {{0, 0.5f}, {1, 0.5f}, {0, 0.5f}, {1, 0.5f}};
    s.pointVertices = {{0}, {1}, {2}, {3}};
    s.triangles = {{0, 2, 1}, {1, 2, 3}};
    s.poses = {{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}};
    s.frameCount = 1;
    s.bones = {{"Bip01", {0, 1, 2, 3}, {0}}, {"Bip01 Neck", {}, {0}}};
    s.motions[0] = {0, 10, 0, 1.0f, 0};
    s.texture = texture;
    s.alphaTest = 1;
    s.cullMode = 0;
    return s;
}

TEST_F(ActorRenderTest, AlphaTestReferencesAre240ForActorsAnd32ForProps) {
    test::WriteFile("models/body.md", test::WriteModel(TexturedQuad("body.tga", 0)));
    test::WriteFile("models/hat.md", test::WriteModel(TexturedQuad("hat.tga", 120)));
    // Two texels a texture: alpha just below and just above each reference.
    ASSERT_EQ(std::system("/usr/bin/convert -size 2x1 xc:red -alpha set -channel A "
                          "-fx \"i==0 ? 239/255 : 241/255\" +channel models/body.tga"), 0);
    ASSERT_EQ(std::system("/usr/bin/convert -size 2x1 xc:blue -alpha set -channel A "
                          "-fx \"i==0 ? 31/255 : 33/255\" +channel models/hat.tga"), 0);
    const int body = LoadActor("models/body.md", Vec3{0, 0, 0}, 0);
    ASSERT_GE(body, 0);
    ASSERT_GE(AttachActor("models/hat.md", "Bip01 Neck", body), 0);
    FloorAsScenery();
    ClearBackBuffer(0, 0, 0);
    DrawActorPasses();
    auto rgb = ReadBackBufferRgb(false);
    auto colourAt = [&](const Vec3& p) {
        int x, y;
        EXPECT_TRUE(Screen(p, x, y));
        const uint8_t* c = &rgb[(static_cast<size_t>(y) * 800 + x) * 3];
        return (c[0] << 16) | (c[1] << 8) | c[2];
    };
    // Heading 0 turns the model half round: its u = 0.25 lands at world x = +25.
    EXPECT_EQ(colourAt(Vec3{25, 50, 0}), 0);          // body alpha 239 < 240
    EXPECT_NE(colourAt(Vec3{-25, 50, 0}) & 0xFF0000, 0);  // body alpha 241
    EXPECT_EQ(colourAt(Vec3{25, 170, 0}), 0);         // hat alpha 31 < 32
    EXPECT_NE(colourAt(Vec3{-25, 170, 0}) & 0xFF, 0);     // hat alpha 33
}

}  // namespace
}  // namespace tarvex
