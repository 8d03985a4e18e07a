// Translation packs: a folder "lang/CODE/" of the game folder (loose, or in the package
// "lang.res") with one PO file a text table ("dialog.po", "otboy.po", "zones.po", and
// "engine.po" for the engine's own captions). An entry's context is the table and the
// line number ("dialog:206"), its msgid the original line and its msgstr the translation.
// A line shows its translation while the pack's original is the game's; a line without
// one (empty, fuzzy, or translated from another original) shows the original. "name.txt"
// gives the language's own name; a "voice/" folder holds voices that replace the game's, a
// "pictures/" folder pictures (the menu's, the notebook's pages) read from the next load on.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "resources/po_file.h"

namespace tarvex {

constexpr const char* kOriginalLanguageName = "Русский";

struct PackLine {
    std::string original;  // UTF-8
    std::u16string translation;
};

// The pack in use: none (the original) when `code` is empty.
struct LanguagePack {
    std::string code;
    std::string name;
    bool voices = false;  // the pack has a "voice/" folder
    std::map<std::string, std::unordered_map<int32_t, PackLine>> tables;
};
extern LanguagePack languagePack;

struct LanguageChoice {
    std::string code;  // "" the original
    std::string name;
};

// The pack folder of a code: "lang/en/".
std::string PackFolder(const std::string& code);
// A code names a folder: 1..16 letters, digits, '_' or '-'.
bool IsLanguageCode(const std::string& code);
// The original first, then the packs found loose or in "lang.res", by code.
std::vector<LanguageChoice> FindLanguages();

// Puts the pack in use ("" the original); false (the original in use) when the folder has no
// PO file. Problems of its files are said once on stderr with the file and line.
bool UseLanguage(const std::string& code);

// The context of a line: "dialog:206".
std::string LineContext(const std::string& table, int32_t id);
// "dialog:206" -> table "dialog", id 206; false for any other form.
bool SplitLineContext(const std::string& context, std::string& table, int32_t& id);

// The entries of one PO file that a pack shows: translated, not fuzzy, with a line context
// of `table`. Problems are written to `problems` as "PATH:LINE: text".
std::unordered_map<int32_t, PackLine> PackTable(const PoFile& file, const std::string& table, const std::string& path,
                                                std::vector<std::string>& problems);

// The translation of a line whose original text is `original`; false when it has none.
bool TranslatedLine(const std::string& table, int32_t id, const std::u16string& original, std::u16string& out);
// The translation of a text of the game found by the text alone (a subtitle read from a
// saved game); false when no line of the pack has it as its original.
bool TranslatedText(const std::u16string& original, std::u16string& out);
// The pack's own voice for a voice file ("sound/dialog/dial0206.wav" ->
// "lang/en/voice/dialog/dial0206.wav") when it has one, else the path unchanged.
std::string PackVoicePath(const std::string& path);

// The language kept in "settings.ini" of the saves folder ("" when none is kept).
std::string StoredLanguage();
// Writes the choice into "settings.ini" (atomically; other lines of the file are kept).
bool StoreLanguage(const std::string& code);

}  // namespace tarvex
