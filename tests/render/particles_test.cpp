#include <gtest/gtest.h>

#include <cstring>

#include "base/globals.h"
#include "model/model_file.h"
#include "platform/display.h"
#include "platform/random.h"
#include "platform/render_device.h"
#include "render/frame_description.h"
#include "render/frame_render.h"
#include "render/particles.h"
#include "scene/scene_description.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

// Writes fields of a system record by their documented offsets.
struct SystemWriter {
    uint8_t* image;
    template <typename T>
    SystemWriter& at(size_t offset, T value) {
        std::memcpy(image + offset, &value, sizeof value);
        return *this;
    }
    template <typename T>
    T read(size_t offset) const {
        T v;
        std::memcpy(&v, image + offset, sizeof v);
        return v;
    }
};

class ParticlesTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetEngine();
        ResetParticles();
        SeedRandom(99);
        std::memset(sceneTables.particleSystemImages[0], 0, kParticleSystemSize);
        particleFrame.particleSystems = std::span(sceneTables.particleSystemImages).first(1);
        particleFrame.textures = animation.textureCache;
        HandFrameToRenderer(&particleFrame);
        sys.image = sceneTables.particleSystemImages[0];
        sys.at<uint8_t>(0, 1)            // enabled
            .at<uint8_t>(2, 1)           // emit every tick
            .at<uint32_t>(4, 0xFF808080) // start colour
            .at<uint32_t>(8, 0xFF808080)
            .at<uint32_t>(12, 10)        // fade ticks
            .at<float>(60, 5.0f)         // size
            .at<int32_t>(204, 0)         // a texture index
            .at<uint32_t>(264, 1)        // one particle an emission
            .at<uint8_t>(268, 1)         // continuous
            .at<uint32_t>(308, 50)       // capacity
            .at<uint32_t>(316, 1000)     // life
            .at<float>(107060, 1.0f);
    }
    void TearDown() override { HandFrameToRenderer(nullptr); }
    SystemWriter sys{nullptr};
    FrameDescription particleFrame;
};

TEST_F(ParticlesTest, OnOffCyclesGateEmission) {
    sys.at<uint8_t>(268, 0).at<uint32_t>(272, 3).at<uint32_t>(276, 2);  // on 3 ticks, off 2
    std::vector<int> emitted;
    int before = 0;
    for (int frame = 0; frame < 12; ++frame) {
        UpdateEmitters();
        const int now = LiveParticleCount(0);
        emitted.push_back(now - before);
        before = now;
    }
    // Off at first (the timer runs out at once) and the switching step emits nothing;
    // then three ticks on (the step that switches off still emits) and two off.
    EXPECT_EQ(emitted, (std::vector<int>{0, 1, 1, 1, 0, 0, 1, 1, 1, 0, 0, 1}));
}

TEST_F(ParticlesTest, WholeTicksRunAtMostOnceAFrame) {
    particleFrame.synch = 0.5f;
    // 0.5, 1.0 (a tick; exactly 1.0 is kept), 1.5 (a tick, back to 0.5), 1.0 (a tick).
    for (int i = 0; i < 4; ++i) UpdateEmitters();
    EXPECT_EQ(LiveParticleCount(0), 3);
    particleFrame.synch = 3.0f;  // a slow frame: still one emission
    UpdateEmitters();
    EXPECT_EQ(LiveParticleCount(0), 4);
    sys.at<uint8_t>(107064, 1);  // paused
    UpdateEmitters();
    EXPECT_EQ(LiveParticleCount(0), 4);
}

TEST_F(ParticlesTest, NegativeSizeRateKillsAndFullSystemsDropEmissions) {
    sys.at<uint32_t>(308, 2).at<uint32_t>(264, 5);
    UpdateEmitters();
    EXPECT_EQ(LiveParticleCount(0), 2);  // capacity 2: the other three are dropped
    sys.at<float>(64, -2.0f);
    SpawnParticle(0);
    EXPECT_EQ(LiveParticleCount(0), 2);
    // Existing particles keep their own size rate (0); new ones shrink away.
    std::memset(sys.image + 328, 0, 2 * 104);
    SpawnParticle(0);
    ASSERT_EQ(LiveParticleCount(0), 1);
    MoveParticles();
    MoveParticles();
    EXPECT_EQ(LiveParticleCount(0), 1);  // 5 - 2 - 2 = 1
    MoveParticles();
    EXPECT_EQ(LiveParticleCount(0), 0);
}

TEST_F(ParticlesTest, ColourFadesAndFadeBackPulses) {
    sys.at<uint32_t>(4, 0x00000000).at<uint32_t>(8, 0x0000FF00).at<uint32_t>(12, 4).at<uint32_t>(16, 1);
    SpawnParticle(0);
    const size_t p = 328;
    auto green = [&] { return sys.read<uint16_t>(p + 8 + 2) >> 8; };  // lane 1 = green
    EXPECT_EQ(sys.read<int16_t>(p + 16 + 2), (0xFF * 256) / 4);
    std::vector<int> seen;
    for (int i = 0; i < 10; ++i) {
        MoveParticles();
        seen.push_back(green());
    }
    // Up for four ticks, a turning tick, down for four, a turning tick...
    EXPECT_EQ(seen, (std::vector<int>{63, 127, 191, 255, 255, 191, 127, 63, 0, 0}));
    EXPECT_EQ(LiveParticleCount(0), 1);
    // Without fade-back a particle that has faded to black dies.
    sys.at<uint32_t>(4, 0x00000010).at<uint32_t>(8, 0).at<uint32_t>(12, 1).at<uint32_t>(16, 0);
    std::memset(sys.image + p, 0, 104);
    SpawnParticle(0);
    MoveParticles();
    EXPECT_EQ(LiveParticleCount(0), 1);
    MoveParticles();
    EXPECT_EQ(LiveParticleCount(0), 0);
}

}  // namespace
}  // namespace tarvex
