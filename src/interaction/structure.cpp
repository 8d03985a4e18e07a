#include "interaction/structure.h"

#include <algorithm>
#include <cstring>

namespace tarvex {

namespace {

constexpr int kToolNumbers = 1024;

struct Keyword {
    const char* text;
    StructureKey key;
    bool indented;  // may stand after blanks
};

// Longer keywords that share a start with a shorter one are told apart by the number
// that must follow directly (after blanks): "LOOKT 5" is not "LOOK".
const Keyword kKeywords[] = {
    {"TOOL", StructureKey::Tool, false},       {"LOOK", StructureKey::Look, false},
    {"CURSOR", StructureKey::Cursor, false},   {"USE", StructureKey::Use, false},
    {"PICKUP", StructureKey::Pickup, false},   {"LOOKT", StructureKey::LookT, false},
    {"USET", StructureKey::UseT, false},       {"TALK", StructureKey::Talk, false},
    {"OTBOY", StructureKey::Otboy, false},     {"CLICK", StructureKey::Click, true},
    {"DIAL", StructureKey::Dial, true},        {"CLICKTOOLBAR", StructureKey::ClickToolbar, true},
    {"ADDTOOL", StructureKey::AddTool, true},  {"DELTOOL", StructureKey::DelTool, true},
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// "%d" after the keyword: blanks, a sign, at least one digit (saturating).
bool ReadNumber(const char* s, size_t n, size_t i, int32_t& value) {
    while (i < n && IsBlank(s[i])) ++i;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    const size_t start = i;
    int64_t v = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
        if (v < 0x80000000LL) v = v * 10 + (s[i] - '0');
        ++i;
    }
    if (i == start) return false;
    if (negative) v = -v;
    value = static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
    return true;
}

bool ValidTool(int32_t n) { return n >= 0 && n < kToolNumbers; }

}  // namespace

StructureKey MatchStructureLine(const char* line, size_t length, int32_t& value) {
    length = strnlen(line, length);  // a NUL ends the line for the matcher
    size_t start = 0;
    while (start < length && IsBlank(line[start])) ++start;
    for (const Keyword& k : kKeywords) {
        const size_t at = k.indented ? start : 0;
        const size_t n = std::strlen(k.text);
        if (at + n > length || std::memcmp(line + at, k.text, n) != 0) continue;
        if (ReadNumber(line, length, at + n, value)) return k.key;
    }
    return StructureKey::None;
}

StructureFile ParseStructure(const uint8_t* data, size_t size) {
    StructureFile file;
    file.present = true;
    file.firstSection.assign(kToolNumbers, -1);
    const char* text = reinterpret_cast<const char*>(data);
    size_t p = 0;
    while (data && p < size) {
        size_t end = p;
        while (end < size && end - p < kStructureLineLimit && text[end] != '\n') ++end;
        const bool newline = end < size && text[end] == '\n' && end - p < kStructureLineLimit;
        StructureLine line;
        line.offset = p;
        line.next = newline ? end + 1 : end;
        line.key = MatchStructureLine(text + p, end - p, line.value);
        if (line.key == StructureKey::Tool && ValidTool(line.value) && file.firstSection[line.value] < 0)
            file.firstSection[line.value] = static_cast<int32_t>(file.lines.size());
        file.lines.push_back(line);
        p = line.next;
    }
    return file;
}

ToolTexts StructureFile::Texts(int tool) const {
    ToolTexts t;
    if (!ValidTool(tool) || firstSection.empty() || firstSection[tool] < 0) return t;
    size_t i = static_cast<size_t>(firstSection[tool]);
    t.sectionOffset = static_cast<int32_t>(std::min<uint64_t>(lines[i].next, INT32_MAX));
    for (++i; i < lines.size() && lines[i].key != StructureKey::Tool; ++i) {
        const int32_t v = lines[i].value;
        switch (lines[i].key) {
        case StructureKey::Look: t.lookLine = v; t.firstLook = 1; break;
        case StructureKey::Cursor: t.ownCursor = v; t.haveCursor = true; break;
        case StructureKey::Use: t.useLine = v; break;
        case StructureKey::Pickup: t.pickupLine = v; break;
        case StructureKey::LookT: t.lookInventoryLine = v; break;
        case StructureKey::UseT: t.useInventoryLine = v; break;
        case StructureKey::Otboy: t.refusalLine = v; break;
        case StructureKey::Talk: t.talkLine = v; break;
        default: break;
        }
    }
    return t;
}

size_t StructureFile::LineAt(uint64_t offset) const {
    auto it = std::lower_bound(lines.begin(), lines.end(), offset,
                               [](const StructureLine& l, uint64_t o) { return l.offset < o; });
    return static_cast<size_t>(it - lines.begin());
}

int32_t StructureFile::Reaction(uint64_t sectionOffset, int32_t target, int32_t fallback) const {
    size_t i = LineAt(sectionOffset);
    for (; i < lines.size() && lines[i].key != StructureKey::Tool; ++i) {
        if (lines[i].key != StructureKey::Click || lines[i].value != target) continue;
        for (++i; i < lines.size(); ++i) {
            const StructureKey k = lines[i].key;
            if (k == StructureKey::Dial) return lines[i].value;
            if (k == StructureKey::Tool || k == StructureKey::Click) return fallback;
        }
        return fallback;
    }
    return fallback;
}

bool StructureFile::Combination(uint64_t sectionOffset, int32_t target, std::vector<StructureLine>& changes) const {
    changes.clear();
    size_t i = LineAt(sectionOffset);
    for (; i < lines.size() && lines[i].key != StructureKey::Tool; ++i) {
        if (lines[i].key != StructureKey::ClickToolbar || lines[i].value != target) continue;
        for (++i; i < lines.size(); ++i) {
            const StructureKey k = lines[i].key;
            if (k == StructureKey::Tool || k == StructureKey::Click || k == StructureKey::ClickToolbar) break;
            if (k == StructureKey::AddTool || k == StructureKey::DelTool) changes.push_back(lines[i]);
        }
        return true;
    }
    return false;
}

}  // namespace tarvex
