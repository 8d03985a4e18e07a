// Whole-file reading for the commands that parse a file of their own.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tarvex::tool {

// The file's bytes; false when it cannot be opened or read (a folder opens, then fails
// to read).
inline bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

}  // namespace tarvex::tool
