// End-to-end runs of the engine binary: headless, on a virtual clock, driven by a
// replay script, observed through --dump-state and screenshots.
#pragma once
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/png_io.h"

namespace tarvex::test {

// Runs build/tarvex with the arguments; its output goes to `log`. The exit status.
inline int RunEngine(const std::string& args, const std::string& log) {
    const std::string command = std::string(TARVEX_BINARY_DIR) + "/tarvex " + args + " >" + log + " 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline nlohmann::json ReadJson(const std::string& path) {
    std::ifstream in(path);
    return nlohmann::json::parse(in, nullptr, false);
}

// A replay script written line by line ("FRAME kind ...").
inline void WriteReplay(const std::string& path, const std::vector<std::string>& lines) {
    std::ofstream out(path);
    for (const std::string& l : lines) out << l << "\n";
}

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    bool ok = false;
    const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

inline Picture ReadPicture(const std::string& path) {
    Picture p;
    p.ok = ReadPngRgb(path, p.width, p.height, p.rgb);
    return p;
}

// The mean absolute difference of two pictures inside a rectangle (0..255).
inline double Difference(const Picture& a, const Picture& b, int x0, int y0, int x1, int y1) {
    double sum = 0;
    long n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++n)
            for (int c = 0; c < 3; ++c) sum += std::abs(int(a.At(x, y)[c]) - int(b.At(x, y)[c]));
    return n ? sum / (3.0 * n) : 0;
}

}  // namespace tarvex::test
