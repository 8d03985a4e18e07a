// The configuration file "saves/config.cfg": 72 bytes, 18 little-endian 32-bit values.
#pragma once
#include <cstdint>
#include <string>

namespace tarvex {

struct Config {
    int32_t transformLighting = 1;   // 1
    int32_t colour32 = 0;            // 2
    int32_t tripleBuffering = 1;     // 3
    int32_t shadows = 0;             // 4: after start-up, stencilShadows
    int32_t unused5 = 1;             // 5
    int32_t switch6 = 1;             // 6
    int32_t modeValue = 0;           // 7: stepped by F9
    int32_t soundOn = 1;             // 8
    int32_t musicOn = 1;             // 9
    int32_t gammaMax = 255;          // 10
    int32_t videosOn = 1;            // 11
    int32_t videosCopy = 0;          // 12
    int32_t compatibility = 0;       // 13
    int32_t windowed = 0;            // 14: always written as 0
    int32_t subtitlesOn = 1;         // 15
    int32_t soundVolume = 90;        // 16
    int32_t musicVolume = 90;        // 17
    int32_t cleanExit = 0;           // 18
};
static_assert(sizeof(Config) == 72, "the configuration file is 72 bytes");

extern Config config;

// Folder of the configuration and saved games ("saves" in the game folder unless set).
void SetSavesDirectory(const std::string& dir);
const std::string& SavesDirectory();
std::string ConfigPath();

// Reads the file; missing fields of a short file keep their defaults, and fields out of
// their ranges take their defaults (said on stderr; the file is then written back).
void LoadConfig();
// Puts every field out of its range back to its default; the count of fields mended.
int SanitizeConfig(Config& c);
// Writes the file atomically; fails silently (a missing configuration is not an error).
bool SaveConfig();
void ResetConfig();

}  // namespace tarvex
