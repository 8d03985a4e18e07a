#include <gtest/gtest.h>

#include <cstring>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <map>

#include "scene/scene_description.h"

namespace tarvex {
namespace {

std::map<std::string, std::vector<uint8_t>> particleFiles;
std::vector<std::string> texturesAsked;

bool ReadFake(const std::string& path, std::vector<uint8_t>& out) {
    auto it = particleFiles.find(path);
    if (it == particleFiles.end()) return false;
    out = it->second;
    return true;
}

int TextureFake(const std::string& path) {
    texturesAsked.push_back(path);
    return 40 + static_cast<int>(texturesAsked.size());
}

void Parse(const std::string& text, bool stencil = true) {
    SceneDescriptionHooks hooks;
    hooks.readParticleFile = ReadFake;
    hooks.loadTexture = TextureFake;
    hooks.stencilAvailable = stencil;
    ParseSceneDescription(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), hooks);
}

// The engine's matrix against GLM's (the same memory layout).
void ExpectMatrix(const Mat4& m, const glm::mat4& g) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], glm::value_ptr(g)[i], 1e-4f) << i;
}

const char* kScene = R"(
// a scene
CAMERA (0, -500, 100) (0, 0, 100) (45) (1) (0)
SCALE (2.5)
AMBIENT (30, 40, 50)
START (0 0 0)
FIRES (0)
POINTLIGHT (2)
  (100, 200, 300) (1000) (1) (0.5) (0.25) (255) (51) (0)
  [1 2 3] [50] [0] [0] [0] [0] [255] [102]
SPOTLIGHT (1) (9 9 9)
)";

std::array<float, 3> Xyz(const Vec3& v) { return {v.x, v.y, v.z}; }

// The field of view, the scale, the ambient colour (blue first) and the first light's
// place and range of this text are read through the tool's scene command (tool_test.cpp).
TEST(SceneDescription, CameraRollAndLights) {
    Parse(kScene);
    // (a, b, c) in the file is (-a, c, -b) in the engine.
    EXPECT_EQ(Xyz(sceneTables.sceneCamera.eye), (std::array<float, 3>{0, 100, 500}));
    EXPECT_EQ(Xyz(sceneTables.sceneCamera.target), (std::array<float, 3>{0, 100, 0}));
    EXPECT_EQ(std::tuple(sceneTables.pointLightCount, sceneTables.sceneLights[2].enabled), std::tuple(2, false));

    // A roll turns the view about z: the look-at first, then the roll. (The view and the
    // projection without a roll are checked against GLM through the scene load test's
    // unprojection.)
    const glm::mat4 look = glm::lookAtLH(glm::vec3(0, 100, 500), glm::vec3(0, 100, 0), glm::vec3(0, 1, 0));
    Parse("CAMERA (0 -500 100) (0 0 100) (60) (0) (30) SCALE (1) AMBIENT (0 0 0) START FIRES POINTLIGHT (0)");
    ExpectMatrix(sceneTables.sceneCamera.viewMatrix,
                 glm::rotate(glm::mat4(1.0f), -30 * kDegreesToRadians, glm::vec3(0, 0, 1)) * look);
}

TEST(SceneDescription, MissingRequiredSectionStopsTheLoad) {
    Parse(kScene);
    const Vec3 eye = sceneTables.sceneCamera.eye;
    // No CAMERA: camera, scale and ambient stay; every light is off.
    Parse("SCALE (9) AMBIENT (200, 0, 0) START FIRES POINTLIGHT (1) (0 0 0) (1) (1) (0) (0) (1) (1) (1)");
    EXPECT_EQ(std::tuple(sceneTables.sceneCamera.eye.z, sceneTables.sceneScale, sceneTables.ambientColour), std::tuple(eye.z, 2.5f, 0x0032281Eu));
    for (const SceneLight& l : sceneTables.sceneLights) EXPECT_FALSE(l.enabled);
    // Without START the lights are not read either, but the ambient before it is (blue 200).
    Parse("CAMERA (0 -500 100) (0 0 100) (45) (0) (0) SCALE (3) AMBIENT (200, 0, 0) FIRES POINTLIGHT (1) (0 0 0)");
    EXPECT_EQ(std::tuple(sceneTables.ambientColour, sceneTables.sceneScale, sceneTables.sceneLights[0].enabled), std::tuple(200u, 3.0f, false));
}

TEST(SceneDescription, NumberAndGroupRules) {
    // Three spellings of one triple; "+5" reads 5; "1e3" gives 1 and 3.
    for (const char* eye : {"(1.5, -2, 30)", "[1.5 -2 30]", "{x=1.5 y=-2 z=30}"}) {
        Parse(std::string("CAMERA ") + eye + " (0 0 0) (+5) (0) (1e3)");
        EXPECT_EQ(Xyz(sceneTables.sceneCamera.eye), (std::array<float, 3>{-1.5f, 30, 2})) << eye;
        EXPECT_EQ(std::tuple(sceneTables.sceneCamera.fovDegrees, sceneTables.sceneCamera.rollDegrees), std::tuple(5.0f, 1.0f)) << eye;
    }
    // A triple needs only its opening bracket; "-" alone reads 0; keywords match inside words.
    Parse("xxCAMERAxx (1 2 3 (4 5 6 (- (0) (0) SCALE(7.25.5) AMBIENT(1.9 -1.9 256)");
    EXPECT_EQ(std::tuple(sceneTables.sceneCamera.eye.x, sceneTables.sceneCamera.target.x, sceneTables.sceneCamera.fovDegrees, sceneTables.sceneScale),
              std::tuple(-1.0f, -4.0f, 0.0f, 7.25f));
    // Integers truncate toward zero: 1, -1, 256.
    EXPECT_EQ(sceneTables.ambientColour, 1u + static_cast<uint32_t>(-1) * 256u + 256u * 65536u);
}

