#include "resources/frame_sequence.h"

#include <cstdio>
#include <cstring>

#include "platform/display.h"
#include "platform/surface.h"
#include "resources/anim_slot.h"
#include "resources/file_lookup.h"
#include "resources/game_file.h"
#include "resources/load_limits.h"
#include "resources/picture.h"
#include "resources/texture_file.h"

namespace tarvex {


namespace {

// Counters run to four digits; a probe never goes further.
constexpr int kMaxFrames = 10000;

void StoreName(AnimSlot& s, const std::string& path) {
    std::snprintf(s.name, sizeof s.name, "%s", path.c_str());
}

// Probing stops at the loads' deadline too: a package of thousands of frame names makes
// each probe cost a walk through its directory.
template <typename Exists>
int CountFrames(const std::string& path, const char* extension, Exists exists) {
    int count = 0;
    std::string name;
    while (count < kMaxFrames && LoadTimeLeft() && FrameName(path, count, extension, name) && exists(name)) ++count;
    return count;
}

// Releases the frames loaded so far and leaves the slot empty.
void DropFrames(AnimSlot& s, int loaded) {
    s.frameCount = static_cast<float>(loaded);
    s.vanishAtEnd = 0;
    ReleaseSlotFrames(s);
    s.frameCount = 0;
}

void StoreParameters(AnimSlot& s, int frames, int x, int y, int mode, float speed, uint8_t vanishAtEnd,
                     int endRule, uint8_t flicker, float flickerThreshold, int light, uint8_t lightOnState) {
    s.light = light;
    s.lightOnState = lightOnState;
    s.currentFrame = 0;
    s.soundAtFrame = 0;
    s.endRule = endRule;
    s.flicker = flicker;
    s.flickerThreshold = flickerThreshold;
    s.frameCount = static_cast<float>(frames + (vanishAtEnd ? 1 : 0));
    s.vanishAtEnd = vanishAtEnd;
    s.speed = speed;
    s.x = static_cast<float>(x);
    s.y = static_cast<float>(y);
    s.mode = mode;
}

}  // namespace

bool FrameName(const std::string& firstFrame, int n, const char* extension, std::string& out) {
    size_t dot = firstFrame.find('.');
    if (dot == std::string::npos || dot < 3 || n < 0) return false;
    char counter[16];
    std::snprintf(counter, sizeof counter, "%3.3d", n);
    out = firstFrame.substr(0, dot - 3) + counter + extension;
    return true;
}

int LoadFrameSequence(const std::string& path, int slotIndex, int x, int y, int mode, float speed,
                      uint8_t vanishAtEnd, int endRule, uint8_t flicker, float flickerThreshold, int light,
                      uint8_t lightOnState) {
    if (slotIndex < 0 || slotIndex >= kAnimSlotCount) return 0;
    AnimSlot& s = animation.animSlots[slotIndex];
    ReleaseSlotFrames(s);
    StoreName(s, path);
    s.frameCount = 0;
    s.vanishAtEnd = 0;
    if (LoadFailedBefore(LoadKind::Sequence, path)) return 0;
    const int count = CountFrames(path, ".tif", [](const std::string& name) {
        return LocateGameFile(name) != GameFileSource::Missing;
    });
    if (count == 0 || LoadsStopped()) {
        NoteFailedLoad(LoadKind::Sequence, path);
        return 0;
    }
    s.loaded = 1;
    s.isTexture = 0;
    s.frames = new void*[count]();
    // A frame that exists but does not decode ends the sequence there, like a gap,
    // so that no empty entry lies inside the frames played.
    int loaded = 0;
    std::string name;
    while (loaded < count && LoadTimeLeft() && FrameName(path, loaded, ".tif", name)) {
        Surface* surface = nullptr;
        if (!LoadTiffSurface(surface, name)) break;
        s.frames[loaded++] = surface;
    }
    // Past the budget or the deadline the sequence is not kept in part.
    if (LoadsStopped()) {
        DropFrames(s, loaded);
        return 0;
    }
    if (loaded == 0) {
        delete[] s.frames;
        s.frames = nullptr;
        NoteFailedLoad(LoadKind::Sequence, path);
        return 0;
    }
    StoreParameters(s, loaded, x, y, mode, speed, vanishAtEnd, endRule, flicker, flickerThreshold, light,
                    lightOnState);
    s.alphaBlend = 0;
    s.isTexture = 0;
    return loaded;
}

int LoadTextureSequence(const std::string& path, int slotIndex, int x, int y, int mode, float speed,
                        uint8_t vanishAtEnd, int endRule, uint8_t flicker, float flickerThreshold, int light,
                        uint8_t alphaBlend) {
    if (slotIndex < 0 || slotIndex >= kAnimSlotCount) return 0;
    AnimSlot& s = animation.animSlots[slotIndex];
    // The old frames are released first: refilling a slot must not leak them.
    ReleaseSlotFrames(s);
    StoreName(s, path);
    s.frameCount = 0;
    s.vanishAtEnd = 0;
    s.mode = 0;
    const int count = CountFrames(path, ".tga", [](const std::string& name) {
        return !ResolveLoosePath(name).empty();
    });
    if (count == 0) return 0;
    s.loaded = 1;
    s.isTexture = 1;
    s.frames = new void*[count]();
    int loaded = 0;
    std::string name;
    while (loaded < count && FrameName(path, loaded, ".tga", name)) {
        Texture* texture = LoadTextureFile(name, TextureOptions::PointNoMips);
        if (!texture) break;
        s.frames[loaded++] = texture;
    }
    if (loaded == 0) {
        delete[] s.frames;
        s.frames = nullptr;
        return 0;
    }
    StoreParameters(s, loaded, x, y, mode, speed, vanishAtEnd, endRule, flicker, flickerThreshold, light, 0);
    s.isTexture = 1;
    s.alphaBlend = alphaBlend;
    return loaded;
}

void LoadToolIcons() {
    ReleaseToolIcons();
    std::string name;
    for (int i = 0; i < kToolIconCount; ++i) {
        FrameName("gfx/tools/tool000.tga", i, ".tga", name);
        if (ResolveLoosePath(name).empty()) FrameName("textures/tools/tool000.tga", i, ".tga", name);
        animation.toolIcons[i] = LoadTextureFile(name, TextureOptions::PointNoMips);
    }
}

void ReleaseToolIcons() {
    for (Texture*& t : animation.toolIcons) ReleaseTexture(t);
}

}  // namespace tarvex
