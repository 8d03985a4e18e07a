// libFuzzer: the configuration file ("config.cfg", 72 bytes of 18 values; shorter and
// longer files too) as the engine loads it. Whatever was read, every field ends in its
// range, and the file written back reads the same.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/config.h"
#include "scratch_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        tarvex::SetSavesDirectory(fuzz::ScratchFolder());
        return true;
    }();
    (void)ready;
    fuzz::WriteScratch("config.cfg", data, size);
    tarvex::ResetConfig();
    tarvex::LoadConfig();
    tarvex::Config loaded = tarvex::config;
    if (tarvex::SanitizeConfig(loaded) != 0) __builtin_trap();
    if (!tarvex::SaveConfig()) __builtin_trap();
    tarvex::ResetConfig();
    tarvex::LoadConfig();
    if (std::memcmp(&loaded, &tarvex::config, sizeof loaded) != 0) __builtin_trap();
    return 0;
}