std::vector<uint8_t> ParticleFile(uint32_t n, uint32_t capacity, const char* texture) {
    std::vector<uint8_t> image(n, 0xAB);
    if (n >= 312) std::memcpy(image.data() + 308, &capacity, 4);
    if (n >= 204) {
        std::memset(image.data() + 73, 0xCC, 131);
        std::memcpy(image.data() + 73, texture, std::strlen(texture) + 1);
    }
    image.insert(image.begin(), {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16),
                                 static_cast<uint8_t>(n >> 24)});
    return image;
}

template <typename T = float>
T At(const uint8_t* image, size_t offset) {
    T v;
    std::memcpy(&v, image + offset, sizeof v);
    return v;
}

TEST(SceneDescription, ParticleSystemsAndMirror) {
    particleFiles.clear();
    texturesAsked.clear();
    particleFiles["particles/smoke.par"] = ParticleFile(107072, 3, "textures/smoke.tga");
    particleFiles["particles/huge.par"] = ParticleFile(2000, 5000, "textures/x.tga");  // capacity past 1,024
    particleFiles["particles/toolong.par"] = ParticleFile(107073, 2, "textures/y.tga");
    std::vector<uint8_t> cut = ParticleFile(500, 2, "textures/z.tga");
    cut.resize(300);
    particleFiles["particles/cut.par"] = cut;
    Parse("PARTICLES (5)"
          " (10 20 30) (1.5) (particles/smoke.par)"
          " (1 1 1) (2) (particles/missing.par)"
          " (0 0 0) (1) [particles/huge.par]"
          " (0 0 0) (1) {particles/toolong.par}"
          " (0 0 0) (1) (particles/cut.par)"
          " MIRROR (0 0 0) (100 0 0) (100 0 50) (0 0 50) (12.5)"
          " CAMERA (0 -500 100) (0 0 100) (45) (0) (0)",
          true);
    EXPECT_EQ(sceneTables.particleSystemCount, 5);
    const uint8_t* smoke = sceneTables.particleSystemImages[0];
    EXPECT_EQ(smoke[0], 0xAB);
    // The emitter's place converted like every point, its scale, its texture from the hook.
    EXPECT_EQ(std::tuple(At(smoke, 24), At(smoke, 28), At(smoke, 32), At(smoke, 107060)),
              std::tuple(-10.0f, 30.0f, -20.0f, 1.5f));
    EXPECT_EQ(std::tuple(smoke[107064], smoke[324]), std::tuple(uint8_t{0}, uint8_t{0}));  // not paused, not live
    EXPECT_EQ(At<int32_t>(smoke, 204), 41);
    EXPECT_EQ(texturesAsked, (std::vector<std::string>{"textures/smoke.tga", "textures/x.tga"}));
    // Life words of particles 0..capacity-1 are cleared; the next one keeps its byte.
    EXPECT_EQ(smoke[328 + 104 * 2], 0);
    EXPECT_EQ(smoke[328 + 104 * 3], 0xAB);
    EXPECT_EQ(smoke[328 + 104 * 2 + 4], 0xAB);
    // Missing, too large or cut files leave the record zeroed.
    for (int i : {1, 3, 4})
        for (size_t b = 0; b < kParticleSystemSize; b += 997) EXPECT_EQ(sceneTables.particleSystemImages[i][b], 0) << i;
    // A capacity past the table clears the 1,024 particles it holds, no more.
    EXPECT_EQ(sceneTables.particleSystemImages[2][328 + 104 * 1023], 0);

    EXPECT_EQ(std::tuple(sceneTables.sceneMirror.mirrorEnabled, Xyz(sceneTables.sceneMirror.corner2), sceneTables.sceneMirror.mirrorValue),
              std::tuple(true, std::array<float, 3>{-100, 50, 0}, 12.5f));
    // Without a stencil buffer the mirror stays off.
    Parse("MIRROR (0 0 0) (1 0 0) (1 0 1) (0 0 1) (1) CAMERA (0 -500 100) (0 0 100) (45) (0) (0)", false);
    EXPECT_EQ(std::tuple(sceneTables.sceneMirror.mirrorEnabled, sceneTables.sceneMirror.present, sceneTables.particleSystemCount),
              std::tuple(false, true, 0));
}

TEST(SceneDescription, CountsPastTheTablesAreHeldAtTheirSize) {
    std::string text = "CAMERA (0 -500 100) (0 0 100) (45) (0) (0) SCALE (1) AMBIENT (0 0 0) START FIRES POINTLIGHT (40)";
    for (int i = 0; i < 40; ++i) text += " (1 2 3) (10) (1) (0) (0) (255) (255) (255)";
    Parse(text + " PARTICLES (1000)");
    EXPECT_EQ(std::pair(sceneTables.pointLightCount, sceneTables.particleSystemCount), std::pair(kMaxPointLights, kMaxParticleSystems));
    Parse("POINTLIGHT (-3) CAMERA (1 1 1) (0 0 0) (45) (0) (0) SCALE (1) AMBIENT (0 0 0) START FIRES");
    EXPECT_EQ(sceneTables.pointLightCount, 0);
}

}  // namespace
}  // namespace tarvex
