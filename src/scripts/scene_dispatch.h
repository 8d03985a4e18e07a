// The scene scripts' entry points: three tables of 299 functions (init, load, run)
// indexed by scene number; numbers outside 0..298 do nothing.
#pragma once
#include <string>

namespace tarvex {

constexpr int kSceneCount = 299;
using SceneFunction = void (*)();

struct SceneFunctions {
    SceneFunction init;
    SceneFunction load;
    SceneFunction run;
};

void InitScene();
void LoadScene();
void RunScene();
// Installs a scene's functions (null keeps the scene's current entry).
void SetSceneFunctions(int scene, SceneFunction init, SceneFunction load, SceneFunction run);
// Puts every scene back to the built-in scripts.
void ResetSceneFunctions();

// A typed key for the keyboard device puzzles.
void TypedKey(int key, int keyCount, const char* cursorPicture, const char* maskPicture, int x, int y,
              const std::string& expected, int step, int deviceKind);
// The expected texts of keyboard device `mainSost`, in table order (index 0..2); "" none.
std::string DeviceExpectedText(int mainSost, int index);

}  // namespace tarvex
