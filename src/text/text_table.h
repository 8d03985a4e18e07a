// The game's numbered text tables: UTF-16 little-endian files whose first two bytes
// (the byte-order mark) are skipped, one "id text" line each, lines ending in CR LF.
// A table is indexed once, when it is first asked for; the first line with an id wins.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace tarvex {

// Lines are read as at most this many characters; the rest of a longer line is read as
// a line of its own.
constexpr size_t kTextLineLimit = 4999;

enum class TextTableId { Dialog, Responses, Zones };

struct TextTable {
    bool present = false;  // the file was found
    std::unordered_map<int32_t, std::u16string> lines;
};

// Parses a whole table file. The id is read like "%d" (leading blanks, a sign, digits);
// the text starts after one separator character: a space, or with allowTab also a tab.
// Any other character after the digits starts the text itself. The text runs to the
// line's carriage return (or its end).
TextTable ParseTextTable(const uint8_t* data, size_t size, bool allowTab);

// The game file of a table: "texts/dialog.txt", "texts/otboy.txt", "data/zones.txt".
const char* TextTablePath(TextTableId table);

// The table's name in translation packs: "dialog", "otboy", "zones".
const char* TextTableName(TextTableId table);

// Looks a line up (in the language in use: see text/language_pack.h; the game's own text
// when not `translated`), reading and indexing the table on first use (a missing table is
// reported once on stderr). False when the table has no such id.
bool LookupText(TextTableId table, int32_t id, std::u16string& out, bool translated = true);

// Forgets the indexed tables (a new game folder, tests).
void ResetTextTables();

}  // namespace tarvex
