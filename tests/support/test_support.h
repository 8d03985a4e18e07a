#pragma once
#include <string>

namespace tarvex::test {

// A fresh empty folder under the build tree, private to this test process.
std::string TempDir(const std::string& name);
// Opens the headless display once for tests that draw (returns false if impossible).
bool EnsureHeadlessDisplay();
// Resets every process-wide table of the engine.
void ResetEngine();
// The demo game written by tarvex-demo (packages, or loose files), made once per build
// of the generator and shared by the test processes; `variant` names separate copies.
// Empty when the generator failed.
std::string GeneratedDemo(const std::string& variant, bool loose);
// True when the long end-to-end tests run at their full length (TARVEX_LONG=1, set by
// script/test --long and script/soak --long); CI runs them shortened.
bool LongTests();

}  // namespace tarvex::test
