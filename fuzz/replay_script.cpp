// libFuzzer: replay scripts ("FRAME kind ..." lines) as --replay reads them, then the
// frames they cover delivered as input (pointer, buttons, keys by name, typed text).
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tarvex::ResetInput();
    std::string error;
    if (!tarvex::AddReplayEvents(std::string(reinterpret_cast<const char*>(data), size), error)) return 0;
    tarvex::MouseState mouse;
    tarvex::Message message;
    for (uint64_t frame = 0; frame < 64; ++frame) {
        tarvex::BeginInputFrame(frame);
        tarvex::ReadMouse(400, 300, mouse);
        while (tarvex::TakeMessage(message)) {
        }
    }
    tarvex::ResetInput();
    return 0;
}
