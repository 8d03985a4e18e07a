// The scene description scenes/scr_NNN.txt: the camera that matches the picture, the
// world scale, ambient light, point lights, particle emitters and an optional mirror.
// The file is z up; a point (a, b, c) read from it is the engine point (-a, c, -b).
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/math.h"

namespace tarvex {

constexpr int kMaxPointLights = 16;
constexpr int kMaxParticleSystems = 64;
constexpr size_t kParticleSystemSize = 107072;
constexpr int kMaxParticles = 1024;
// Byte offsets inside a particle-system image that the description loader touches.
constexpr size_t kParticlePositionOffset = 24;
constexpr size_t kParticleTextureNameOffset = 73;
constexpr size_t kParticleTextureIndexOffset = 204;
constexpr size_t kParticleCapacityOffset = 308;
constexpr size_t kParticleLiveOffset = 324;
constexpr size_t kParticleRecordsOffset = 328;
constexpr size_t kParticleRecordSize = 104;
constexpr size_t kParticleScaleOffset = 107060;
constexpr size_t kParticlePausedOffset = 107064;

struct SceneCamera {
    Vec3 eye;
    Vec3 target;
    Vec3 up{0, 1, 0};
    float fovDegrees = 45.0f;
    float rollDegrees = 0.0f;
    Mat4 viewMatrix;
    Mat4 projectionMatrix;
    bool present = false;  // the last description had a camera that places points in the world
};

struct SceneMirror {
    Vec3 corner0, corner1, corner2, corner3;
    float mirrorValue = 0.0f;  // vertical offset of the reflection
    bool mirrorEnabled = false;
    bool present = false;      // the last description had a MIRROR section
};

// A point light as the device takes it: diffuse colour 0..1, alpha 0.
struct SceneLight {
    bool enabled = false;
    float diffuse[4] = {};
    Vec3 position;
    float range = 0.0f;
    float attenuation0 = 0.0f, attenuation1 = 0.0f, attenuation2 = 0.0f;
};

struct SceneMaterial {
    float diffuse[4] = {1, 1, 1, 1};
    float ambient[4] = {1, 1, 1, 1};
    float specular[4] = {};
    float emissive[4] = {};
    float power = 0.0f;
};

constexpr size_t kBackgroundPixelBytes = 800 * 600 * 4;

// The scene as read from its files: the description, and the picture.
struct SceneTables {
    SceneCamera sceneCamera;
    SceneMirror sceneMirror;
    float sceneScale = 1.0f;
    uint32_t ambientColour = 0;  // device colour: c0 in the blue byte, c2 in the red byte
    SceneLight sceneLights[kMaxPointLights];
    int pointLightCount = 0;
    SceneMaterial sceneMaterial;
    // Images of the scene's particle systems (the particle code reads them in its own layout).
    uint8_t particleSystemImages[kMaxParticleSystems][kParticleSystemSize] = {};
    int particleSystemCount = 0;
    // The scene picture: blue, green, red and a fourth byte without meaning, rows top-down.
    uint8_t backgroundPixels[kBackgroundPixelBytes] = {};
};
extern SceneTables sceneTables;

// The scene's rendering values a script sets.
struct SceneRendering {
    // The stencil shadows: the light they fall from, the volumes' length (0.25 after
    // every scene reset) and the darkening colour (ARGB).
    Vec3 shadowLight{0, -1, 0};
    float shadowLength = 0.25f;
    uint32_t shadowColour = 0x80000000;
    // The wind that moves the particles of systems that feel it.
    Vec3 particleWind;
};
extern SceneRendering sceneRendering;
// Scene reset's part of the rendering values: shadow length back to 0.25, fog off.
void ResetSceneRendering();

// What the description reader needs from outside, replaceable for tests and fuzzing.
struct SceneDescriptionHooks {
    // Reads a particle file (loose files only); false when it does not open.
    bool (*readParticleFile)(const std::string& path, std::vector<uint8_t>& out) = nullptr;
    // Texture-cache index for a particle texture.
    int (*loadTexture)(const std::string& path) = nullptr;
    // The mirror needs a stencil buffer.
    bool stencilAvailable = false;
};
SceneDescriptionHooks DefaultSceneDescriptionHooks();

// The most of a description that is looked at.
constexpr size_t kSceneDescriptionBytes = 65536;

// Applies a description held in memory (at most 65,536 bytes are looked at).
void ParseSceneDescription(std::span<const uint8_t> text, const SceneDescriptionHooks& hooks);
// The camera a description held in memory gives, as ParseSceneDescription sets it (not
// present when the description has none); touches nothing shared.
SceneCamera ReadSceneCamera(std::span<const uint8_t> text);
// Reads scenes/scr_NNN.txt by the loose-first rule; a missing file changes nothing.
void LoadSceneDescription(const std::string& path);

// Lights off, no mirror, no particle systems (scene reset).
void ResetSceneDescriptionObjects();

}  // namespace tarvex
