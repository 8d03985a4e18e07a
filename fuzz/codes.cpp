// libFuzzer: the game folder's "data/codes.txt" (NAME VALUE lines) as the devices read it,
// then every code the devices ask for.
#include <cstddef>
#include <cstdint>
#include <string>

#include "resources/file_lookup.h"
#include "scratch_folder.h"
#include "scripts/devices.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::WriteScratch("data/codes.txt", data, size);
    fuzz::InScratch here;
    tarvex::ClearFileLookupCache();
    tarvex::ResetDevices();
    std::string value;
    for (const char* name : {"pad98.general", "pad98.personal", "pad67", "pad256", "pad258", "phone218.a",
                             "phone218.b", "colours150"})
        tarvex::GameCode(name, value);
    for (int mode = 0; mode <= 13; ++mode)
        for (int index = 0; index < 4; ++index) tarvex::DeviceExpectedText(mode, index);
    if (tarvex::GameCode("pad98.general", value)) tarvex::PadMatches(value);
    return 0;
}
