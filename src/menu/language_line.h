// The options panel's language line: "Язык: English" in the game's font, each click on it
// stepping to the next language found (the original first, then the packs of "lang/"). The
// choice is kept in the saves folder's "settings.ini"; the configuration file is not touched.
#pragma once

namespace tarvex {

// One pass while the options panel is open: draws the line and takes a click on it.
void LanguageLine();
// The panel closed: the packs are looked for afresh when it opens again.
void ForgetLanguageChoices();

}  // namespace tarvex
