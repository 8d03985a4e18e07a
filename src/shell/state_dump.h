// The engine's view of itself as JSON: the game's tables after a frame, for tests,
// tools and bug reports (--dump-state N:FILE.json).
#pragma once
#include <string>

namespace tarvex {

class JsonWriter;

// The whole state object after frame `frame`.
std::string StateJson(long long frame);
// Writes it atomically; false when the file cannot be written.
bool WriteStateDump(const std::string& path, long long frame);

// Pieces shared with the saved-game inspection: {"scene": value} objects of the
// non-zero scene state and flag words, and the inventory's tool numbers.
void WriteSceneWords(JsonWriter& json);
void WriteInventory(JsonWriter& json);

}  // namespace tarvex
