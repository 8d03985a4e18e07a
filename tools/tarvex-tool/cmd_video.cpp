// tarvex-tool video FILE [--frames N] [--png-dir DIR]: size, frame count and rate of
// a video, and optionally its first N pictures as DIR/frame000.png ...
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/png_io.h"
#include "platform/video_decoder.h"
#include "tool_command.h"

namespace tarvex::tool {

static int VideoCommand(const Args& args) {
    Args files = Positionals(args, {"--frames", "--png-dir"});
    if (files.size() != 1) return Fail("usage: tarvex-tool video FILE [--frames N] [--png-dir DIR]");
    long long wanted = -1;
    std::string text, dir;
    if (OptionValue(args, "--frames", text)) {
        char* end = nullptr;
        errno = 0;
        wanted = std::strtoll(text.c_str(), &end, 10);
        if (errno || !end || *end != '\0' || wanted < 0) return Fail("--frames takes a count of 0 or more");
    }
    const bool writePngs = OptionValue(args, "--png-dir", dir);
    if (writePngs && !MakeDirectories(dir)) return Fail("cannot create " + dir);

    VideoDecoder* decoder = OpenVideoFile(files[0]);
    if (!decoder) return Fail("cannot open a video in " + files[0]);
    const int width = VideoWidth(decoder), height = VideoHeight(decoder);
    const double fps = VideoFrameRate(decoder);
    int64_t frameCount = VideoStatedFrameCount(decoder);
    int64_t decoded = 0;
    std::vector<uint8_t> rgba, rgb;
    // Decode when pictures are wanted or the container does not state its count.
    const bool needCount = frameCount < 0;
    while (needCount || (writePngs && (wanted < 0 || decoded < wanted))) {
        double seconds = 0;
        if (!DecodeNextFrame(decoder, seconds)) break;
        if (writePngs && (wanted < 0 || decoded < wanted)) {
            if (!ConvertFrame(decoder, width, height, rgba)) {
                CloseVideo(decoder);
                return Fail("cannot convert frame " + std::to_string(decoded));
            }
            rgb.resize(static_cast<size_t>(width) * height * 3);
            for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i)
                for (int c = 0; c < 3; ++c) rgb[i * 3 + c] = rgba[i * 4 + c];
            char name[32];
            std::snprintf(name, sizeof name, "/frame%03lld.png", static_cast<long long>(decoded));
            if (!WritePngRgb(dir + name, width, height, rgb)) {
                CloseVideo(decoder);
                return Fail("cannot write " + dir + name);
            }
        }
        ++decoded;
    }
    CloseVideo(decoder);
    if (needCount) frameCount = decoded;
    std::printf("{\"width\":%d,\"height\":%d,\"frameCount\":%lld,\"fps\":%s}\n", width, height,
                static_cast<long long>(frameCount), JsonNumber(fps).c_str());
    return 0;
}

TARVEX_TOOL_COMMAND("video", "FILE [--frames N] [--png-dir DIR]", VideoCommand);

}  // namespace tarvex::tool
