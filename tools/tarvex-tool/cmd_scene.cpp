// tarvex-tool scene N --game DIR: the camera, scale, lights and effects of a scene's
// description, with the view and projection built from them.
#include <unistd.h>

#include <cstdio>

#include "resources/game_file.h"
#include "scene/scene_description.h"
#include "scene/scene_load.h"
#include "tool_command.h"

namespace tarvex::tool {

// Scene numbers and screen coordinates: plain decimal integers only.
bool ParseWorldInt(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9) return false;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    for (size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9') return false;
    value = std::stoi(text);
    return true;
}

// Adding 0 prints a negative zero as 0.
std::string WorldNumber(float v) { return JsonNumber(v + 0.0f); }

static std::string Vec(const Vec3& v) {
    return "[" + WorldNumber(v.x) + "," + WorldNumber(v.y) + "," + WorldNumber(v.z) + "]";
}

static std::string Matrix(const Mat4& m) {
    std::string out = "[";
    for (int i = 0; i < 16; ++i) out += (i ? "," : "") + WorldNumber(m[i]);
    return out + "]";
}

static int SceneCommand(const Args& args) {
    Args rest = Positionals(args, {"--game"});
    std::string game;
    int scene = 0;
    if (rest.size() != 1 || !OptionValue(args, "--game", game) || !ParseWorldInt(rest[0], scene) || scene < 0 ||
        scene > 999)
        return Fail("usage: tarvex-tool scene N --game DIR");
    if (chdir(game.c_str()) != 0) return Fail("cannot enter " + game);
    const std::string path = SceneFileBase(scene) + ".txt";
    if (LocateGameFile(path) == GameFileSource::Missing) return Fail("no scene description " + path);
    LoadSceneDescription(path);

    std::string out = "{\"eye\":" + Vec(sceneTables.sceneCamera.eye) + ",\"target\":" + Vec(sceneTables.sceneCamera.target);
    out += ",\"fov\":" + JsonNumber(sceneTables.sceneCamera.fovDegrees) + ",\"roll\":" + JsonNumber(sceneTables.sceneCamera.rollDegrees);
    out += ",\"scale\":" + JsonNumber(sceneTables.sceneScale) + ",\"ambient\":" + std::to_string(sceneTables.ambientColour);
    out += ",\"lights\":[";
    for (int i = 0; i < sceneTables.pointLightCount; ++i) {
        const SceneLight& l = sceneTables.sceneLights[i];
        out += (i ? "," : "") + ("{\"position\":" + Vec(l.position) + ",\"range\":" + JsonNumber(l.range) +
                                 ",\"attenuation\":[" + JsonNumber(l.attenuation0) + "," +
                                 JsonNumber(l.attenuation1) + "," + JsonNumber(l.attenuation2) + "],\"colour\":[" +
                                 JsonNumber(l.diffuse[0]) + "," + JsonNumber(l.diffuse[1]) + "," +
                                 JsonNumber(l.diffuse[2]) + "]}");
    }
    out += "],\"particleSystems\":" + std::to_string(sceneTables.particleSystemCount);
    out += ",\"mirror\":" + std::string(sceneTables.sceneMirror.present ? "true" : "false");
    out += ",\"view\":" + Matrix(sceneTables.sceneCamera.viewMatrix) + ",\"projection\":" + Matrix(sceneTables.sceneCamera.projectionMatrix);
    std::printf("%s}\n", out.c_str());
    return 0;
}

TARVEX_TOOL_COMMAND("scene", "N --game DIR", SceneCommand);

}  // namespace tarvex::tool
