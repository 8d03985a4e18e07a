#include "shell/engine_counts.h"

#include <malloc.h>

#include "model/actor.h"
#include "model/model_file.h"
#include "platform/audio_mixer.h"
#include "platform/display.h"
#include "platform/surface.h"
#include "scripts/lua_scene.h"
#include "base/json_writer.h"

namespace tarvex {

EngineCounts CollectEngineCounts() {
    EngineCounts c;
    c.textures = LiveTextureCount();
    c.surfaceTextures = LiveSurfaceTextureCount();
    c.surfaces = LiveSurfaceCount();
    c.soundBuffers = audio::LiveBufferCount();
    c.models = modelTables.modelCount;
    for (const TextureCacheEntry& e : animation.textureCache) c.textureCacheEntries += e.handle ? 1 : 0;
    for (const ActorRecord& a : actorTable.actors) c.actors += a.inUse ? 1 : 0;
    c.luaStates = OpenLuaStates();
    c.heapInUse = mallinfo2().uordblks;
    return c;
}

bool SameEngineObjects(const EngineCounts& a, const EngineCounts& b) {
    return a.textures == b.textures && a.surfaceTextures == b.surfaceTextures && a.surfaces == b.surfaces &&
           a.soundBuffers == b.soundBuffers && a.models == b.models &&
           a.textureCacheEntries == b.textureCacheEntries && a.actors == b.actors && a.luaStates == b.luaStates;
}

void WriteEngineCounts(JsonWriter& json, const EngineCounts& c) {
    json.BeginObject()
        .Member("textures", c.textures)
        .Member("surfaceTextures", c.surfaceTextures)
        .Member("surfaces", c.surfaces)
        .Member("soundBuffers", c.soundBuffers)
        .Member("models", c.models)
        .Member("textureCacheEntries", c.textureCacheEntries)
        .Member("actors", c.actors)
        .Member("luaStates", c.luaStates)
        .Member("heapInUse", static_cast<long long>(c.heapInUse))
        .EndObject();
}

}  // namespace tarvex
