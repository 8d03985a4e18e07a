// tarvex-tool image PATH --game DIR [--depth 32|16|15] [--png OUT.png]: loads a game
// picture as the engine does (loose first, else its package) into a display surface.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/png_io.h"
#include "platform/surface.h"
#include "resources/game_file.h"
#include "resources/picture.h"
#include "resources/texture_file.h"
#include "tool_command.h"

namespace tarvex::tool {

namespace {

std::string LowerExtension(const std::string& path) {
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

// TGA pictures are texture files in the engine; here they become a surface like the others.
Surface* LoadTgaSurface(const std::string& path) {
    std::vector<uint8_t> data;
    if (!ReadGameFile(path, data)) return nullptr;
    DecodedTexture decoded;
    if (!DecodeTga(data.data(), data.size(), decoded)) return nullptr;
    Surface* s = CreateSurface(decoded.width, decoded.height);
    if (!s) return nullptr;
    std::vector<uint8_t> bgr(static_cast<size_t>(decoded.width) * 3);
    for (int y = 0; y < decoded.height; ++y) {
        const uint8_t* src = &decoded.levels[0][static_cast<size_t>(y) * decoded.width * 4];
        for (int x = 0; x < decoded.width; ++x) {
            bgr[x * 3] = src[x * 4 + 2];
            bgr[x * 3 + 1] = src[x * 4 + 1];
            bgr[x * 3 + 2] = src[x * 4];
        }
        ConvertRowToDisplay(bgr.data(), decoded.width, decoded.height - y, s->depth, PixelRow(*s, y));
    }
    return s;
}

}  // namespace

static int ImageCommand(const Args& args) {
    Args positional = Positionals(args, {"--game", "--depth", "--png"});
    std::string game, depthText = "32", png;
    if (positional.size() != 1 || !OptionValue(args, "--game", game))
        return Fail("usage: tarvex-tool image PATH --game DIR [--depth 32|16|15] [--png OUT.png]");
    OptionValue(args, "--depth", depthText);
    int depth = depthText == "32" ? 32 : depthText == "16" ? 16 : depthText == "15" ? 15 : 0;
    if (!depth) return Fail("depth must be 32, 16 or 15");
    if (OptionValue(args, "--png", png)) png = std::filesystem::absolute(png).string();
    if (chdir(game.c_str()) != 0) return Fail("cannot enter " + game);
    surfaceFormat.displayPixelDepth = depth;

    const std::string& path = positional[0];
    GameFileSource source = LocateGameFile(path);
    if (source == GameFileSource::Missing) return Fail("not found: " + path);
    std::string ext = LowerExtension(path);
    Surface* surface = nullptr;
    if (ext == ".bmp") {
        LoadBmpSurface(surface, path);
    } else if (ext == ".tif" || ext == ".tiff") {
        LoadTiffSurface(surface, path);
    } else if (ext == ".tga") {
        surface = LoadTgaSurface(path);
    } else {
        return Fail("no picture loader for " + path);
    }
    if (!surface) return Fail("not a picture this loader reads: " + path);
    if (!png.empty() && !WritePngRgb(png, surface->width, surface->height, SurfaceToRgb(*surface))) {
        ReleaseSurface(surface);
        return Fail("cannot write " + png);
    }
    std::printf("{\"width\":%d,\"height\":%d,\"depth\":%d,\"source\":%s}\n", surface->width, surface->height,
                surface->depth, JsonString(source == GameFileSource::Loose ? "loose" : "package").c_str());
    ReleaseSurface(surface);
    return 0;
}

TARVEX_TOOL_COMMAND("image", "PATH --game DIR [--depth 32|16|15] [--png OUT.png]", ImageCommand);

}  // namespace tarvex::tool
