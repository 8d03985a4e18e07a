// The device's fixed-function rules that the game's pictures rely on but the demo barely
// shows: point-light range and attenuation, linear fog, the stencil mark.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/depth_buffer.h"
#include "platform/display.h"
#include "platform/render_device.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

using namespace device;

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

class RenderDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::EnsureHeadlessDisplay());
        SetWorld(kIdentity);
        SetView(kIdentity);
        SetProjection(kIdentity);
        SetLighting(false);
        SetTexture(nullptr);
        SetFog(false);
        for (int i = 0; i < kMaxLights; ++i) EnableLight(i, false);
        ResetRenderStates();
        ClearBackBuffer(0, 0, 0);
        ClearDepth(1.0f);
        ClearStencil(0);
    }
    // Pixel (x, y) of the screen as 0xRRGGBB.
    uint32_t Pixel(int x, int y) {
        auto rgb = ReadBackBufferRgb(false);
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * 800 + x) * 3];
        return (p[0] << 16) | (p[1] << 8) | p[2];
    }
    // A triangle in normalised device coordinates (x, y in -1..1, y up), depth z.
    void Triangle(float ax, float ay, float bx, float by, float cx, float cy, float z = 0.5f) {
        VertexPNT v[3] = {{ax, ay, z, 0, 0, -1, 0, 0}, {bx, by, z, 0, 0, -1, 0, 0}, {cx, cy, z, 0, 0, -1, 0, 0}};
        const uint16_t idx[3] = {0, 1, 2};
        DrawMesh(v, 3, idx, 3);
    }
    // Screen-space rectangle as one pre-transformed quad (corners TL, TR, BL, BR).
    void ScreenQuad(float x0, float y0, float x1, float y1, uint32_t colour, float z = 0.5f) {
        VertexScreen q[4] = {{x0, y0, z, 0.5f, colour, 0, 0}, {x1, y0, z, 0.5f, colour, 1, 0},
                             {x0, y1, z, 0.5f, colour, 0, 1}, {x1, y1, z, 0.5f, colour, 1, 1}};
        DrawScreenQuads(q, 1);
    }
};

TEST_F(RenderDeviceTest, PointLightsFollowRangeAndAttenuation) {
    SetCull(Cull::None);
    SetLighting(true);
    SetAmbient(0xFF202020);
    Material m;
    m.diffuse[0] = 1.0f;
    m.diffuse[1] = 0.5f;
    m.diffuse[2] = 0.0f;
    SetMaterial(m);
    Light light;
    light.position[2] = -2.0f;  // in front of the triangle, on its axis
    light.range = 10.0f;
    light.attenuation[0] = 0.0f;
    light.attenuation[1] = 0.5f;  // 1 / (0.5 * 2) = 1 at the centre
    SetLight(3, light);
    EnableLight(3, true);
    // Normals point towards the light (-z).
    Triangle(-0.1f, 0.1f, 0.1f, 0.1f, -0.1f, -0.1f, 0.0f);
    uint32_t lit = Pixel(395, 295);
    EXPECT_NEAR(static_cast<int>(lit >> 16), 255, 2);
    EXPECT_NEAR(static_cast<int>((lit >> 8) & 0xFF), 0x20 + 127, 3);
    EXPECT_NEAR(static_cast<int>(lit & 0xFF), 0x20, 2);
    // Out of range: ambient only.
    light.range = 1.0f;
    SetLight(3, light);
    ClearBackBuffer(0, 0, 0);
    Triangle(-0.1f, 0.1f, 0.1f, 0.1f, -0.1f, -0.1f, 0.0f);
    EXPECT_NEAR(static_cast<int>(Pixel(395, 295) >> 16), 0x20, 2);
}

TEST_F(RenderDeviceTest, LinearFogBlendsByEyeDepth) {
    SetCull(Cull::None);
    SetFog(true);
    SetFogRange(0.0f, 1.0f, 0x0000FF);
    // Unlit mesh vertices are white; at eye depth 0.25 three quarters stay white.
    Triangle(-0.5f, 0.5f, 0.5f, 0.5f, -0.5f, -0.5f, 0.25f);
    uint32_t p = Pixel(300, 200);
    EXPECT_NEAR(static_cast<int>(p >> 16), 191, 2);
    EXPECT_EQ(p & 0xFF, 255u);
}

TEST_F(RenderDeviceTest, StencilMarkLimitsLaterDrawing) {
    SetCull(Cull::None);
    // Mark a square invisibly: blend zero/one, stencil increment.
    SetStencil(true);
    SetStencilFunction(Compare::Always, 1, 0xFFFFFFFF, 0xFFFFFFFF);
    SetStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Increment);
    SetBlend(true);
    SetBlendFactors(BlendFactor::Zero, BlendFactor::One);
    SetDepthWrite(false);
    ScreenQuad(100, 100, 200, 200, 0xFFFFFFFF);
    EXPECT_EQ(Pixel(150, 150), 0u);
    EXPECT_EQ(ReadStencil(150, 150), 1);
    EXPECT_EQ(ReadStencil(250, 150), 0);
    // Draw everywhere where the stencil is not 0.
    SetBlend(false);
    SetStencilFunction(Compare::NotEqual, 0, 0xFFFFFFFF, 0xFFFFFFFF);
    SetStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Keep);
    ScreenQuad(0, 0, 800, 600, 0xFF00FF00);
    EXPECT_EQ(Pixel(150, 150), 0x00FF00u);
    EXPECT_EQ(Pixel(99, 150), 0u);
    EXPECT_EQ(Pixel(200, 150), 0u);
    ResetRenderStates();
}

