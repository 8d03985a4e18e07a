// The animation slot table: 128 slots of numbered frames (surfaces or textures)
// with position, playing state and end rule.
#pragma once
#include <cstdint>

namespace tarvex {

struct Surface;
struct Texture;

struct AnimSlot {
    void** frames = nullptr;      // Surface* or Texture* a frame, owned by the slot
    float x = 0, y = 0;
    float frameCount = 0;         // one more than loaded with vanishAtEnd
    float currentFrame = 0;
    float randomAccumulator = 0;
    float speed = 0;
    int32_t mode = 0;             // 0 hidden, 1 in order, other: random
    int32_t endRule = 0;          // 0 stop + endEvent, 1 wrap, other: ping-pong
    uint8_t soundAtFrame = 0;
    int32_t soundFrame = 0;
    int32_t endEvent = -1;
    uint8_t vanishAtEnd = 0;
    int32_t light = -1;           // the scene light it switches (below kSlotLightCount); -1 none
    uint8_t lightOnState = 0;
    uint8_t flicker = 0;
    float flickerThreshold = 0;
    uint8_t alphaBlend = 0;
    uint8_t isTexture = 0;
    char name[128] = {};
    uint8_t loaded = 0;
};

constexpr int kAnimSlotCount = 128;
constexpr int kSlotLightCount = 16;  // the scene's point lights

constexpr int kTextureCacheSize = 2048;
// The texture cache: a device texture and the name it was made from.
struct TextureCacheEntry {
    Texture* handle = nullptr;
    char name[128] = {};
};

constexpr int kToolIconCount = 1024;

// The loaded pictures: the animation slots, the texture cache shared by models and
// particle systems, and the inventory's icons.
struct AnimationTables {
    AnimSlot animSlots[kAnimSlotCount];
    // The end event posted by a stopping sequence this frame (read by the scene scripts
    // of the next frame); -1 none.
    int32_t postedEndEvent = -1;
    TextureCacheEntry textureCache[kTextureCacheSize];
    // One icon texture per inventory item record; null where no file exists.
    Texture* toolIcons[kToolIconCount] = {};
};
extern AnimationTables animation;

// Releases a slot's frames (surfaces or textures) and frees the frame array.
void ReleaseSlotFrames(AnimSlot& slot);
// Empties every surface slot (texture slots, the interface pictures, survive).
void ResetSceneSlots();
void ResetAnimSlots();

}  // namespace tarvex
