// The names of the game's table owners, one spelling for the owner itself, the saved game's
// rows and the state dump's parts (which find their owners by name in the registry).
#pragma once

namespace tarvex::owner_name {

inline constexpr const char* kActors = "actors";
inline constexpr const char* kDialogue = "dialogue";
inline constexpr const char* kNotices = "notices";
inline constexpr const char* kTools = "tools and action regions";
inline constexpr const char* kPendingAction = "pending action and script values";
inline constexpr const char* kProgress = "game progress";
inline constexpr const char* kToolbar = "toolbar";
inline constexpr const char* kSounds = "sound slots";
inline constexpr const char* kFrame = "frame values of the scene";
inline constexpr const char* kSceneSwitch = "scene switch and fades";
inline constexpr const char* kPlayValues = "frame play values";
inline constexpr const char* kMainState = "main state";
inline constexpr const char* kInput = "input and window timers";
inline constexpr const char* kScripts = "scene scripts and devices";
inline constexpr const char* kRendering = "rendering values";
inline constexpr const char* kSceneObjects = "scene objects: lights, mirror, particle systems";
inline constexpr const char* kThumbnail = "saved games list";
inline constexpr const char* kMainMenu = "main menu";
inline constexpr const char* kSlots = "animation slots";
inline constexpr const char* kWorkbench = "workbench";
inline constexpr const char* kConsole = "workbench console";

}  // namespace tarvex::owner_name
