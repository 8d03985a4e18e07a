// The workbench console over the running game. The key left of 1 (or F2) opens it over the
// lower part of the picture while a scene is played (never over the menu, where that key
// types a save name's letter, nor over a video or the settings dialog) and closes it again,
// as Escape does. While it is open the game's keys and clicks are its own: a prompt with
// UTF-8 editing, history (kept in the saves folder), Tab completion and scrollback; Enter
// runs the line as Lua (scripts/console_lines.h). The game goes on under it unless paused.
#pragma once
#include <string>
#include <vector>

#include "platform/input.h"

namespace tarvex {

struct Owner;

// Registers the console's commands with the scripts.
void StartWorkbench();
// The console's owner: reset with the tables, its part of the state dump.
const Owner& WorkbenchConsoleOwner();

bool ConsoleOpen();
void OpenConsole();
// Closes it; a paused game goes on.
void CloseConsole();
// The game stands still under the console (pause()); only while it is open.
bool ConsolePaused();
void SetConsolePaused(bool paused);

// A message of the window procedure: true when the console took it (its keys, and every
// key and typed character while it is open).
bool ConsoleTakesMessage(const Message& m);
// The frame's mouse while the console is open: the wheel scrolls it, no click reaches the game.
void ConsoleTakesMouse(MouseState& mouse);

// Runs a line as if typed at the prompt; with `echo` its text and output go to stdout too.
void RunConsoleText(const std::string& line, bool echo);
// Appends output to the scrollback (a line a line of `text`).
void ConsolePrint(const std::string& text);
void ClearConsole();
// The scrollback's last `count` lines, oldest first.
std::vector<std::string> ConsoleLastLines(size_t count);

// Draws the console (nothing while it is closed) in screen coordinates: the shell calls it
// over the picture in the window.
void DrawConsole();

// The history file in the saves folder, and how many lines it keeps.
constexpr const char* kConsoleHistoryFile = "console_history.txt";
constexpr size_t kConsoleHistoryLines = 300;

}  // namespace tarvex
