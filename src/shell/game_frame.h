#pragma once
#include <functional>

namespace tarvex {

struct FrameDescription;

// One game frame: mouse, fade, background and layers, the scene's logic, the
// full-screen passes, toolbar, pointer, text, scene request, frame rate, the workbench
// over the finished picture, present, pacing.
void GameFrame();
// What runs once a game frame's picture is finished, before the workbench draws over it
// (the run's screenshots of the game picture); empty for nothing.
void SetGamePictureFinished(std::function<void()> finished);
// A frame while the console holds the game still: the pointer moves, the last picture is
// presented again (with the console over it).
void PausedFrame();
// Reads the mouse into mouseState and moves the pointer (clamped 2..797, 2..597).
// False when the read failed and the frame must end.
bool ReadPointer();
// A fresh left press stops the spoken line once; true when it did.
bool SkipSpokenLine();
// The frame's description from the game's tables: camera, lights, fog, shadows, mirror,
// slots, particle systems, time scale and pointer (not the actors).
void DescribeFrame(FrameDescription& frame);
// The actors to draw: every visible actor with its transforms and its props.
void DescribeActors(FrameDescription& frame);
// Describes the frame and hands the description to the renderer.
void DescribeAndHandFrame();
// The actor pass's drawing: the frame with its actors described, then drawn.
void DrawActorsOfFrame();

}  // namespace tarvex
