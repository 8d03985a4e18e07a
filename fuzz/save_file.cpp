// libFuzzer target: the saved-game reader on arbitrary bytes. A file the check accepts
// must read into the engine's tables with numbers the engine can index with and names
// inside the game folder, and must be written back to a file the check accepts again.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "interaction/interaction_state.h"
#include "media/sound.h"
#include "menu/save_file.h"
#include "resources/anim_slot.h"
#include "resources/file_lookup.h"
#include "shell/game_tables.h"
#include "base/globals.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarvex;
    static const bool ready = [] {
        ResetAllTables();
        return true;
    }();
    (void)ready;
    std::string error;
    std::vector<uint8_t> thumbnail;
    if (!CheckSave(data, size, error, &thumbnail)) {
        if (error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    ReadSave(data, size, false);
    if (loop.currentScene < 0 || loop.currentScene > 298) std::abort();
    if (interaction.heldTool < -1 || interaction.heldTool > 1023) std::abort();
    // Every name the loaders would open stays inside the game folder.
    auto inside = [](const char* name, size_t n) {
        return std::memchr(name, 0, n) && (name[0] == 0 || IsGamePath(name));
    };
    for (const ToolRecord& t : interaction.ToolTable)
        if (!inside(t.pictureName, sizeof t.pictureName)) std::abort();
    for (const SoundSlot& s : soundTables.soundSlots)
        if (!inside(s.name, sizeof s.name)) std::abort();
    for (const AnimSlot& s : animation.animSlots)
        if (!inside(s.name, sizeof s.name) || !std::isfinite(s.currentFrame)) std::abort();
    // What was read writes a file of the same length that the check takes again.
    const std::vector<uint8_t> again = BuildSave(thumbnail);
    if (again.size() > size || !CheckSave(again.data(), again.size(), error)) std::abort();
    return 0;
}
