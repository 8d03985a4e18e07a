// tarvex-tool save FILE [--thumbnail OUT.png]: what a saved game holds, read and checked
// as the engine's loader reads it.
#include <cstdio>
#include <vector>

#include "file_bytes.h"
#include "menu/save_file.h"
#include "platform/font.h"
#include "platform/png_io.h"
#include "shell/json_writer.h"
#include "tool_command.h"

namespace tarvex::tool {

static void SceneWords(JsonWriter& json, const char* name, const std::array<uint32_t, kSavedSceneWords>& words) {
    json.Key(name).BeginObject();
    for (int i = 0; i < kSavedSceneWords; ++i)
        if (words[static_cast<size_t>(i)]) json.Member(std::to_string(i), words[static_cast<size_t>(i)]);
    json.EndObject();
}

static int SaveCommand(const Args& args) {
    Args files = Positionals(args, {"--thumbnail"});
    if (files.size() != 1) return Fail("usage: tarvex-tool save FILE [--thumbnail OUT.png]");
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(files[0], bytes)) return Fail("cannot read " + files[0]);
    SaveImage s;
    std::string error;
    if (!ParseSave(bytes.data(), bytes.size(), s, error)) return Fail(error);
    std::string png;
    if (OptionValue(args, "--thumbnail", png)) {
        if (!s.hasThumbnail) return Fail("the save has no thumbnail");
        std::vector<uint8_t> rgb(static_cast<size_t>(200) * 150 * 3);
        for (size_t i = 0; i < static_cast<size_t>(200) * 150; ++i) {
            rgb[i * 3] = s.thumbnail[i * 4 + 2];
            rgb[i * 3 + 1] = s.thumbnail[i * 4 + 1];
            rgb[i * 3 + 2] = s.thumbnail[i * 4];
        }
        if (!WritePngRgb(png, 200, 150, rgb)) return Fail("cannot write " + png);
    }
    JsonWriter json;
    json.BeginObject();
    json.Key("thumbnail").Bool(s.hasThumbnail);
    json.Member("currentScene", s.currentScene).Member("previousScene", s.previousScene);
    SceneWords(json, "sceneState", s.sceneState);
    SceneWords(json, "sceneFlags", s.sceneFlags);
    json.Key("inventory").BeginArray();
    for (int n = 0; n < kToolCount; ++n)
        if (s.tools[static_cast<size_t>(n)].inInventory) json.Int(n);
    json.EndArray();
    json.Member("heldTool", s.values[kValueHeldTool]).Member("MainSost", s.mainSost).Member("voiceMode", s.voiceMode);
    json.Member("gammaLevel", s.gammaLevel);
    std::u16string subtitle;
    for (char16_t c : s.subtitle) {
        if (c == 0 || c == u'\r') break;
        subtitle += c;
    }
    json.Key("subtitle").String(Utf16ToUtf8(subtitle));
    json.Key("actors").BeginArray();
    for (size_t i = 0; i < s.actors.size(); ++i) {
        const ActorRecord& a = s.actors[i];
        if (!a.inUse) continue;
        // The model as the record stores it: an index into the model table of the game that saved.
        json.BeginObject().Member("index", static_cast<int64_t>(i)).Member("model", a.model);
        json.Key("position").BeginArray().Number(a.position.x).Number(a.position.y).Number(a.position.z).EndArray();
        json.Key("heading").Number(a.heading).Member("motion", a.motion).EndObject();
    }
    json.EndArray();
    int regions = 0, slots = 0, sounds = 0;
    for (const ActionRegion& r : s.regions) regions += r.enabled != 0;
    for (const AnimSlot& a : s.animSlots) slots += a.loaded != 0;
    for (const SoundSlot& so : s.soundSlots) sounds += so.loaded != 0;
    json.Member("regions", regions).Member("animationSlots", slots).Member("soundSlots", sounds);
    json.Member("emitters", static_cast<int64_t>(s.emitters.size()));
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
    return 0;
}

TARVEX_TOOL_COMMAND("save", "FILE [--thumbnail OUT.png]", SaveCommand);

}  // namespace tarvex::tool
