#include "base/scene_request.h"

#include <algorithm>

#include "base/globals.h"
#include "platform/display.h"

namespace tarvex {

int pendingScene = -1;
int previousScene = -1;
uint32_t fadeState = 0;
uint32_t gammaLevel = 0;
uint32_t gammaMax = 255;
uint8_t instantCut = 0;
uint16_t gammaRamp[3][256];

void FillGammaRamps(uint32_t scale) {
    for (int i = 0; i < 256; ++i) {
        const uint64_t v = std::min<uint64_t>(static_cast<uint64_t>(i) * scale, 65535);
        gammaRamp[0][i] = gammaRamp[1][i] = gammaRamp[2][i] = static_cast<uint16_t>(v);
    }
}

void SendGammaRamps() { SetGammaRamp(gammaRamp[0], gammaRamp[1], gammaRamp[2]); }

void SetGammaMax(uint32_t value) {
    gammaMax = std::min(value, kGammaMaxLimit);
    FillGammaRamps(gammaMax);
    SendGammaRamps();
}

void CheckSceneRequest(int frameStartScene) {
    if (currentScene != frameStartScene && currentScene != -1) {
        pendingScene = currentScene;
        currentScene = frameStartScene;
        fadeState = 4294967295u;
    }
}

void ResetSceneSwitch() {
    pendingScene = -1;
    previousScene = -1;
    fadeState = 0;
    gammaLevel = 0;
    gammaMax = 255;
    instantCut = 0;
    FillGammaRamps(255);
}

}  // namespace tarvex
