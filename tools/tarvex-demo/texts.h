#pragma once
#include <map>
#include <string>

#include "formats/output.h"

namespace tarvex::demo {

using namespace tarvex::formats;

// The lines spoken in the demo: dialogue lines and the hero's responses, by number.
const std::map<int, std::string>& DialogLines();
const std::map<int, std::string>& ResponseLines();
// The names of places shown under the go-back cursor ("data/zones.txt"), by number.
const std::map<int, std::string>& ZoneNames();
// How long a line stays on the screen so that it can be read: 0.8 s and a fifteenth of a
// second a character, at least 1.6 s. The voices last that long (the subtitle goes with
// the voice).
double ReadingSeconds(const std::string& utf8);
// UTF-16 LE with a byte-order mark, "id text" lines ending in CR LF.
Bytes EncodeTextTable(const std::map<int, std::string>& lines, char separator = ' ');
void BuildTexts(Output& out);
// The English pack's own pictures (menu, notebook pages, keypad screens) lie under this folder.
inline const std::string kEnglishPictures = "lang/en/pictures/";
// The English translation pack "lang/en/": every line of the three tables and the engine's captions.
void BuildEnglishPack(Output& out);
// A table's PO file for a pack: each original line (msgid) with its translation where given.
Bytes PackTableFile(const std::string& table, const std::map<int, std::string>& originals,
                    const std::map<int, std::string>& translations);
// The English pack's captions of the engine ("lang/en/engine.po") and its name ("name.txt").
void BuildEnglishEngineTexts(Output& out);
// The English lines of a table ("dialog", "otboy", "zones"), by number.
const std::map<int, std::string>& EnglishLines(const std::string& table);

}  // namespace tarvex::demo
