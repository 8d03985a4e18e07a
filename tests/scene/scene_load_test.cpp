#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>

#include "base/globals.h"
#include "platform/depth_buffer.h"
#include "platform/display.h"
#include "platform/surface.h"
#include "scene/scene_description.h"
#include "scene/scene_load.h"
#include "scene/walk_mask.h"
#include "shell/display_setup.h"
#include "support/world_test_util.h"

namespace tarvex {
namespace {

// A floor-depth file written the plain way: the row table (row 0 last, big-endian
// offsets counted from 740 bytes before the table's end), then per row seven channels
// (0..2 unused) of runs and literals of varied lengths.
std::vector<uint8_t> FloorFile(const float* depth) {
    std::vector<uint8_t> file(2400);
    for (int y = 0; y < 600; ++y) {
        const uint32_t offset = static_cast<uint32_t>(file.size() + 740);
        for (int k = 0; k < 4; ++k) file[2396 - 4 * y + k] = static_cast<uint8_t>(offset >> (24 - 8 * k));
        for (int c = 0; c < 7; ++c) {
            uint8_t bytes[800];
            for (int x = 0; x < 800; ++x) {
                uint32_t bits;
                std::memcpy(&bits, depth + y * 800 + x, 4);
                bytes[x] = c < 3 ? 0x5A : static_cast<uint8_t>(bits >> (8 * (6 - c)));
            }
            std::vector<uint8_t> coded;
            for (int x = 0; x < 800;) {
                int run = 1;
                while (x + run < 800 && run < 128 && bytes[x + run] == bytes[x]) ++run;
                const int n = run >= 3 ? run : std::min(800 - x, 1 + (x % 128));
                coded.push_back(static_cast<uint8_t>(run >= 3 ? run - 1 : -n));
                coded.insert(coded.end(), bytes + x, bytes + x + (run >= 3 ? 1 : n));
                x += n;
            }
            file.insert(file.end(), {static_cast<uint8_t>(coded.size() >> 8), static_cast<uint8_t>(coded.size())});
            file.insert(file.end(), coded.begin(), coded.end());
        }
    }
    return file;
}

std::vector<float> FloorPattern() {
    std::vector<float> depth(800 * 600);
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> d(-9000.0f, -200.0f);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            depth[y * 800 + x] = y < 200 ? -1e6f : (x < 400 ? -1000.0f - y : d(rng));
    return depth;
}

// The writer's file decodes to the exact floats; bad files are refused with the floor left
// as it was.
TEST(FloorDepth, DecodesExactlyAndRefusesBadFiles) {
    const std::vector<float> depth = FloorPattern();
    const std::vector<uint8_t> good = FloorFile(depth.data());
    std::vector<float> out(800 * 600, 7.0f);
    ASSERT_TRUE(DecodeFloorDepth(good, out.data()));
    EXPECT_EQ(0, std::memcmp(out.data(), depth.data(), out.size() * 4));
    // Literal packets of 128 (h = -128, not a run) copy 128 bytes each; runs of 128 are
    // read by the tool's unproject test.
    std::vector<uint8_t> packets;
    for (int done = 0; done < 800; done += 128) {
        const int n = std::min(128, 800 - done);
        packets.push_back(static_cast<uint8_t>(-n));
        for (int i = 0; i < n; ++i) packets.push_back(static_cast<uint8_t>(done + i));
    }
    packets.insert(packets.begin(), {static_cast<uint8_t>(packets.size() >> 8), static_cast<uint8_t>(packets.size())});
    ASSERT_TRUE(DecodeFloorDepth(test::SingleRowFloorFile({packets}), out.data()));
    EXPECT_EQ(std::bit_cast<uint32_t>(out[300]), 0x2C2C2C2Cu);  // byte 300 of each channel

    std::vector<std::pair<const char*, std::vector<uint8_t>>> bad;
    auto add = [&](const char* what, auto change) {
        std::vector<uint8_t> f = good;
        change(f);
        bad.push_back({what, f});
    };
    add("short table", [](std::vector<uint8_t>& f) { f.resize(2000); });
    add("row offset below 740", [](std::vector<uint8_t>& f) { f[2396] = f[2397] = f[2398] = 0, f[2399] = 100; });
    add("row offset past the file", [](std::vector<uint8_t>& f) { f[0] = 0x7F; });
    add("file cut short", [](std::vector<uint8_t>& f) { f.resize(f.size() - 5); });
    add("channel length past the file", [](std::vector<uint8_t>& f) {
        f[2400] = 0xFF;
        f[2401] = 0xFF;
        f.resize(2400 + 300);
    });
    // Channel 0 of row 0 grown by one run packet: more than 800 bytes.
    add("row longer than 800", [](std::vector<uint8_t>& f) {
        const size_t at = 2400;
        const size_t length = (f[at] << 8) | f[at + 1];
        f.insert(f.begin() + at + 2, {5, 1});
        f[at] = static_cast<uint8_t>((length + 2) >> 8);
        f[at + 1] = static_cast<uint8_t>(length + 2);
    });
    bad.push_back({"row shorter than 800", test::SingleRowFloorFile({{0, 2, 126, 9}})});  // 127 bytes only
    bad.push_back({"packet past its channel", test::SingleRowFloorFile({{0, 2, 0x80, 1}})});  // a literal of 128, L = 2
    std::fill(out.begin(), out.end(), 3.0f);
    for (const auto& [what, file] : bad) {
        EXPECT_FALSE(DecodeFloorDepth(file, out.data())) << what;
        EXPECT_EQ(out[1234], 3.0f) << what;
    }
}

// Short masks are refused in the scene load test below.
TEST(WalkMask, ReadsWholeMasksAndCutsLargerOnes) {
    test::GameFolder game("world_walk_mask");
    std::vector<uint8_t> mask(kWalkMaskBytes, 0);
    mask[119999] = 7;
    test::WriteFile("scenes/scr_019_1m.raw", mask);
    ASSERT_TRUE(LoadWalkMask("scenes/scr_019_1m.raw"));
    EXPECT_EQ(std::tuple(MaskAtScreen(799, 599), MaskAtScreen(0, 0)), std::tuple(uint8_t{7}, uint8_t{0}));
    // A packaged mask larger than the buffer is read up to the buffer.
    test::WritePackage("scenes.res", {{"scenes/scr_073_1m.raw", std::vector<uint8_t>(kWalkMaskBytes + 5000, 9)}});
    ASSERT_TRUE(LoadWalkMask("scenes/scr_073_1m.raw"));
    EXPECT_EQ(MaskAtScreen(799, 599), 9);
}

const char* kSceneText =
    "CAMERA (0, -500, 100) (0, 0, 100) (45) (0) (0) SCALE (1) AMBIENT (10 20 30) START FIRES POINTLIGHT (0)";

void UseSceneCamera() {
    const std::string text = kSceneText;
    ParseSceneDescription(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                          SceneDescriptionHooks{});
}

// The window depth of a view-space depth z under the scene's projection (near 100, far 10,000).
float ExpectedWindowDepth(float z) { return 10000.0f / 9900.0f * (1.0f - 100.0f / z); }

// Unprojecting a pixel is the tool's unproject test and every click of the golden run; here
// the depths outside the near and far planes.
TEST(SceneryWindowDepth, ClipsOutsideTheNearAndFarPlanes) {
    UseSceneCamera();
    std::vector<float> image(800 * 600, -1000.0f), window(800 * 600);
    image[5] = -50.0f;       // nearer than the near plane: clipped, far
    image[6] = -20000.0f;    // beyond the far plane
    SceneryWindowDepth(image.data(), window.data());
    EXPECT_NEAR(window[100], ExpectedWindowDepth(1000.0f), 1e-6f);
    EXPECT_EQ(window[5], 1.0f);
    EXPECT_EQ(window[6], 1.0f);
}

class SceneLoad : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::EnsureHeadlessDisplay());
        if (!displayValues.sceneBackground) displayValues.sceneBackground = CreateSurface(800, 600, 32);
    }
};

