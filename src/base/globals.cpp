#include "base/globals.h"

#include "platform/clock.h"

namespace tarvex {

int menuActive = 0;
int quitRequested = 0;
int appActive = 0;
int playMode = 0;
int currentScene = -1;
int cursorX = 400, cursorY = 300;
MouseState mouseState;
int32_t LeftKey = 0;
float synch = 1.0f;
float fps = 30.0f;
float frameRateCap = 32.0f;
uint8_t presentEnabled = 1;
uint8_t backgroundValid = 0;
int gameStarted = 0;
int requestedTrack = 3;
int MainSost = 0;
int MainFlags = 0;

float fogStart = 0.0f, fogEnd = 0.0f;
uint32_t fogColour = 0;
bool fogEnabled = false;

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
        fps = static_cast<float>(framesCounted / elapsed);
        synch = 30.0f / fps;
        framesCounted = 0;
        windowStart = now;
    }
}

void ResetShellGlobals() {
    menuActive = quitRequested = appActive = playMode = 0;
    currentScene = -1;
    cursorX = 400;
    cursorY = 300;
    mouseState = MouseState{};
    synch = 1.0f;
    fps = 30.0f;
    frameRateCap = 32.0f;
    presentEnabled = 1;
    backgroundValid = 0;
    gameStarted = 0;
    requestedTrack = 3;
    MainSost = 0;
    MainFlags = 0;
    fogStart = fogEnd = 0.0f;
    fogColour = 0;
    fogEnabled = false;
    windowStart = 0.0;
    framesCounted = 0;
}

}  // namespace tarvex
