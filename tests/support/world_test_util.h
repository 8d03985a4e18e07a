// Helpers of the world tests: a game folder to work in, small file writers, the tool.
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resources/file_lookup.h"
#include "support/test_support.h"

namespace tarvex::test {

// Makes a fresh game folder the current directory for the life of the object.
class GameFolder {
public:
    explicit GameFolder(const std::string& name) : path_(TempDir(name)) {
        char buffer[4096];
        previous_ = getcwd(buffer, sizeof buffer) ? buffer : ".";
        if (chdir(path_.c_str()) != 0) std::perror("chdir");
        ClearFileLookupCache();
    }
    ~GameFolder() {
        if (chdir(previous_.c_str()) != 0) std::perror("chdir");
        ClearFileLookupCache();
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ClearFileLookupCache();
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteText(const std::string& path, const std::string& text) {
    WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// A package: u32 count, 136-byte entries (128-byte name, u32 offset, u32 size), data.
inline void WritePackage(const std::string& file,
                         const std::vector<std::pair<std::string, std::vector<uint8_t>>>& entries) {
    std::vector<uint8_t> out;
    auto u32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back((v >> (8 * i)) & 0xFF);
    };
    u32(static_cast<uint32_t>(entries.size()));
    uint32_t offset = 4 + 136 * static_cast<uint32_t>(entries.size());
    for (const auto& [name, data] : entries) {
        for (size_t i = 0; i < 128; ++i) out.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0);
        u32(offset);
        u32(static_cast<uint32_t>(data.size()));
        offset += static_cast<uint32_t>(data.size());
    }
    for (const auto& entry : entries) out.insert(out.end(), entry.second.begin(), entry.second.end());
    WriteFile(file, out);
}

// A floor-depth file whose 600 rows all point at one row of seven coded channels; one
// channel given stands for all seven.
inline std::vector<uint8_t> SingleRowFloorFile(const std::vector<std::vector<uint8_t>>& channels) {
    std::vector<uint8_t> file;
    for (int y = 0; y < 600; ++y) file.insert(file.end(), {0, 0, 0x0C, 0x44});  // 2400 + 740, big-endian
    for (int c = 0; c < 7; ++c) {
        const auto& channel = channels[channels.size() == 1 ? 0 : c];
        file.insert(file.end(), channel.begin(), channel.end());
    }
    return file;
}

// Every pixel at `depth`: each channel six runs of 128 and one of 32 (channels 0..2 zero).
inline std::vector<uint8_t> UniformFloorFile(float depth) {
    uint32_t bits;
    std::memcpy(&bits, &depth, 4);
    std::vector<std::vector<uint8_t>> channels(7);
    for (int c = 0; c < 7; ++c) {
        const uint8_t byte = c < 3 ? 0 : static_cast<uint8_t>(bits >> (8 * (6 - c)));
        channels[c] = {0, 14};
        for (int i = 0; i < 6; ++i) channels[c].insert(channels[c].end(), {127, byte});
        channels[c].insert(channels[c].end(), {31, byte});
    }
    return SingleRowFloorFile(channels);
}

// A shell command's exit status (-1 when it did not exit).
inline int Run(const std::string& command) {
    const int rc = std::system(command.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// What tarvex-tool writes on stdout for `arguments`, its exit status in `status`.
inline std::string ToolOutput(const std::string& arguments, int& status) {
    std::string out;
    status = -1;
    FILE* pipe = popen((std::string(TARVEX_BINARY_DIR) + "/tarvex-tool " + arguments + " 2>/dev/null").c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    status = WEXITSTATUS(pclose(pipe));
    return out;
}

}  // namespace tarvex::test
