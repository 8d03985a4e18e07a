#include "shell/config.h"

#include <cstdio>
#include <iterator>

#include "platform/atomic_file.h"
#include "resources/byte_io.h"

namespace tarvex {

Config config;
static std::string savesDirectory = "saves";

void SetSavesDirectory(const std::string& dir) { savesDirectory = dir.empty() ? "saves" : dir; }
const std::string& SavesDirectory() { return savesDirectory; }
std::string ConfigPath() { return savesDirectory + "/config.cfg"; }

namespace {

// The file's values in file order.
constexpr int32_t Config::*kConfigFields[] = {
    &Config::transformLighting, &Config::colour32,    &Config::tripleBuffering, &Config::shadows,
    &Config::unused5,           &Config::switch6,     &Config::modeValue,       &Config::soundOn,
    &Config::musicOn,           &Config::gammaMax,    &Config::videosOn,        &Config::videosCopy,
    &Config::compatibility,     &Config::windowed,    &Config::subtitlesOn,     &Config::soundVolume,
    &Config::musicVolume,       &Config::cleanExit,
};
constexpr size_t kConfigBytes = std::size(kConfigFields) * 4;
static_assert(kConfigBytes == sizeof(Config), "every value of the configuration is in the file");

}  // namespace

void LoadConfig() {
    FILE* f = std::fopen(ConfigPath().c_str(), "rb");
    if (!f) return;
    uint8_t bytes[kConfigBytes];
    const size_t n = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    // Only whole values that were read replace their defaults.
    ByteReader r(bytes, n);
    for (int32_t Config::*field : kConfigFields) {
        const int32_t v = r.I32();
        if (!r.ok()) break;
        config.*field = v;
    }
}

bool SaveConfig() {
    ByteWriter w;
    for (int32_t Config::*field : kConfigFields) w.I32(config.*field);
    return WriteFileAtomically(ConfigPath(), w.bytes().data(), w.size());
}

void ResetConfig() { config = Config{}; }

}  // namespace tarvex
