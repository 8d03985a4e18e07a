// The engine's view of itself as JSON: the game's tables after a frame, for tests,
// tools and bug reports (--dump-state N:FILE.json).
#pragma once
#include <string>

namespace tarvex {

// The whole state object after frame `frame`: a walk over the registered owners.
std::string StateJson(long long frame);
// Writes it atomically; false when the file cannot be written.
bool WriteStateDump(const std::string& path, long long frame);

}  // namespace tarvex
