// libFuzzer target: the structure file reader on arbitrary bytes, then the lookups the
// engine makes on it, for tools and targets named by the input itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "interaction/structure.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const tarvex::StructureFile file = tarvex::ParseStructure(data, size);
    if (file.firstSection.size() != 1024) std::abort();
    uint64_t previous = 0;
    for (const tarvex::StructureLine& line : file.lines) {
        if (line.offset != previous || line.next <= line.offset || line.next > size) std::abort();
        if (line.next - line.offset > tarvex::kStructureLineLimit + 1) std::abort();
        previous = line.next;
    }
    if (previous != size) std::abort();

    // Tools: the first few numbers on the TOOL, CLICK and CLICKTOOLBAR lines, a few fixed
    // ones and out-of-range ones; targets: every CLICK and CLICKTOOLBAR value seen.
    std::vector<int> tools = {-1, 0, 5, 1023, 1024};
    std::vector<int32_t> targets = {-1, 0, 1};
    for (const tarvex::StructureLine& line : file.lines) {
        if (line.key == tarvex::StructureKey::Tool && tools.size() < 16) tools.push_back(line.value);
        if ((line.key == tarvex::StructureKey::Click || line.key == tarvex::StructureKey::ClickToolbar) &&
            targets.size() < 16)
            targets.push_back(line.value);
    }
    std::vector<tarvex::StructureLine> changes;
    for (int tool : tools) {
        const tarvex::ToolTexts texts = file.Texts(tool);
        if (texts.sectionOffset < 0 || static_cast<uint64_t>(texts.sectionOffset) > size) std::abort();
        if ((tool < 0 || tool >= 1024) && texts.sectionOffset != 0) std::abort();
        for (int32_t target : targets) {
            file.Reaction(static_cast<uint32_t>(texts.sectionOffset), target, texts.refusalLine);
            if (file.Combination(static_cast<uint32_t>(texts.sectionOffset), target, changes)) {
                for (const tarvex::StructureLine& c : changes)
                    if (c.key != tarvex::StructureKey::AddTool && c.key != tarvex::StructureKey::DelTool) std::abort();
            } else if (!changes.empty()) {
                std::abort();
            }
        }
    }
    // Offsets past the end and in the middle of a line.
    file.Reaction(size + 1, 0, -1);
    file.Combination(size / 2, 0, changes);
    return 0;
}
