// Translation files in the PO format of GNU gettext (what Poedit and Weblate edit), read
// with libgettextpo: one entry a text, its context, its original (msgid) and its
// translation (msgstr). The reader takes any bytes: what it cannot read is listed as
// problems with their line numbers and the entries it could read are kept.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvex {

// A larger file is refused unread: no pack of the game's tables comes near it.
constexpr size_t kPoFileLimit = 16u << 20;

struct PoEntry {
    std::string context;      // msgctxt, "" when the entry has none
    std::string original;     // msgid
    std::string translation;  // msgstr, "" when not translated
    bool fuzzy = false;       // marked "#, fuzzy": a guess a translator has not checked
    std::string comments;     // the extracted comments ("#."), one a line
};

struct PoProblem {
    size_t line = 0;  // 0 when the problem has no line
    std::string text;
};

struct PoFile {
    std::string header;  // the header entry's msgstr ("" when there is none)
    std::vector<PoEntry> entries;  // in the file's order, without the header and obsolete entries
    std::vector<PoProblem> problems;
};

// Reads the file's bytes. Entries with a plural form are not the game's and are left out;
// a file in another character set than UTF-8, or a text that is not UTF-8, is a problem (the
// file's entries are dropped, or the entry).
PoFile ParsePoFile(const uint8_t* data, size_t size);

// A field of a header ("Language: en" -> "en"); "" when absent.
std::string PoHeaderField(const std::string& header, const std::string& field);

// The text of a PO string as it is written in the file, quotes included.
std::string PoQuoted(const std::string& utf8);
// An entry as written in a template or translation file, ending in an empty line.
std::string PoEntryText(const PoEntry& entry);

bool IsUtf8(const std::string& text);

}  // namespace tarvex