TEST_F(SceneLoad, LoadsEveryFileAndTheSceneryDepth) {
    test::GameFolder game("world_scene_load");
    std::filesystem::create_directories("scenes");
    ASSERT_EQ(0, test::Run("/usr/bin/convert -size 800x600 gradient:'#FF0000-#0000FF' -type TrueColor -depth 8 "
                           "-compress none scenes/scr_005.tif"));
    std::vector<uint8_t> zbf(kDepthImageBytes);
    for (size_t i = 0; i < 800 * 600; ++i) {
        const float z = i % 800 < 400 ? -1000.0f : -5000.0f;
        std::memcpy(&zbf[4 * i], &z, 4);
    }
    test::WriteFile("scenes/scr_005.zbf", zbf);
    std::vector<uint8_t> mask(kWalkMaskBytes, 0);
    mask[150 * 400 + 200] = 255;
    test::WriteFile("scenes/scr_005m.raw", mask);
    const std::vector<float> floor = FloorPattern();
    test::WriteFile("scenes/scr_005m.msk", FloorFile(floor.data()));
    test::WriteText("scenes/scr_005.txt", kSceneText);
    ClearFileLookupCache();

    displayValues.stencilShadows = 4;
    loop.currentScene = 5;
    LoadSceneFiles();
    EXPECT_EQ(MaskAtScreen(400, 300), 255);
    EXPECT_EQ(FloorDepthAt(10, 300), floor[300 * 800 + 10]);
    EXPECT_FALSE(HasFloor(10, 100));
    EXPECT_EQ(sceneTables.ambientColour, 10u + 20u * 256u + 30u * 65536u);
    const uint8_t red801 = sceneTables.backgroundPixels[4 * 801 + 2];
    // The saved depth holds the scenery: near on the left, far on the right.
    const std::vector<float> saved = ReadSavedDepth();
    EXPECT_NEAR(saved[300 * 800 + 100], ExpectedWindowDepth(1000.0f), 1e-6f);
    EXPECT_NEAR(saved[10 * 800 + 700], ExpectedWindowDepth(5000.0f), 1e-6f);

    // Read ahead, the scene loads as it did. The files are the ones opened when the reading
    // began (a mask put in place since is not seen), unless the folder's listing was cleared.
    std::fill(std::begin(walkTables.walkMask), std::end(walkTables.walkMask), 0);
    std::fill(std::begin(walkTables.floorDepth), std::end(walkTables.floorDepth), 0.0f);
    std::fill(std::begin(sceneTables.backgroundPixels), std::end(sceneTables.backgroundPixels), 0);
    std::vector<uint8_t> changed = mask;
    changed[150 * 400 + 200] = 9;
    test::WriteFile("changed.raw", changed);
    PrefetchSceneFiles(5);
    std::filesystem::rename("changed.raw", "scenes/scr_005m.raw");
    LoadSceneFiles();
    EXPECT_EQ(MaskAtScreen(400, 300), 255);
    EXPECT_EQ(FloorDepthAt(10, 300), floor[300 * 800 + 10]);
    EXPECT_EQ(sceneTables.backgroundPixels[4 * 801 + 2], red801);
    EXPECT_EQ(ReadSavedDepth(), saved);
    PrefetchSceneFiles(5);
    ClearFileLookupCache();
    LoadSceneFiles();
    EXPECT_EQ(MaskAtScreen(400, 300), 9);

    // Staged while the player looks (the picture's texture, the depth drawn in the spare
    // buffer), the switch shows the same picture and depth as the upload and the written
    // depth; staged for another scene, it is not used.
    DrawSurface(*displayValues.sceneBackground, 0, 0);
    const std::vector<uint8_t> shown = ReadBackBufferRgb(false);
    // Scene 8: another picture, and its depth through another camera.
    test::WriteText("scenes/scr_008.txt", "CAMERA (0, -800, 100) (0, 0, 100) (60) (0) (0)");
    std::filesystem::copy_file("scenes/scr_005.zbf", "scenes/scr_008.zbf");
    ASSERT_EQ(0, test::Run("/usr/bin/convert -size 800x600 xc:gray -type TrueColor -depth 8 scenes/scr_008.tif"));
    for (const int ahead : {5, 8}) {
        ClearFileLookupCache();
        for (int frame = 0; frame < 200; ++frame) {
            PrefetchSceneFiles(ahead);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ClearBackBuffer(0, 0, 0);
        ClearBackBufferDepth(true);
        LoadSceneFiles();
        DrawSurface(*displayValues.sceneBackground, 0, 0);
        EXPECT_EQ(ReadBackBufferRgb(false), shown) << "read ahead: scene " << ahead;
        EXPECT_EQ(ReadSavedDepth(), saved) << "read ahead: scene " << ahead;
    }

    // Scene 6 has no depth image and no floor file: nothing hides, and there is no floor (the
    // previous scene's belongs to another picture); each missing file is said once, whichever
    // time the scene is entered.
    test::WriteText("scenes/scr_006.txt", kSceneText);
    test::WriteText("scenes/scr_006m.raw", "short");
    loop.currentScene = 6;
    testing::internal::CaptureStderr();
    LoadSceneFiles();
    LoadSceneFiles();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("scene 6: scenes/scr_006.zbf is missing"), std::string::npos) << said;
    EXPECT_NE(said.find("scene 6: scenes/scr_006.tif is missing"), std::string::npos);
    EXPECT_NE(said.find("scene 6: scenes/scr_006m.raw is refused: shorter than a walk mask"), std::string::npos);
    EXPECT_EQ(said.find("scr_006.txt"), std::string::npos);
    EXPECT_EQ(said.find("scr_006.zbf"), said.rfind("scr_006.zbf"));
    const std::vector<float> far = ReadSavedDepth();
    EXPECT_EQ(std::tuple(far[300 * 800 + 100], far[0]), std::tuple(1.0f, 1.0f));
    EXPECT_FALSE(HasFloor(10, 300));
    EXPECT_EQ(MaskAtScreen(400, 300), 9);  // the short mask refused: scene 5's kept
    // A picture of the wrong size is refused with its size.
    ASSERT_EQ(0, test::Run("/usr/bin/convert -size 100x100 xc:gray -type TrueColor -depth 8 scenes/scr_007.tif"));
    ClearFileLookupCache();
    loop.currentScene = 7;
    testing::internal::CaptureStderr();
    LoadSceneFiles();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("scr_007.tif is refused: 100 x 100 pixels, not 800 x 600"),
              std::string::npos);
    loop.currentScene = -1;
    displayValues.stencilShadows = 0;
}

}  // namespace
}  // namespace tarvex
