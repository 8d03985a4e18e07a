// The game's own content that the engine's layers meet through their hooks
// (interaction/game_hooks.h): registered once at start-up.
#pragma once

namespace tarvex {

// Fills every hook of the game: close-ups and built-in uses of inventory tools, the
// notebook button and icon, the lantern's light, typed keys for the devices and scenes,
// the game's window timers and the scene of a new game.
void RegisterGameContent();

}  // namespace tarvex
