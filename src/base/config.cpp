#include "base/config.h"

#include <climits>
#include <cstdio>
#include <filesystem>
#include <iterator>

#include "base/byte_io.h"
#include "platform/atomic_file.h"

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

// The values each field takes; anything else is a damaged file.
struct FieldRange {
    const char* name;
    int32_t low, high;
};
constexpr FieldRange kRanges[] = {
    {"transform and lighting", 0, 1}, {"32-bit colour", 0, 1}, {"triple buffering", 0, 1}, {"shadows", 0, 4},
    {"unused", INT32_MIN, INT32_MAX}, {"switch", 0, 1},   {"mode value", 0, 3},  {"sound", 0, 1},
    {"music", 0, 1},                  {"gamma", 32, 65500}, {"videos", 0, 1},     {"video copy", 0, 1},
    {"compatibility", 0, 1},          {"windowed", 0, 1},   {"subtitles", 0, 1},  {"sound volume", 0, 100},
    {"music volume", 0, 100},         {"clean exit", 0, 1},
};
static_assert(std::size(kRanges) == std::size(kConfigFields));

}  // namespace

int SanitizeConfig(Config& c) {
    const Config defaults;
    int mended = 0;
    for (size_t i = 0; i < std::size(kConfigFields); ++i) {
        int32_t& v = c.*kConfigFields[i];
        bool bad = v < kRanges[i].low || v > kRanges[i].high;
        if (kConfigFields[i] == &Config::shadows) bad = bad || v == 2;  // 0, 1, 3 or 4
        if (!bad) continue;
        std::fprintf(stderr, "tarvex: %s: %s %d is out of its range: %d instead\n", ConfigPath().c_str(),
                     kRanges[i].name, v, defaults.*kConfigFields[i]);
        v = defaults.*kConfigFields[i];
        ++mended;
    }
    return mended;
}

void LoadConfig() {
    // Only a regular file: a pipe or a device in its place would hold the start up.
    std::error_code ec;
    const auto kind = std::filesystem::status(ConfigPath(), ec).type();
    if (kind == std::filesystem::file_type::not_found) return;
    if (kind != std::filesystem::file_type::regular) {
        std::fprintf(stderr, "tarvex: %s is not a regular file: the default settings are used\n", ConfigPath().c_str());
        return;
    }
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
    // A damaged file is written back sane at once.
    if (SanitizeConfig(config) > 0) SaveConfig();
}

bool SaveConfig() {
    ByteWriter w;
    for (int32_t Config::*field : kConfigFields) w.I32(config.*field);
    return WriteFileAtomically(ConfigPath(), w.bytes().data(), w.size());
}

void ResetConfig() { config = Config{}; }

}  // namespace tarvex
