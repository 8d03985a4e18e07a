// What the renderer draws a frame from: the camera, the scene's lights and material, fog,
// the stencil-shadow values, the mirror, the actors with their models and transforms, the
// animation slots, the particle systems and the pointer. The game frame fills it from the
// game's tables and hands it over; the renderer reads nothing else of the game.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "base/math.h"
#include "scene/scene_description.h"

namespace tarvex {

struct AnimSlot;
struct ModelRecord;
struct Texture;
struct TextureCacheEntry;

// A prop hung on a bone of an actor.
struct PropDraw {
    int model = -1;
    float frame = 0.0f;
    Mat4 attach;  // the bone's attachment at the parent's frame
    int cullMode = 0;
    const Texture* texture = nullptr;
};

struct ActorDraw {
    int model = -1;
    float frame = 0.0f;
    Mat4 world;      // rotation, scale and place of the actor
    Mat4 propWorld;  // rotation and place only: where its props hang
    const Texture* texture = nullptr;
    bool castsShadow = false;
    int firstProp = 0, propCount = 0;  // into FrameDescription::props
};

struct FrameDescription {
    // The camera, the scene's lights (a flickering slot switches its light in the table),
    // ambient colour and material.
    Mat4 view, projection;
    std::span<SceneLight> lights;
    uint32_t ambient = 0;
    SceneMaterial material;
    // Actors are fogged while the scene's fog is on.
    bool fog = false;
    // Stencil shadows: the light they fall from, the volumes' length, the darkening colour.
    bool stencilShadows = false;
    Vec3 shadowLight{0, -1, 0};
    float shadowLength = 0.25f;
    uint32_t shadowColour = 0x80000000;
    // The mirror, drawn through the stencil when the display has one.
    SceneMirror mirror;
    bool stencilAvailable = false;
    // The actors of this pass, in the actor table's order, and their props.
    std::span<ModelRecord> models;
    std::vector<ActorDraw> actors;
    std::vector<PropDraw> props;
    // The animation slots and where a slot that reaches its end posts its event.
    std::span<AnimSlot> slots;
    int32_t* endEvent = nullptr;
    // The scene's particle systems and the texture cache their records index.
    std::span<uint8_t[kParticleSystemSize]> particleSystems;
    std::span<const TextureCacheEntry> textures;
    Vec3 wind;
    // The frame's time scale and the pointer.
    float synch = 1.0f;
    int cursorX = 0, cursorY = 0;
};

// Hands the frame to the renderer: every drawing step until the next hand-over draws from
// it (it must outlive them). Without one the renderer draws nothing of the game.
void HandFrameToRenderer(FrameDescription* frame);

}  // namespace tarvex
