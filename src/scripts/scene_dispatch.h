// The scene scripts' entry points, dispatched by `currentScene`.
#pragma once
#include <string>

namespace tarvex {

void InitScene();
void LoadScene();
void RunScene();
// A typed key for the keyboard device puzzles.
void TypedKey(int key, int keyCount, const char* cursorPicture, const char* maskPicture, int x, int y,
              const std::string& expected, int step, int deviceKind);
// The expected texts of keyboard device `mainSost`, in table order (index 0..2); "" none.
std::string DeviceExpectedText(int mainSost, int index);

}  // namespace tarvex
