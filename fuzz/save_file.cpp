// libFuzzer target: the saved-game reader on arbitrary bytes. A file it accepts must hold
// numbers the engine can index with and names inside the game folder, and must read back
// to the same image when written again from that image.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "menu/save_file.h"
#include "resources/file_lookup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tarvex::SaveImage image;
    std::string error;
    if (!tarvex::ParseSave(data, size, image, error)) {
        if (error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    if (image.currentScene < 0 || image.currentScene > 298) std::abort();
    const int32_t held = image.values[tarvex::kValueHeldTool];
    if (held < -1 || held > 1023) std::abort();
    if (image.emitters.size() > 64 || image.tools.size() != 1024 || image.actors.size() != 16) std::abort();
    // Every name the loaders would open stays inside the game folder.
    auto inside = [](const char* name, size_t size) {
        return std::memchr(name, 0, size) && (name[0] == 0 || tarvex::IsGamePath(name));
    };
    for (const tarvex::ToolRecord& t : image.tools)
        if (!inside(t.pictureName, sizeof t.pictureName)) std::abort();
    for (const tarvex::SoundSlot& s : image.soundSlots)
        if (!inside(s.name, sizeof s.name)) std::abort();
    for (const tarvex::AnimSlot& s : image.animSlots)
        if (!inside(s.name, sizeof s.name) || !std::isfinite(s.currentFrame)) std::abort();
    // The record images round-trip through their field lists.
    uint8_t record[tarvex::kToolRecordSize];
    tarvex::WriteToolRecord(image.tools[0], record);
    tarvex::ToolRecord back;
    tarvex::ReadToolRecord(record, back);
    if (back.scene != image.tools[0].scene || back.lookLine != image.tools[0].lookLine) std::abort();
    return 0;
}
