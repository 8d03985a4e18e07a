// tarvex-tool render-model FILE.md --game DIR [--motion M] [--frame F] [--png OUT.png]:
// draws one model alone, lit, with a camera that frames it.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "model/actor.h"
#include "model/model_file.h"
#include "platform/depth_buffer.h"
#include "platform/display.h"
#include "platform/png_io.h"
#include "platform/render_device.h"
#include "render/actor_render.h"
#include "scene/scene_description.h"
#include "shell/game_frame.h"
#include "tool_command.h"

namespace tarvex::tool {

static int RenderModelCommand(const Args& args) {
    const Args files = Positionals(args, {"--game", "--motion", "--frame", "--png"});
    if (files.size() != 1)
        return Fail("usage: tarvex-tool render-model FILE.md --game DIR [--motion M] [--frame F] [--png OUT.png]");
    std::string game, png, value;
    std::error_code ec;
    // A plain file is taken as it is; otherwise the name is a game path.
    std::string path = files[0];
    if (std::filesystem::is_regular_file(path, ec)) path = std::filesystem::absolute(path, ec).string();
    if (OptionValue(args, "--png", png)) png = std::filesystem::absolute(png, ec).string();
    if (OptionValue(args, "--game", game) && chdir(game.c_str()) != 0) return Fail("cannot enter " + game);
    int motion = 0;
    if (OptionValue(args, "--motion", value)) {
        motion = std::atoi(value.c_str());
        if (motion < 0 || motion >= kMotionCount) return Fail("--motion takes 0..255");
    }

    DisplayConfig config;
    config.headless = true;
    config.fullScreen = false;
    config.title = "render-model";
    if (CreateGameWindow(config) != DisplayStep::None || CreateDisplayDevice(true) != DisplayStep::None)
        return Fail("no display for drawing");
    const int actor = LoadActor(path.c_str(), Vec3{0, 0, 0}, 0.0f);
    if (actor < 0) return Fail("not a valid model file: " + files[0]);
    ActorRecord& a = actorTable.actors[actor];
    ModelRecord& m = modelTables.models[a.model];
    a.motion = m.motions[motion].defined ? motion : 0;
    a.frame = m.motions[a.motion].first;
    if (OptionValue(args, "--frame", value)) a.frame = static_cast<float>(std::atof(value.c_str()));

    // Frame the skinned mesh as the actor's world places it.
    SkinModel(a.model, a.frame);
    Mat4 world;
    MatRotationY(world, a.heading + kPi);
    Vec3 lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f}, facing{0, 0, 0};
    for (const RenderVertex& v : m.renderVertices) {
        Vec3 p, n;
        Vec3TransformCoord(p, v.position, world);
        Vec3TransformNormal(n, v.normal, world);
        facing = {facing.x + n.x, facing.y + n.y, facing.z + n.z};
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    if (m.renderVertices.empty()) lo = hi = {0, 0, 0};
    const Vec3 centre{(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2};
    Vec3 size{hi.x - lo.x, hi.y - lo.y, hi.z - lo.z};
    const float radius = std::max(1.0f, 0.5f * Vec3Length(size));
    const float distance = radius / std::tan(22.5f * kDegreesToRadians) * 1.1f;
    // Look from the side most of the surface faces (horizontally), front-on by default.
    facing.y = 0;
    Vec3 view{0, 0, -1};
    if (Vec3LengthSq(facing) > 1e-6f) Vec3Normalize(view, facing);
    sceneTables.sceneCamera.eye = {centre.x + view.x * distance, centre.y + radius * 0.25f, centre.z + view.z * distance};
    sceneTables.sceneCamera.target = centre;
    MatLookAt(sceneTables.sceneCamera.viewMatrix, sceneTables.sceneCamera.eye, sceneTables.sceneCamera.target, Vec3{0, 1, 0});
    MatPerspectiveFov(sceneTables.sceneCamera.projectionMatrix, 45.0f * kDegreesToRadians, 0.75f, distance * 0.05f,
                      distance * 4.0f);
    for (SceneLight& l : sceneTables.sceneLights) l.enabled = false;
    SceneLight& key = sceneTables.sceneLights[0];
    key.enabled = true;
    key.position = {sceneTables.sceneCamera.eye.x + view.z * radius * 2, centre.y + radius * 3, sceneTables.sceneCamera.eye.z - view.x * radius * 2};
    key.range = distance * 10;
    key.attenuation0 = 1.0f;
    key.diffuse[0] = key.diffuse[1] = key.diffuse[2] = 0.8f;
    sceneTables.ambientColour = 0xFF505050;
    sceneTables.sceneMirror = SceneMirror{};

    ClearBackBuffer(0.35f, 0.35f, 0.4f);
    ClearBackBufferDepth(true);
    SaveBackBufferDepth();
    PoseDrawnActors();
    DrawActorsOfFrame();
    const std::vector<uint8_t> rgb = ReadBackBufferRgb(false);
    size_t drawn = 0;
    for (size_t i = 0; i < rgb.size(); i += 3)
        drawn += !(rgb[i] == 89 && rgb[i + 1] == 89 && rgb[i + 2] == 102);
    if (!png.empty() && !WritePngRgb(png, kScreenWidth, kScreenHeight, rgb)) return Fail("cannot write " + png);
    std::printf("{\"width\":800,\"height\":600,\"motion\":%d,\"frame\":%s,\"triangles\":%u,\"textured\":%s,"
                "\"pixelsDrawn\":%zu}\n",
                a.motion, JsonNumber(a.frame).c_str(), m.triangleCount,
                a.texture >= 0 && animation.textureCache[a.texture].handle ? "true" : "false", drawn);
    DestroyDisplay();
    return 0;
}

TARVEX_TOOL_COMMAND("render-model", "FILE.md --game DIR [--motion M] [--frame F] [--png OUT.png]", RenderModelCommand);

}  // namespace tarvex::tool
