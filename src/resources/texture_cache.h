// The texture cache shared by models and particle systems: a device texture for each file
// name, made on first use and kept for the whole run.
#pragma once
#include <cstdint>
#include <string>

#include "platform/display.h"
#include "resources/anim_slot.h"

namespace tarvex {

// The cache's entries are animation.textureCache.
// What the texture cache may hold in all; the cache is never emptied during a run.
constexpr uint64_t kMaxTextureCacheBytes = 1ull << 30;
// Cache index of the texture of `path` (created on first use; its handle stays null
// when the file cannot be made into a texture). -1 when the cache is full (all its
// entries, or kMaxTextureCacheBytes).
int LoadTexture(const std::string& path);
// The bytes the cached textures hold.
uint64_t TextureCacheBytes();
// The ".dds" name tried before `path`: the three characters after the first "." replaced.
std::string DdsVariant(const std::string& path);
// Releases every cached texture.
void ResetTextureCache();

}  // namespace tarvex
