// The process-wide values every layer shares: what a pass of the message loop does (menu
// or game, scene play or video), the pointer, the frame time scale and the frame's pace.
#pragma once
#include <cstdint>

#include "platform/input.h"

namespace tarvex {

extern int menuActive;
extern int quitRequested;
extern int appActive;
extern int playMode;       // 0 scene play, 1 one-frame hold, 2 video
extern int currentScene;   // -1 none
extern int cursorX, cursorY;
extern MouseState mouseState;
extern int32_t LeftKey;    // 1 once the current left press has been used
extern float synch;
extern float fps;
extern float frameRateCap;
extern uint8_t presentEnabled;
extern uint8_t backgroundValid;
extern int gameStarted;
extern int requestedTrack;
extern int MainSost;
extern int MainFlags;

// Fog values a scene script may set (start, end in eye-space units; colour 0xRRGGBB).
extern float fogStart, fogEnd;
extern uint32_t fogColour;
extern bool fogEnabled;

// The frame-rate measuring window.
void RestartFrameRateWindow();
// Counts one frame at `now` seconds; re-measures fps and synch when more than 0.1 s passed.
void CountFrame(double now);

// Seconds from the millisecond clock (a clock value with the top bit set stays unsigned).
double ClockSeconds();

void ResetShellGlobals();

}  // namespace tarvex
