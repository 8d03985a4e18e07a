// libFuzzer: the player's settings file ("settings.ini", key=value lines) as the engine
// loads it. Whatever was read, every value is one the engine takes, and the file written
// back reads the same.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "base/config.h"
#include "base/play_settings.h"
#include "scratch_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        tarvex::SetSavesDirectory(fuzz::ScratchFolder());
        return true;
    }();
    (void)ready;
    fuzz::WriteScratch("settings.ini", data, size);
    tarvex::playSettings = tarvex::PlaySettings{};
    tarvex::LoadPlaySettings();
    const tarvex::PlaySettings loaded = tarvex::playSettings;
    const float speed = loaded.readingSpeed;
    if (!std::isfinite(speed) || speed < tarvex::kMinReadingSpeed || speed > tarvex::kMaxReadingSpeed) __builtin_trap();
    int size16 = 0;
    if (!tarvex::ParseSubtitleSize(std::to_string(loaded.subtitleSize), size16)) __builtin_trap();
    if (!tarvex::SavePlaySettings()) __builtin_trap();
    tarvex::playSettings = tarvex::PlaySettings{};
    tarvex::LoadPlaySettings();
    if (tarvex::FormatPlaySettings(tarvex::playSettings) != tarvex::FormatPlaySettings(loaded)) __builtin_trap();
    return 0;
}
