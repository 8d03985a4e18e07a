#include "shell/config.h"

#include <cstdio>
#include <cstring>

#include "platform/atomic_file.h"

namespace tarvex {

Config config;
static std::string savesDirectory = "saves";

void SetSavesDirectory(const std::string& dir) { savesDirectory = dir.empty() ? "saves" : dir; }
const std::string& SavesDirectory() { return savesDirectory; }
std::string ConfigPath() { return savesDirectory + "/config.cfg"; }

static int32_t* Fields(Config& c) { return &c.transformLighting; }

void LoadConfig() {
    FILE* f = std::fopen(ConfigPath().c_str(), "rb");
    if (!f) return;
    uint8_t bytes[72];
    size_t n = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    // Only whole values that were read replace their defaults.
    int32_t* fields = Fields(config);
    for (size_t i = 0; i < n / 4; ++i)
        fields[i] = static_cast<int32_t>(bytes[4 * i] | (bytes[4 * i + 1] << 8) | (bytes[4 * i + 2] << 16) |
                                         (static_cast<uint32_t>(bytes[4 * i + 3]) << 24));
}

bool SaveConfig() {
    uint8_t bytes[72];
    const int32_t* fields = Fields(config);
    for (int i = 0; i < 18; ++i) {
        uint32_t v = static_cast<uint32_t>(fields[i]);
        bytes[4 * i] = v & 0xFF;
        bytes[4 * i + 1] = (v >> 8) & 0xFF;
        bytes[4 * i + 2] = (v >> 16) & 0xFF;
        bytes[4 * i + 3] = (v >> 24) & 0xFF;
    }
    return WriteFileAtomically(ConfigPath(), bytes, sizeof bytes);
}

void ResetConfig() { config = Config{}; }

}  // namespace tarvex
