// The engine's pieces together on the generated demo game: a scene loaded from its
// packages with the hero and his head walking in it, lit, shadowed and drawn.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "model/actor.h"
#include "model/model_file.h"
#include "platform/display.h"
#include "platform/png_io.h"
#include "render/actor_render.h"
#include "render/frame_render.h"
#include "render/particles.h"
#include "scene/path_finding.h"
#include "scene/scene_description.h"
#include "scene/scene_load.h"
#include "scene/walk_mask.h"
#include "shell/display_setup.h"
#include "shell/globals.h"
#include "support/test_support.h"
#include "support/world_test_util.h"

namespace tarvex {
namespace {

class DemoSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::EnsureHeadlessDisplay());
        test::ResetEngine();
        ResetActors();
        ResetModels();
        folder = std::make_unique<test::GameFolder>("demo-scene");
        const std::string command = std::string(TARVEX_BINARY_DIR) + "/tarvex-demo " + folder->path() + " >/dev/null";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        test::WriteText(".probe", "");  // the folder's listing is fresh
        displayPixelDepth = 16;
        if (!sceneBackground) sceneBackground = CreateSurface(800, 600);
        stencilShadows = 4;
    }
    void TearDown() override {
        ResetActors();
        ResetModels();
        stencilShadows = 0;
        folder.reset();
    }
    std::vector<uint8_t> Frame(bool actorsToo) {
        DrawSurface(*sceneBackground, 0, 0);
        if (actorsToo) {
            RunActorPass();
            DrawShadowDarkening();
        }
        return ReadBackBufferRgb(false);
    }
    bool Screen(const Vec3& p, int& x, int& y) {
        Mat4 vp;
        MatMultiply(vp, sceneCamera.viewMatrix, sceneCamera.projectionMatrix);
        return ProjectToScreen(p, vp, x, y);
    }
    // Pixels that differ between two frames, counted (near, far) by `isNear`.
    static std::pair<int, int> Changes(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                                       const std::function<bool(int, int)>& isNear) {
        int near = 0, far = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                const size_t i = (static_cast<size_t>(y) * 800 + x) * 3;
                if (a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2]) (isNear(x, y) ? near : far)++;
            }
        return {near, far};
    }
    std::unique_ptr<test::GameFolder> folder;
};

TEST_F(DemoSceneTest, TheHeroStandsWalksAndCastsHisShadowInTheLiftLanding) {
    currentScene = 0;
    LoadSceneFiles();
    synch = 1.0f;
    // Scene 0's hero set-up: start place, speeds, shadow values.
    const int hero = LoadActor("models/gorin.md", Vec3{-58.56f, 0.225f, 224.98f}, 6.88f);
    ASSERT_EQ(hero, 0);
    ASSERT_GE(AttachActor("models/golova.md", "Bip01 Neck", hero), 0);
    actors[hero].walkSpeed = 4.25f;
    actors[hero].shadowMode = 4;
    shadowLight = {-176, 268, 194};
    shadowLength = 10.0f;
    shadowColour = 0x20000000;

    const std::vector<uint8_t> empty = Frame(false);
    const std::vector<uint8_t> withHero = Frame(true);
    int fx, fy;
    ASSERT_TRUE(Screen(actors[hero].position, fx, fy));
    // The hero changes the picture around his feet and above them, and nowhere far away.
    const auto [near, far] =
        Changes(empty, withHero, [&](int x, int y) { return std::abs(x - fx) < 250 && y < fy + 80; });
    EXPECT_GT(near, 2000);
    EXPECT_EQ(far, 0);
    WritePngRgb(std::string(TARVEX_BINARY_DIR) + "/test-tmp/demo-scene-hero.png", 800, 600, withHero);

    // A walk to a free floor pixel ends on the floor under it.
    int tx = -1, ty = -1;
    for (int y = 590; y > 300 && tx < 0; y -= 10)
        for (int x = 100; x < 700 && tx < 0; x += 10)
            if (MaskAtScreen(x, y) == 0 && std::abs(x - fx) > 80 && HasFloor(x, y)) tx = x, ty = y;
    ASSERT_GE(tx, 0);
    WalkTo(hero, tx, ty, 10.0f);
    int frames = 0;
    do {
        ResetPathSearchBudget();
        Frame(true);
        ++frames;
    } while ((actors[hero].walking || actors[hero].walkRequest) && frames < 600);
    EXPECT_EQ(actors[hero].walking, 0);
    const Vec3 target = ScreenToWorld(tx, ty, FloorDepthAt(tx, ty));
    EXPECT_NEAR(actors[hero].position.x, target.x, 1.0f);
    EXPECT_NEAR(actors[hero].position.z, target.z, 1.0f);
    EXPECT_GT(frames, 5);
    EXPECT_EQ(TurnToFinalHeading(hero), 1);
}

TEST_F(DemoSceneTest, TheEngineDrawsTheSteamOfTheParticleRoom) {
    // The engine itself, headless, in the room with steam and sparks: frames differ
    // where the particles move and nowhere else.
    const std::string a = folder->path() + "/a.png", b = folder->path() + "/b.png";
    const std::string command = std::string(TARVEX_BINARY_DIR) + "/tarvex --headless --fixed-fps 30 --frames 40 --scene 25" +
                                " --screenshot 30:" + a + " --screenshot 39:" + b + " --path " + folder->path() +
                                " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    int w, h;
    std::vector<uint8_t> first, second;
    ASSERT_TRUE(ReadPngRgb(a, w, h, first));
    ASSERT_TRUE(ReadPngRgb(b, w, h, second));
    currentScene = 25;
    LoadSceneFiles();
    ASSERT_GT(particleSystemCount, 0);
    float emitter[3];
    std::memcpy(emitter, particleSystemImages[0] + 24, sizeof emitter);
    int ex, ey;
    ASSERT_TRUE(Screen(Vec3{emitter[0], emitter[1], emitter[2]}, ex, ey));
    const auto [near, far] = Changes(first, second, [&](int x, int y) {
        for (int s = 0; s < particleSystemCount; ++s) {
            float p[3];
            std::memcpy(p, particleSystemImages[s] + 24, sizeof p);
            int sx, sy;
            if (Screen(Vec3{p[0], p[1], p[2]}, sx, sy) && std::abs(x - sx) < 150 && std::abs(y - sy) < 200) return true;
        }
        return false;
    });
    EXPECT_GT(near, 200);
    EXPECT_EQ(far, 0);
}

}  // namespace
}  // namespace tarvex
