#pragma once
#include <string>

namespace tarvex::test {

// A fresh empty folder under the build tree, private to this test process.
std::string TempDir(const std::string& name);
// Opens the headless display once for tests that draw (returns false if impossible).
bool EnsureHeadlessDisplay();
// Resets every process-wide table of the engine.
void ResetEngine();

}  // namespace tarvex::test
