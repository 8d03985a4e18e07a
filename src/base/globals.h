// The process-wide values every layer shares: what a pass of the message loop does (menu
// or game, scene play or video), the pointer, the frame time scale and the frame's pace.
#pragma once
#include <cstdint>

#include "platform/input.h"

namespace tarvex {

// What a pass of the message loop does: menu or game, scene play or video, the scene, and
// the main state the scripts keep.
struct LoopValues {
    int menuActive = 0;
    int quitRequested = 0;
    int appActive = 0;
    int playMode = 0;       // 0 scene play, 1 one-frame hold, 2 video
    int currentScene = -1;  // -1 none
    uint8_t presentEnabled = 1;
    uint8_t backgroundValid = 0;
    int gameStarted = 0;
    int requestedTrack = 3;
    int MainSost = 0;
    int MainFlags = 0;
};
extern LoopValues loop;

// The pointer: its position in game pixels, the buttons, and the left press's use.
struct PointerValues {
    int cursorX = 400, cursorY = 300;
    MouseState mouseState;
    int32_t LeftKey = 0;  // 1 once the current left press has been used
};
extern PointerValues pointer;

// The frame's pace: the time scale of a frame against 30 per second, the measured rate
// and the cap a scene may set.
struct FramePace {
    float synch = 1.0f;
    float fps = 30.0f;
    float frameRateCap = 32.0f;
};
extern FramePace framePace;

// Fog values a scene script may set (start, end in eye-space units; colour 0xRRGGBB).
struct FogValues {
    float fogStart = 0.0f, fogEnd = 0.0f;
    uint32_t fogColour = 0;
    bool fogEnabled = false;
};
extern FogValues fog;

// The frame-rate measuring window.
void RestartFrameRateWindow();
// Counts one frame at `now` seconds; re-measures fps and synch when more than 0.1 s passed.
void CountFrame(double now);

// Seconds from the millisecond clock (a clock value with the top bit set stays unsigned).
double ClockSeconds();

void ResetShellGlobals();

}  // namespace tarvex
