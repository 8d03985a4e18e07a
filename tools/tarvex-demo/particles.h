#pragma once
#include "formats/output.h"

namespace tarvex::demo {

using namespace tarvex::formats;

constexpr const char* kSteamParticleFile = "data/particles/steam.prt";
constexpr const char* kSparkParticleFile = "data/particles/sparks.prt";

// Particle files (u32 n, then the first n bytes of a particle-system record) and their
// textures. Both are read as loose files only.
void WriteParticleFiles(Output& out);

}  // namespace tarvex::demo
