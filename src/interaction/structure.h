// "texts/structure.txt": what every tool says for each verb, its own cursor, its
// reactions when held over scene tools (CLICK / DIAL) and its combinations with
// inventory tools (CLICKTOOLBAR / ADDTOOL / DELTOOL). The file is read once, at
// start-up; the sections are then looked up in memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvex {

// Lines are read as at most this many bytes; the rest of a longer line is a line of its own.
constexpr size_t kStructureLineLimit = 1023;

enum class StructureKey {
    None, Tool, Look, Cursor, Use, Pickup, LookT, UseT, Talk, Otboy,
    Click, Dial, ClickToolbar, AddTool, DelTool,
};

struct StructureLine {
    uint64_t offset = 0;   // byte position of the line in the file
    uint64_t next = 0;     // byte position just after it
    StructureKey key = StructureKey::None;
    int32_t value = 0;
};

// The text fields a tool takes from its section.
struct ToolTexts {
    int32_t sectionOffset = 0;  // just after the "TOOL n" line; 0 when there is none
    uint8_t firstLook = 0;
    bool haveCursor = false;
    int32_t ownCursor = 0;
    int32_t lookLine = -1, useLine = -1, pickupLine = -1;
    int32_t lookInventoryLine = -1, useInventoryLine = -1, talkLine = -1, refusalLine = -1;
};

struct StructureFile {
    bool present = false;
    std::vector<StructureLine> lines;
    // Index of the first "TOOL n" line of each tool 0..1023, -1 none.
    std::vector<int32_t> firstSection;

    // The texts of tool n (n in 0..1023), as a scan from the file's start would find them.
    ToolTexts Texts(int tool) const;
    // The line at which a section that starts at byte `offset` begins (the first line
    // starting at or after it).
    size_t LineAt(uint64_t offset) const;
    // The remark of held tool h over scene tool t: its DIAL after "CLICK t", or `fallback`.
    int32_t Reaction(uint64_t sectionOffset, int32_t target, int32_t fallback) const;
    // The ADDTOOL and DELTOOL lines of the combination with inventory tool t, in file
    // order; false when the section has no "CLICKTOOLBAR t".
    bool Combination(uint64_t sectionOffset, int32_t target, std::vector<StructureLine>& changes) const;
};

// Matches one line (without its line end) against the keywords; None for other lines.
// Keywords other than TOOL..TALK may be indented.
StructureKey MatchStructureLine(const char* line, size_t length, int32_t& value);

StructureFile ParseStructure(const uint8_t* data, size_t size);

}  // namespace tarvex
