// A scene change asked for and the gamma fade that carries it out: a script writes a scene
// number into currentScene, the frame turns it into a request (pendingScene), and the fade
// runs on these values and ramps (the switch itself is the shell's).
#pragma once
#include <cstdint>

namespace tarvex {

struct SceneSwitch {
    int pendingScene = -1;
    int previousScene = -1;
    uint32_t fadeState = 0;  // 0 none, 1..300 fading in, above 300 fading out
    uint32_t gammaLevel = 0;
    uint32_t gammaMax = 255;
    uint8_t instantCut = 0;
    uint16_t gammaRamp[3][256] = {};
};
extern SceneSwitch sceneSwitch;

constexpr uint32_t kGammaMaxLimit = 65500;

// Entry i of each ramp = min(i * scale, 65535).
void FillGammaRamps(uint32_t scale);
// Hands the ramps to the display.
void SendGammaRamps();
// Sets gammaMax (kept at most 65500, so a fade in can never wrap) and sends its ramps.
void SetGammaMax(uint32_t value);

// A scene number written during the frame becomes the request; currentScene stays the
// frame's own until the fade has darkened the picture.
void CheckSceneRequest(int frameStartScene);

void ResetSceneSwitch();

}  // namespace tarvex
