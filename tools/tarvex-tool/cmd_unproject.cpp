// tarvex-tool unproject N X Y --game DIR: the floor point under a screen pixel of a
// scene, or null where the scene has no floor.
#include <unistd.h>

#include <cstdio>

#include "resources/game_file.h"
#include "scene/scene_description.h"
#include "scene/scene_load.h"
#include "scene/walk_mask.h"
#include "tool_command.h"

namespace tarvex::tool {

bool ParseWorldInt(const std::string& text, int& value);
std::string WorldNumber(float v);

static int UnprojectCommand(const Args& args) {
    Args rest = Positionals(args, {"--game"});
    std::string game;
    int scene, x, y;
    if (rest.size() != 3 || !OptionValue(args, "--game", game) || !ParseWorldInt(rest[0], scene) ||
        !ParseWorldInt(rest[1], x) || !ParseWorldInt(rest[2], y) || scene < 0 || scene > 999)
        return Fail("usage: tarvex-tool unproject N X Y --game DIR");
    if (x < 0 || x >= 800 || y < 0 || y >= 600) return Fail("the point lies off the 800 x 600 screen");
    if (chdir(game.c_str()) != 0) return Fail("cannot enter " + game);
    const std::string base = SceneFileBase(scene);
    if (LocateGameFile(base + ".txt") == GameFileSource::Missing) return Fail("no scene description " + base + ".txt");
    if (LocateGameFile(base + "m.msk") == GameFileSource::Missing) return Fail("no floor depth " + base + "m.msk");
    LoadSceneDescription(base + ".txt");
    if (!LoadFloorDepth(base + "m.msk")) return Fail("the floor depth " + base + "m.msk is damaged");
    if (!HasFloor(x, y)) {
        std::printf("null\n");
        return 0;
    }
    const Vec3 p = ScreenToWorld(x, y, FloorDepthAt(x, y));
    std::printf("[%s,%s,%s]\n", WorldNumber(p.x).c_str(), WorldNumber(p.y).c_str(), WorldNumber(p.z).c_str());
    return 0;
}

TARVEX_TOOL_COMMAND("unproject", "N X Y --game DIR", UnprojectCommand);

}  // namespace tarvex::tool
