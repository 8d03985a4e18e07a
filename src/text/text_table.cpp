#include "text/text_table.h"

#include <cstdio>
#include <vector>

#include "base/byte_io.h"
#include "resources/game_file.h"
#include "text/language_pack.h"

namespace tarvex {

namespace {

struct LoadedTable {
    bool loaded = false;
    bool reported = false;
    TextTable table;
};

LoadedTable loadedTables[3];

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f'; }

// Reads "%d" from the start of a line: the id and where it ended; false without digits.
bool ParseId(const std::u16string& line, int32_t& id, size_t& end) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == u'+' || line[i] == u'-')) negative = line[i++] == u'-';
    const size_t digits = i;
    int64_t value = 0;
    while (i < line.size() && line[i] >= u'0' && line[i] <= u'9') {
        // Saturate: an absurd id can never match a real one.
        if (value < 0x80000000LL) value = value * 10 + (line[i] - u'0');
        ++i;
    }
    if (i == digits) return false;
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    if (value < INT32_MIN) value = INT32_MIN;
    id = static_cast<int32_t>(value);
    end = i;
    return true;
}

void TakeLine(TextTable& table, const std::u16string& line, bool allowTab) {
    int32_t id = 0;
    size_t i = 0;
    if (!ParseId(line, id, i)) return;
    if (i < line.size() && (line[i] == u' ' || (allowTab && line[i] == u'\t'))) ++i;
    size_t end = line.find(u'\r', i);
    if (end == std::u16string::npos) end = line.size();
    // The first line with an id is the one the game shows.
    table.lines.emplace(id, line.substr(i, end - i));
}

}  // namespace

TextTable ParseTextTable(const uint8_t* data, size_t size, bool allowTab) {
    TextTable table;
    table.present = true;
    if (!data || size <= 2) return table;
    // Little-endian UTF-16 after the two-byte mark; an odd last byte is no character.
    ByteReader r(data, size);
    r.Skip(2);
    std::u16string line;
    while (r.remaining() >= 2) {
        const char16_t c = static_cast<char16_t>(r.U16());
        line.push_back(c);
        if (c == u'\n' || line.size() >= kTextLineLimit) {
            if (line.back() == u'\n') line.pop_back();
            TakeLine(table, line, allowTab);
            line.clear();
        }
    }
    if (!line.empty()) TakeLine(table, line, allowTab);
    return table;
}

const char* TextTablePath(TextTableId table) {
    switch (table) {
    case TextTableId::Dialog: return "texts/dialog.txt";
    case TextTableId::Responses: return "texts/otboy.txt";
    case TextTableId::Zones: return "data/zones.txt";
    }
    return "";
}

const char* TextTableName(TextTableId table) {
    switch (table) {
    case TextTableId::Dialog: return "dialog";
    case TextTableId::Responses: return "otboy";
    case TextTableId::Zones: return "zones";
    }
    return "";
}

bool LookupText(TextTableId id, int32_t line, std::u16string& out, bool translated) {
    LoadedTable& t = loadedTables[static_cast<int>(id)];
    if (!t.loaded) {
        t.loaded = true;
        std::vector<uint8_t> bytes;
        if (ReadGameFile(TextTablePath(id), bytes)) {
            t.table = ParseTextTable(bytes.data(), bytes.size(), id == TextTableId::Responses);
        } else {
            t.table = TextTable{};
            if (!t.reported) std::fprintf(stderr, "tarvex: no text table %s: lines have no text\n", TextTablePath(id));
            t.reported = true;
        }
    }
    auto it = t.table.lines.find(line);
    if (it == t.table.lines.end()) return false;
    if (!translated || !TranslatedLine(TextTableName(id), line, it->second, out)) out = it->second;
    return true;
}

void ResetTextTables() {
    for (LoadedTable& t : loadedTables) t = LoadedTable{};
}

}  // namespace tarvex
