#include "base/scene_request.h"

#include <algorithm>

#include "base/globals.h"
#include "platform/display.h"

namespace tarvex {

SceneSwitch sceneSwitch;

void FillGammaRamps(uint32_t scale) {
    for (int i = 0; i < 256; ++i) {
        const uint64_t v = std::min<uint64_t>(static_cast<uint64_t>(i) * scale, 65535);
        sceneSwitch.gammaRamp[0][i] = sceneSwitch.gammaRamp[1][i] = sceneSwitch.gammaRamp[2][i] = static_cast<uint16_t>(v);
    }
}

void SendGammaRamps() { SetGammaRamp(sceneSwitch.gammaRamp[0], sceneSwitch.gammaRamp[1], sceneSwitch.gammaRamp[2]); }

void SetGammaMax(uint32_t value) {
    sceneSwitch.gammaMax = std::min(value, kGammaMaxLimit);
    FillGammaRamps(sceneSwitch.gammaMax);
    SendGammaRamps();
}

void CheckSceneRequest(int frameStartScene) {
    if (loop.currentScene != frameStartScene && loop.currentScene != -1) {
        sceneSwitch.pendingScene = loop.currentScene;
        loop.currentScene = frameStartScene;
        sceneSwitch.fadeState = 4294967295u;
    }
}

void ResetSceneSwitch() {
    sceneSwitch.pendingScene = -1;
    sceneSwitch.previousScene = -1;
    sceneSwitch.fadeState = 0;
    sceneSwitch.gammaLevel = 0;
    sceneSwitch.gammaMax = 255;
    sceneSwitch.instantCut = 0;
    FillGammaRamps(255);
}

}  // namespace tarvex
