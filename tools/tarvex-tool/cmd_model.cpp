// tarvex-tool model FILE.md [--game DIR] [--influences]: what a model file holds.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "model/model_file.h"
#include "resources/game_file.h"
#include "tool_command.h"

namespace tarvex::tool {

static bool ReadPlainFile(const std::string& path, std::vector<uint8_t>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

static int ModelCommand(const Args& args) {
    Args files = Positionals(args, {"--game"});
    if (files.size() != 1) return Fail("usage: tarvex-tool model FILE.md [--game DIR] [--influences]");
    std::vector<uint8_t> bytes;
    bool read = ReadPlainFile(files[0], bytes);
    std::string game;
    if (OptionValue(args, "--game", game)) {
        if (chdir(game.c_str()) != 0) return Fail("cannot enter " + game);
        // A game path that is not a plain file may still lie in a package.
        if (!read) read = ReadGameFile(files[0], bytes);
    }
    if (!read) return Fail("cannot open " + files[0]);
    ModelRecord m;
    if (!ParseModelFile(m, bytes)) return Fail("not a valid model file: " + files[0]);

    std::string out = "{\"signed\":" + std::string(m.hasSignature ? "true" : "false");
    out += ",\"version\":" + std::to_string(m.version);
    out += ",\"pointCount\":" + std::to_string(m.pointCount);
    out += ",\"triangleCount\":" + std::to_string(m.triangleCount);
    out += ",\"vertexCount\":" + std::to_string(m.vertexCount);
    out += ",\"boneCount\":" + std::to_string(m.boneCount);
    out += ",\"blendCount\":" + std::to_string(m.blendCount);
    out += ",\"frameCount\":" + std::to_string(m.frameCount);
    out += ",\"poseCount\":" + std::to_string(m.poseCount);
    out += ",\"cullMode\":" + std::to_string(m.cullMode);
    out += ",\"texture\":" + JsonString(std::string(m.textureName, strnlen(m.textureName, 128)));
    out += ",\"alphaTest\":" + std::to_string(m.alphaTest);
    out += ",\"bones\":[";
    for (size_t i = 0; i < m.bones.size(); ++i)
        out += (i ? "," : "") + JsonString(m.bones[i].name);
    out += "],\"motions\":[";
    bool first = true;
    for (int i = 0; i < kMotionCount; ++i) {
        const MotionEntry& e = m.motions[i];
        if (!e.defined) continue;
        out += first ? "" : ",";
        first = false;
        out += "{\"id\":" + std::to_string(i) + ",\"first\":" + JsonNumber(e.first) + ",\"last\":" +
               JsonNumber(e.last) + ",\"loopTo\":" + JsonNumber(e.loopTo) + ",\"speed\":" + JsonNumber(e.speed) +
               ",\"next\":" + std::to_string(e.next) + "}";
    }
    out += "]";
    if (HasFlag(args, "--influences")) {
        out += ",\"influences\":[";
        for (size_t i = 0; i < m.blendedPoints.size(); ++i) {
            const BlendedPoint& b = m.blendedPoints[i];
            std::string bones, weights;
            for (int k = 0; k < b.count; ++k) {
                bones += (k ? "," : "") + std::to_string(b.bones[k]);
                weights += (k ? "," : "") + JsonNumber(b.weights[k]);
            }
            out += (i ? "," : "") + ("[" + std::to_string(b.point) + ",[" + bones + "],[" + weights + "]]");
        }
        out += "]";
    }
    std::printf("%s}\n", out.c_str());
    return 0;
}

TARVEX_TOOL_COMMAND("model", "FILE.md [--game DIR] [--influences]", ModelCommand);

}  // namespace tarvex::tool
