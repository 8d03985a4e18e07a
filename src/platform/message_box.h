#pragma once
#include <string>

namespace tarvex {

// Shows a modal message box with an OK button; when headless (or no display is
// available) the text goes to stderr instead.
void ShowMessageBox(const std::string& caption, const std::string& text, bool error);
void SetMessageBoxesHeadless(bool headless);

}  // namespace tarvex
