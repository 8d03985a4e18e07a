#include "resources/texture_cache.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "resources/game_file.h"
#include "resources/texture_file.h"

namespace tarvex {


std::string DdsVariant(const std::string& path) {
    const size_t dot = path.find('.');
    if (dot == std::string::npos) return path;
    std::string out = path.substr(0, dot + 1) + "dds";
    if (path.size() > dot + 4) out += path.substr(dot + 4);
    return out;
}

uint64_t TextureCacheBytes() {
    uint64_t bytes = 0;
    for (const TextureCacheEntry& e : animation.textureCache)
        if (e.handle) bytes += TextureBytes(e.handle->width, e.handle->height, e.handle->mipmapped);
    return bytes;
}

int LoadTexture(const std::string& path) {
    // Names are kept in 128 bytes; longer paths are compared as stored.
    const std::string name = path.substr(0, sizeof animation.textureCache[0].name - 1);
    int free = -1;
    for (int i = 0; i < kTextureCacheSize; ++i) {
        const TextureCacheEntry& e = animation.textureCache[i];
        if (!e.handle) {
            if (free < 0) free = i;
            continue;
        }
        if (std::strlen(e.name) == name.size() && std::memcmp(e.name, name.data(), name.size()) == 0) return i;
    }
    // Textures stay for the whole run: past the cache's bytes no new one is made.
    if (free < 0 || TextureCacheBytes() >= kMaxTextureCacheBytes) return -1;
    TextureCacheEntry& entry = animation.textureCache[free];
    std::memset(entry.name, 0, sizeof entry.name);
    std::memcpy(entry.name, name.data(), name.size());
    // A compressed ".dds" beside the named file is preferred (loose files only).
    const std::string dds = DdsVariant(path);
    if (dds != path && LocateGameFile(dds) == GameFileSource::Loose)
        entry.handle = LoadTextureFile(dds, TextureOptions::MipsLinear);
    else
        entry.handle = LoadTextureFile(path, TextureOptions::Default);
    // A model whose texture is missing or damaged is drawn untextured; said once a run.
    static std::set<std::string> reported;
    const bool named = !name.empty() && name.back() != '/';  // a material without a texture names none
    if (!entry.handle && named && reported.insert(name).second)
        std::fprintf(stderr, "tarvex: texture %s is missing or cannot be read: drawn without it\n", name.c_str());
    return free;
}

void ResetTextureCache() {
    for (TextureCacheEntry& e : animation.textureCache) {
        ReleaseTexture(e.handle);
        std::memset(e.name, 0, sizeof e.name);
    }
}

}  // namespace tarvex