TEST_F(RenderDeviceTest, TwoSidedStencilCountsEachWindingItsOwnWay) {
    // Clockwise faces count up, counter-clockwise ones down, wrapping, in one draw.
    SetStencil(true);
    SetStencilFunction(Compare::Always, 1, 0xFFFFFFFF, 0xFFFFFFFF);
    SetTwoSidedStencil(true);
    SetStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Increment);
    SetCounterClockwiseStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Decrement);
    SetBlend(true);
    SetBlendFactors(BlendFactor::Zero, BlendFactor::One);
    SetCull(Cull::CounterClockwise);  // ignored while two-sided
    const float xyz[] = {-1, 1, 0.5f, 0, 1, 0.5f, -1, -1, 0.5f,   // clockwise, at the top left
                         -1, 1, 0.5f, 0, -1, 0.5f, 1, 1, 0.5f};  // counter-clockwise, pointing down
    DrawPositions(xyz, 6);
    ResetRenderStates();
    // Only the first, both, only the second, neither.
    EXPECT_EQ(std::tuple(ReadStencil(20, 300), ReadStencil(100, 50), ReadStencil(600, 50), ReadStencil(100, 500)),
              std::tuple(1, 0, 255, 0));
}

TEST_F(RenderDeviceTest, KeptMeshDrawsWhatItIsGivenNow) {
    // The same buffers, changed in place: the device must not draw what it held.
    SetCull(Cull::None);
    VertexPNT v[4] = {{-1, 1, 0.5f, 0, 0, -1, 0, 0}, {0, 1, 0.5f, 0, 0, -1, 0, 0},
                      {-1, 0, 0.5f, 0, 0, -1, 0, 0}, {1, -1, 0.5f, 0, 0, -1, 0, 0}};
    uint16_t idx[3] = {0, 1, 2};
    KeptMesh mesh;
    auto draw = [&] {
        ClearBackBuffer(0, 0, 0);
        DrawKeptMesh(mesh, v, 4, idx, 3);
        return std::pair(Pixel(100, 100) != 0, Pixel(700, 500) != 0);
    };
    EXPECT_EQ(draw(), std::pair(true, false));
    idx[0] = 3;  // the triangle now reaches the bottom right, no longer the top left
    EXPECT_EQ(draw(), std::pair(false, true));
    v[3].x = -1;  // and back, by moving the vertex
    v[3].y = 1;
    EXPECT_EQ(draw(), std::pair(true, false));
    ReleaseKeptMesh(mesh);
}

TEST_F(RenderDeviceTest, PuttingTheSavedDepthBackUndoesEveryDrawAndClear) {
    // A depth ramp and a clear stencil saved, then written over in every way the device
    // writes depth or stencil: the copy back only copies what changed and must undo it all.
    std::vector<float> ramp(800 * 600);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = 0.5f + 0.4f * static_cast<float>(i % 800) / 800.0f;
    ASSERT_TRUE(WriteBackBufferDepth(ramp.data(), true));
    auto stencilMark = [&](float x0, float y0, float x1, float y1) {
        ResetRenderStates();
        SetCull(Cull::None);
        SetStencil(true);
        SetStencilFunction(Compare::Always, 1, 0xFFFFFFFF, 0xFFFFFFFF);
        SetStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Increment);
        SetDepthWrite(false);
        ScreenQuad(x0, y0, x1, y1, 0xFFFFFFFF, 0.3f);
        ResetRenderStates();
    };
    stencilMark(500, 100, 560, 160);  // saved with the depth
    SaveBackBufferDepth();
    const std::vector<float> saved = ReadBackBufferDepth();
    auto written = [&] {
        SetCull(Cull::None);
        Triangle(-1, 1, -0.5f, 1, -1, 0.5f, 0.1f);  // a mesh at the top left
        SetDepthTest(true, Compare::Always);
        ScreenQuad(600, 500, 700, 560, 0xFFFFFFFF, 0.2f);  // a screen quad at the bottom right
        stencilMark(350, 250, 450, 350);  // a stencil mark in the middle, depth untouched
        // A depth clear inside a drawing limit around a triangle at the bottom left.
        VertexPNT v[3] = {{-1, -0.5f, 0.5f, 0, 0, -1, 0, 0}, {-0.5f, -1, 0.5f, 0, 0, -1, 0, 0},
                          {-1, -1, 0.5f, 0, 0, -1, 0, 0}};
        GatherDrawingLimit(v, sizeof(VertexPNT), 3);
        BeginDrawingLimit();
        ClearDepth(0.0f);
        EndDrawingLimit();
        return std::tuple(ReadDepth(50, 50) < 0.2f, ReadDepth(650, 530) < 0.3f, ReadStencil(400, 300),
                          ReadDepth(30, 580) == 0.0f);
    };
    EXPECT_EQ(written(), std::tuple(true, true, 1, true));
    for (int round = 0; round < 2; ++round) {  // the second time nothing changed since
        RestoreBackBufferDepth();
        EXPECT_EQ(ReadBackBufferDepth(), saved) << round;
        EXPECT_EQ(std::pair(ReadStencil(400, 300), ReadStencil(530, 130)), std::pair(0, 1)) << round;
    }
    EXPECT_EQ(written(), std::tuple(true, true, 1, true));  // and again after a copy back
    RestoreBackBufferDepth();
    EXPECT_EQ(ReadBackBufferDepth(), saved);
    ClearDepth(1.0f);  // a clear of everything
    RestoreBackBufferDepth();
    EXPECT_EQ(ReadBackBufferDepth(), saved);
    DrawColourRect(480, 80, 580, 180, 0, 0, 0, 128, true);  // a darkening that clears the saved mark
    EXPECT_EQ(ReadStencil(530, 130), 0);
    RestoreBackBufferDepth();
    EXPECT_EQ(ReadStencil(530, 130), 1);
}

}  // namespace
}  // namespace tarvex
