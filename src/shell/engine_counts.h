// The engine's own counts of what it holds (textures, surfaces, sound buffers,
// models, actors, script states) and the C heap in use: long play must bring them
// back to the same level each time the same scenes come round again.
#pragma once
#include <cstddef>

namespace tarvex {

class JsonWriter;

struct EngineCounts {
    int textures = 0;         // model, particle and picture textures
    int surfaceTextures = 0;  // GL textures of CPU surfaces
    int surfaces = 0;
    int soundBuffers = 0;
    int models = 0;
    int textureCacheEntries = 0;
    int actors = 0;           // actor records in use
    int luaStates = 0;
    size_t heapInUse = 0;     // bytes the C allocator has handed out and not had back
};

EngineCounts CollectEngineCounts();
bool SameEngineObjects(const EngineCounts& a, const EngineCounts& b);  // all but the heap
void WriteEngineCounts(JsonWriter& json, const EngineCounts& counts);

}  // namespace tarvex
