// tarvex-tool import-model FILE --out models/NAME.md [--texture-out PATH] [--motion N=CLIP]...
// [--scale S] [--up y|z]: a character or prop from a modelling program (glTF 2.0, FBX,
// Collada) as a model file of the game, with its skin texture.
#include <cstdio>
#include <cstdlib>

#include "formats/model_import.h"
#include "platform/atomic_file.h"
#include "tool_command.h"

namespace tarvex::tool {

namespace {

constexpr char kUsage[] =
    "FILE --out models/NAME.md [--texture-out PATH] [--motion N=CLIP]... [--scale S] [--up y|z]";

bool ParseOptions(const Args& args, formats::ModelImportOptions& o, std::string& error) {
    const Args files = Positionals(args, {"--out", "--texture-out", "--motion", "--scale", "--up"});
    if (files.size() != 1 || !OptionValue(args, "--out", o.modelPath)) {
        error = std::string("usage: tarvex-tool import-model ") + kUsage;
        return false;
    }
    o.input = files[0];
    OptionValue(args, "--texture-out", o.texturePath);
    std::string value;
    // A scale that is not a number is refused as one that is not positive.
    if (OptionValue(args, "--scale", value) && !ParseNumber(value, o.scale)) o.scale = 0;
    if (OptionValue(args, "--up", value)) {
        if (value != "y" && value != "z") {
            error = "--up takes y or z";
            return false;
        }
        o.zUp = value == "z";
    }
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] != "--motion") continue;
        const std::string& placement = args[i + 1];
        const size_t eq = placement.find('=');
        char* end = nullptr;
        const long number = eq == std::string::npos ? -1 : std::strtol(placement.c_str(), &end, 10);
        if (eq == std::string::npos || end != placement.c_str() + eq || eq == 0 || number < 0 || number > 255 ||
            eq + 1 == placement.size()) {
            error = "--motion takes N=CLIP with N in 0..255: " + placement;
            return false;
        }
        o.motionClips.push_back({int(number), placement.substr(eq + 1)});
    }
    return true;
}

std::string Summary(const formats::ModelImportOptions& o, const formats::ModelImport& r) {
    const formats::ModelData& m = r.model;
    std::string out = "{\"model\":" + JsonString(o.modelPath);
    out += ",\"texture\":" + (r.texturePath.empty() ? std::string("null") : JsonString(r.texturePath));
    out += ",\"points\":" + std::to_string(m.points.size()) + ",\"vertices\":" + std::to_string(m.uvs.size()) +
           ",\"triangles\":" + std::to_string(m.triangles.size()) + ",\"rigidPoints\":" + std::to_string(r.rigidPoints) +
           ",\"blendedPoints\":" + std::to_string(r.blendedPoints) + ",\"frames\":" + std::to_string(m.frameCount) +
           ",\"poses\":" + std::to_string(m.poses.size()) + ",\"cullMode\":" + std::to_string(m.cullMode) +
           ",\"height\":" + JsonNumber(r.height) + ",\"bones\":[";
    for (size_t i = 0; i < r.bones.size(); ++i)
        out += (i ? "," : "") + ("{\"name\":" + JsonString(r.bones[i].name) + ",\"parent\":" +
                                 std::to_string(r.bones[i].parent) + "}");
    out += "],\"motions\":[";
    for (size_t i = 0; i < r.motions.size(); ++i) {
        const formats::ImportedMotion& mo = r.motions[i];
        out += (i ? "," : "") + ("{\"motion\":" + std::to_string(mo.number) + ",\"clip\":" +
                                 (mo.clip.empty() ? std::string("null") : JsonString(mo.clip)) +
                                 ",\"placed\":" + JsonString(mo.clip.empty() ? "rest pose" : mo.fromOption ? "--motion" : "file order") +
                                 ",\"first\":" + std::to_string(mo.first) + ",\"last\":" + std::to_string(mo.last) +
                                 ",\"loops\":" + (mo.loops ? "true" : "false") + "}");
    }
    out += "],\"dropped\":[";
    for (size_t i = 0; i < r.dropped.size(); ++i) out += (i ? "," : "") + JsonString(r.dropped[i]);
    return out + "]}";
}

int ImportModelCommand(const Args& args) {
    formats::ModelImportOptions options;
    std::string error;
    formats::ModelImport result;
    if (!ParseOptions(args, options, error) || !formats::ImportModel(options, result, error)) {
        std::fprintf(stderr, "import-model: %s\n", error.c_str());
        return Fail(error);
    }
    for (const std::string& d : result.dropped) std::fprintf(stderr, "import-model: warning: dropped %s\n", d.c_str());
    if (result.height < 10)
        std::fprintf(stderr, "import-model: warning: the model stands %.3g units tall; the game's hero is 175 (--scale)\n",
                     result.height);
    // The texture first: a model is never left naming a skin that was not written.
    if (!result.texture.empty() &&
        !WriteFileAtomically(result.texturePath, result.texture.data(), result.texture.size()))
        return Fail("cannot write " + result.texturePath);
    if (!WriteFileAtomically(options.modelPath, result.modelFile.data(), result.modelFile.size()))
        return Fail("cannot write " + options.modelPath);
    std::printf("%s\n", Summary(options, result).c_str());
    return 0;
}

}  // namespace

TARVEX_TOOL_COMMAND("import-model", kUsage, ImportModelCommand);

}  // namespace tarvex::tool
