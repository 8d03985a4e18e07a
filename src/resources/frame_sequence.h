// Numbered frame sequences into animation slots, and the inventory tool icons.
// Frame 0's path carries a three-digit counter just before its first "."
// ("animgfx/scene000/Door000.Tif"); frame n is named by writing n with "%3.3d"
// (four digits from 1000) and the sequence's own extension over it.
#pragma once
#include <cstdint>
#include <string>

#include "resources/anim_slot.h"

namespace tarvex {

struct Texture;

// Frame n's name; false when the path has no "." or no room for a counter before it.
bool FrameName(const std::string& firstFrame, int n, const char* extension, std::string& out);

// Counts the frames that exist (loose or packaged), loads them as display surfaces
// into `slot` and sets the slot's playing state. A missing frame 0 leaves the slot
// empty with frameCount 0. Returns the number of frames loaded.
int LoadFrameSequence(const std::string& path, int slot, int x, int y, int mode, float speed,
                      uint8_t vanishAtEnd, int endRule, uint8_t flicker, float flickerThreshold, int light,
                      uint8_t lightOnState);

// The same with loose TGA frames as textures (one level, point filtering, the
// file's alpha); the last argument is the slot's alpha blending.
int LoadTextureSequence(const std::string& path, int slot, int x, int y, int mode, float speed,
                        uint8_t vanishAtEnd, int endRule, uint8_t flicker, float flickerThreshold, int light,
                        uint8_t alphaBlend);

// The icons (animation.toolIcons, one per inventory item record):
// "gfx/tools/toolNNN.tga" where that loose file exists, else "textures/tools/toolNNN.tga".
void LoadToolIcons();
void ReleaseToolIcons();

}  // namespace tarvex
