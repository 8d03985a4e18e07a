// tarvex-tool config FILE: the 18 values of a configuration file.
#include <cstdio>
#include <vector>

#include "base/byte_io.h"
#include "tool_command.h"

namespace tarvex::tool {

static int ConfigCommand(const Args& args) {
    Args files = Positionals(args, {});
    if (files.size() != 1) return Fail("usage: tarvex-tool config FILE");
    FILE* f = std::fopen(files[0].c_str(), "rb");
    if (!f) return Fail("cannot open " + files[0]);
    unsigned char bytes[73];
    size_t n = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    if (n != 72) return Fail("a configuration file is 72 bytes");
    static const char* names[18] = {"transformLighting", "colour32", "tripleBuffering", "shadows", "unused",
                                    "switch6", "modeValue", "soundOn", "musicOn", "gammaMax", "videosOn",
                                    "videosCopy", "compatibility", "windowed", "subtitlesOn", "soundVolume",
                                    "musicVolume", "cleanExit"};
    std::string out = "{";
    ByteReader r(bytes, n);
    for (int i = 0; i < 18; ++i) out += (i ? "," : "") + JsonString(names[i]) + ":" + std::to_string(r.I32());
    std::printf("%s}\n", out.c_str());
    return 0;
}

TARVEX_TOOL_COMMAND("config", "FILE", ConfigCommand);

}  // namespace tarvex::tool
