// Fixture helpers for the resource tests: a package writer of its own (not the
// engine's reader or the package tool), files, the current folder, ImageMagick.
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/world_test_util.h"

namespace tarvex::test {

struct FixtureEntry {
    std::string name;
    std::vector<uint8_t> data;
    // Overrides for broken directories.
    int64_t offsetOverride = -1;
    int64_t sizeOverride = -1;
};

inline void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Data are laid out after the directory with 3 bytes of filler between files, so
// that a reader that ignores offsets reads the wrong bytes.
inline std::vector<uint8_t> BuildPackage(const std::vector<FixtureEntry>& entries, int64_t countOverride = -1) {
    size_t dirEnd = 4 + 136 * entries.size();
    std::vector<uint8_t> out(dirEnd, 0);
    PutU32(out, 0, countOverride >= 0 ? static_cast<uint32_t>(countOverride) : static_cast<uint32_t>(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        out.insert(out.end(), {0xAA, 0xBB, 0xCC});
        uint32_t offset = static_cast<uint32_t>(out.size());
        out.insert(out.end(), entries[i].data.begin(), entries[i].data.end());
        size_t at = 4 + 136 * i;
        std::memcpy(&out[at], entries[i].name.data(), std::min<size_t>(entries[i].name.size(), 128));
        PutU32(out, at + 128, entries[i].offsetOverride >= 0 ? static_cast<uint32_t>(entries[i].offsetOverride) : offset);
        PutU32(out, at + 132,
               entries[i].sizeOverride >= 0 ? static_cast<uint32_t>(entries[i].sizeOverride)
                                            : static_cast<uint32_t>(entries[i].data.size()));
    }
    return out;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) { WriteFile(path, bytes); }
inline std::vector<uint8_t> ReadBytes(const std::string& path) { return ReadFile(path); }

inline std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// Enters a folder for the life of the guard (the engine reads relative to the
// current folder, as the game does from its own).
struct CurrentDir {
    std::filesystem::path saved;
    explicit CurrentDir(const std::string& dir) : saved(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~CurrentDir() { std::filesystem::current_path(saved); }
};

// Runs a command and returns its standard output.
inline std::string Capture(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int rc = pclose(p);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

// ImageMagick by its full path: a stand-in called `convert` may come first on PATH.
inline bool Magick(const std::string& args) { return Run("/usr/bin/convert " + args + " 2>/dev/null") == 0; }

// A deterministic pattern with every channel value varying across the picture.
inline std::vector<uint8_t> Pattern(int width, int height, int channels, int seed) {
    std::vector<uint8_t> p(static_cast<size_t>(width) * height * channels);
    uint32_t state = 2463534242u + static_cast<uint32_t>(seed);
    for (uint8_t& v : p) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        v = static_cast<uint8_t>(state);
    }
    return p;
}

inline void WritePpm(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb) {
    std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    std::vector<uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), rgb.begin(), rgb.end());
    WriteBytes(path, bytes);
}

inline void WritePam(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
    std::string header = "P7\nWIDTH " + std::to_string(width) + "\nHEIGHT " + std::to_string(height) +
                         "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    std::vector<uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), rgba.begin(), rgba.end());
    WriteBytes(path, bytes);
}

// Has ImageMagick decode any picture to RGBA bytes.
inline bool MagickRgba(const std::string& path, int width, int height, std::vector<uint8_t>& rgba) {
    std::string out = path + ".rgba";
    if (!Magick(path + " -depth 8 rgba:" + out)) return false;
    rgba = ReadBytes(out);
    return rgba.size() == static_cast<size_t>(width) * height * 4;
}

}  // namespace tarvex::test
