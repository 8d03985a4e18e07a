// The demo's codes, read by the engine from the generated game: a text for every keyboard
// device that can be typed before the device's limit. (The walkthrough types the keypad's
// two codes.)
#include "scripts_fixture.h"

namespace tarvex {
namespace {

TEST(DemoCodes, EveryKeyboardDeviceHasACodeItsPlayerCanEnter) {
    const std::string demo = test::GeneratedDemo("packed", false);
    ASSERT_FALSE(demo.empty());
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(demo);
    ClearFileLookupCache();
    for (int mode = 1; mode <= 12; ++mode) {
        const KeyboardDevice* d = FindKeyboardDevice(mode);
        for (int i = 0; d && i < d->textCount; ++i) {
            // Devices 1 to 4 refuse the key that reaches the limit, Enter too.
            const std::string text = DeviceExpectedText(mode, i);
            EXPECT_FALSE(text.empty()) << DeviceCodeName(mode, i);
            EXPECT_LE(static_cast<int>(text.size()) + 1, d->limit - (mode <= 4 ? 1 : 0)) << DeviceCodeName(mode, i);
        }
    }
    ResetDevices();
    std::filesystem::current_path(old);
    ClearFileLookupCache();
}

}  // namespace
}  // namespace tarvex
