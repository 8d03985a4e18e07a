// tarvex-tool path --mask FILE.raw --from X Y --to X Y: a route over a walk mask.
// tarvex-tool nearest --mask FILE.raw X Y: the closest free cell to a screen point.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "scene/path_finding.h"
#include "scene/walk_mask.h"
#include "tool_command.h"

namespace tarvex::tool {

bool ParseWorldInt(const std::string& text, int& value);

static std::string LoadMaskOption(const Args& args) {
    std::string mask;
    if (!OptionValue(args, "--mask", mask)) return "--mask FILE.raw is required";
    std::ifstream in(mask, std::ios::binary);
    if (!in) return "cannot open " + mask;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!ApplyWalkMask(bytes)) return "a walk mask is 120000 bytes";
    return {};
}

// The two integers after `name`.
static bool PointOption(const Args& args, const std::string& name, int& x, int& y) {
    for (size_t i = 0; i + 2 < args.size(); ++i)
        if (args[i] == name) return ParseWorldInt(args[i + 1], x) && ParseWorldInt(args[i + 2], y);
    return false;
}

static bool OnScreen(int x, int y) { return x >= 0 && x < 800 && y >= 0 && y < 600; }

static int PathCommand(const Args& args) {
    int fx, fy, tx, ty;
    if (!PointOption(args, "--from", fx, fy) || !PointOption(args, "--to", tx, ty))
        return Fail("usage: tarvex-tool path --mask FILE.raw --from X Y --to X Y");
    if (!OnScreen(tx, ty)) return Fail("the target lies off the 800 x 600 screen");
    const std::string error = LoadMaskOption(args);
    if (!error.empty()) return Fail(error);
    static PathResult path;
    FindPathFromScreen(path, fx, fy, tx, ty);
    std::string out = "{\"pathType\":" + std::to_string(path.pathType) +
                      ",\"pathLength\":" + std::to_string(path.pathLength) + ",\"points\":[";
    for (int i = 0; i < path.pathLength; ++i)
        out += (i ? ",[" : "[") + std::to_string(path.pathPoints[i][0]) + "," + std::to_string(path.pathPoints[i][1]) +
               "]";
    std::printf("%s]}\n", out.c_str());
    return 0;
}

static int NearestCommand(const Args& args) {
    Args rest = Positionals(args, {"--mask"});
    int x, y;
    if (rest.size() != 2 || !ParseWorldInt(rest[0], x) || !ParseWorldInt(rest[1], y))
        return Fail("usage: tarvex-tool nearest --mask FILE.raw X Y");
    if (!OnScreen(x, y)) return Fail("the point lies off the 800 x 600 screen");
    const std::string error = LoadMaskOption(args);
    if (!error.empty()) return Fail(error);
    const ScreenPoint p = NearestFreeCell(x, y);
    std::printf("[%d,%d]\n", p.x, p.y);
    return 0;
}

TARVEX_TOOL_COMMAND("path", "--mask FILE.raw --from X Y --to X Y", PathCommand);
TARVEX_TOOL_COMMAND("nearest", "--mask FILE.raw X Y", NearestCommand);

}  // namespace tarvex::tool
