#include "base/globals.h"

#include "platform/clock.h"

namespace tarvex {

LoopValues loop;
PointerValues pointer;
FramePace framePace;
FogValues fog;

static double windowStart = 0.0;
static int framesCounted = 0;

double ClockSeconds() { return static_cast<double>(GetMilliseconds()) * 0.001; }

void RestartFrameRateWindow() {
    windowStart = ClockSeconds();
    framesCounted = 0;
}

void CountFrame(double now) {
    ++framesCounted;
    const double elapsed = now - windowStart;
    if (elapsed > 0.1) {
        framePace.fps = static_cast<float>(framesCounted / elapsed);
        framePace.synch = 30.0f / framePace.fps;
        framesCounted = 0;
        windowStart = now;
    }
}

void ResetShellGlobals() {
    loop.menuActive = loop.quitRequested = loop.appActive = loop.playMode = 0;
    loop.currentScene = -1;
    pointer.cursorX = 400;
    pointer.cursorY = 300;
    pointer.mouseState = MouseState{};
    framePace.synch = 1.0f;
    framePace.fps = 30.0f;
    framePace.frameRateCap = 32.0f;
    loop.presentEnabled = 1;
    loop.backgroundValid = 0;
    loop.gameStarted = 0;
    loop.requestedTrack = 3;
    loop.MainSost = 0;
    loop.MainFlags = 0;
    fog.fogStart = fog.fogEnd = 0.0f;
    fog.fogColour = 0;
    fog.fogEnabled = false;
    windowStart = 0.0;
    framesCounted = 0;
}

}  // namespace tarvex
