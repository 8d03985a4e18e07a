// tarvex-tool make-scene N --game DIR ...: a scene's five files made from a rendered picture,
// its depth pass, a painted walk area and the camera (see the usage below and README.md).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "formats/scene_maker.h"
#include "tool_command.h"

namespace tarvex::tool {

namespace {

using formats::V3;

constexpr const char* kMakeSceneUsage =
    "N --game DIR --picture PIC --depth DEPTH --walk WALK --camera EX EY EZ TX TY TZ FOV [--roll R] [--scale S] "
    "[--ambient R G B] [--light X Y Z RANGE A0 A1 A2 R G B]... [--mirror X0 Y0 Z0 X1 Y1 Z1 X2 Y2 Z2 X3 Y3 Z3 OFFSET] "
    "[--fit] [--depth-range NEAR FAR] [--walk-colour R G B]\n"
    "      points are in the scene file's z-up coordinates (a modelling program's: the engine's x is -X, y is Z,\n"
    "      z is -Y); FOV is the vertical field of view in degrees; DEPTH holds the distance along the view";

// The options and how many values each takes.
const std::map<std::string, int>& OptionCounts() {
  static const std::map<std::string, int> counts = {
      {"--game", 1},  {"--picture", 1}, {"--depth", 1},   {"--walk", 1},        {"--camera", 7},
      {"--roll", 1},  {"--scale", 1},   {"--ambient", 3}, {"--light", 10},      {"--mirror", 13},
      {"--fit", 0},   {"--depth-range", 2},               {"--walk-colour", 3}};
  return counts;
}

// Reads the command line into the request; false with a message on a malformed one.
bool ParseRequest(const Args& args, formats::MakeSceneRequest& r, std::string& error) {
  bool haveScene = false, haveCamera = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto option = OptionCounts().find(a);
    if (option == OptionCounts().end()) {
      double n;
      if (haveScene || !ParseNumber(a, n) || n != std::floor(n) || std::fabs(n) > 1e6)
        return error = "unexpected argument " + a, false;
      r.scene = int(n), haveScene = true;
      continue;
    }
    const int count = option->second;
    if (i + count >= args.size())
      return error = a + " takes " + std::to_string(count) + " value" + (count == 1 ? "" : "s"), false;
    std::vector<std::string> text(args.begin() + long(i) + 1, args.begin() + long(i) + 1 + count);
    for (const std::string& t : text)
      if (OptionCounts().count(t))
        return error = a + " takes " + std::to_string(count) + " value" + (count == 1 ? "" : "s"), false;
    i += count;
    if (a == "--game") r.gameDir = text[0];
    else if (a == "--picture") r.picturePath = text[0];
    else if (a == "--depth") r.depthPath = text[0];
    else if (a == "--walk") r.walkPath = text[0];
    else if (a == "--fit") r.fit = true;
    else {
      std::vector<double> v(count);
      for (int k = 0; k < count; ++k)
        if (!ParseNumber(text[k], v[k])) return error = a + " takes numbers, not " + text[k], false;
      if (a == "--camera") {
        r.eye = {v[0], v[1], v[2]}, r.target = {v[3], v[4], v[5]}, r.fovDegrees = v[6];
        haveCamera = true;
      } else if (a == "--roll") r.rollDegrees = v[0];
      else if (a == "--scale") r.scale = v[0];
      else if (a == "--ambient") r.ambient = {v[0], v[1], v[2]};
      else if (a == "--light") {
        formats::PointLight l;
        l.position = {v[0], v[1], v[2]};
        l.range = v[3], l.a0 = v[4], l.a1 = v[5], l.a2 = v[6];
        l.colour = {v[7], v[8], v[9]};
        r.lights.push_back(l);
      } else if (a == "--mirror") {
        r.mirror = true;
        for (int c = 0; c < 4; ++c) r.mirrorCorners[c] = {v[3 * c], v[3 * c + 1], v[3 * c + 2]};
        r.mirrorOffset = v[12];
      } else if (a == "--depth-range") {
        r.depthRange = true, r.depthNear = v[0], r.depthFar = v[1];
      } else if (a == "--walk-colour") {
        for (double c : v)
          if (c < 0 || c > 255 || c != std::floor(c)) return error = "--walk-colour takes three whole numbers 0..255", false;
        r.walkColour = {uint8_t(v[0]), uint8_t(v[1]), uint8_t(v[2]), 255};
      }
    }
  }
  if (!haveScene) return error = "no scene number", false;
  for (const auto& [name, value] : {std::pair<const char*, const std::string*>{"--game", &r.gameDir},
                                    {"--picture", &r.picturePath}, {"--depth", &r.depthPath}, {"--walk", &r.walkPath}})
    if (value->empty()) return error = std::string(name) + " is missing", false;
  if (!haveCamera) return error = "--camera is missing", false;
  return true;
}

std::string Triple(V3 v) { return "[" + JsonNumber(v.x) + "," + JsonNumber(v.y) + "," + JsonNumber(v.z) + "]"; }

int MakeSceneCommand(const Args& args) {
  formats::MakeSceneRequest request;
  formats::MakeSceneSummary summary;
  std::string error;
  if (!ParseRequest(args, request, error)) {
    std::fprintf(stderr, "tarvex-tool make-scene: %s\nusage: tarvex-tool make-scene %s\n", error.c_str(),
                 kMakeSceneUsage);
    return Fail(error);
  }
  if (!formats::MakeScene(request, summary, error)) {
    std::fprintf(stderr, "tarvex-tool make-scene: %s\n", error.c_str());
    return Fail(error);
  }
  std::string out = "{\"scene\":" + std::to_string(request.scene) + ",\"files\":[";
  for (size_t i = 0; i < summary.files.size(); ++i) out += (i ? "," : "") + JsonString(summary.files[i]);
  out += "],\"floorPixels\":" + std::to_string(summary.floorPixels);
  out += ",\"walkCells\":" + std::to_string(summary.walkCells);
  out += ",\"floorBounds\":{\"min\":" + Triple(summary.floorMin) + ",\"max\":" + Triple(summary.floorMax) + "}";
  out += ",\"start\":{\"screen\":[" + std::to_string(summary.startX) + "," + std::to_string(summary.startY) +
         "],\"world\":" + Triple(summary.start) + "},\"warnings\":[";
  for (size_t i = 0; i < summary.warnings.size(); ++i) {
    std::fprintf(stderr, "tarvex-tool make-scene: warning: %s\n", summary.warnings[i].c_str());
    out += (i ? "," : "") + JsonString(summary.warnings[i]);
  }
  out += "]}";
  std::printf("%s\n", out.c_str());
  return 0;
}

}  // namespace

TARVEX_TOOL_COMMAND("make-scene", kMakeSceneUsage, MakeSceneCommand);

}  // namespace tarvex::tool
