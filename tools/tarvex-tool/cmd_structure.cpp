// tarvex-tool structure FILE: every tool section of "texts/structure.txt" as the engine
// reads it: the verb lines, the cursor, the remarks over scene tools and the combinations.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "interaction/interaction_state.h"
#include "interaction/structure.h"
#include "base/json_writer.h"

#include "formats/output.h"
#include "tool_command.h"

namespace tarvex::tool {

namespace {

// The values of `key` lines in a section, each once, in file order. The section runs up
// to the next TOOL line, whatever its number, as the engine's lookups do.
std::vector<int32_t> SectionTargets(const StructureFile& file, uint64_t sectionOffset, StructureKey key) {
    std::vector<int32_t> targets;
    for (size_t i = file.LineAt(sectionOffset); i < file.lines.size() && file.lines[i].key != StructureKey::Tool; ++i)
        if (file.lines[i].key == key && std::find(targets.begin(), targets.end(), file.lines[i].value) == targets.end())
            targets.push_back(file.lines[i].value);
    return targets;
}

bool ValidToolNumber(int32_t n) { return n >= 0 && n < kToolCount; }

}  // namespace

static int StructureCommand(const Args& args) {
    Args files = Positionals(args, {});
    if (files.size() != 1) return Fail("usage: tarvex-tool structure FILE");
    std::vector<uint8_t> bytes;
    std::string unread;
    if (!formats::ReadWholeFile(files[0], bytes, unread)) return Fail(unread);
    const StructureFile file = ParseStructure(bytes.data(), bytes.size());

    JsonWriter json;
    json.BeginObject().Key("tools").BeginArray();
    for (int n = 0; n < kToolCount; ++n) {
        if (file.firstSection[n] < 0) continue;
        const ToolTexts t = file.Texts(n);
        // The engine keeps a cursor only when it names one of its cursor pictures.
        const int32_t cursor = t.haveCursor && t.ownCursor >= 0 && t.ownCursor < kCursorPictureCount ? t.ownCursor : 0;
        const uint64_t section = static_cast<uint32_t>(t.sectionOffset);
        json.BeginObject()
            .Member("tool", n)
            .Member("look", t.lookLine)
            .Member("use", t.useLine)
            .Member("pickup", t.pickupLine)
            .Member("lookInventory", t.lookInventoryLine)
            .Member("useInventory", t.useInventoryLine)
            .Member("talk", t.talkLine)
            .Member("refusal", t.refusalLine)
            .Member("cursor", cursor);
        json.Key("clicks").BeginArray();
        for (int32_t target : SectionTargets(file, section, StructureKey::Click))
            json.BeginArray().Int(target).Int(file.Reaction(section, target, t.refusalLine)).EndArray();
        json.EndArray();
        json.Key("combinations").BeginArray();
        for (int32_t target : SectionTargets(file, section, StructureKey::ClickToolbar)) {
            std::vector<StructureLine> changes;
            file.Combination(section, target, changes);
            json.BeginObject().Member("with", target);
            json.Key("add").BeginArray();
            for (const StructureLine& c : changes)
                if (c.key == StructureKey::AddTool && ValidToolNumber(c.value)) json.Int(c.value);
            json.EndArray();
            json.Key("remove").BeginArray();
            for (const StructureLine& c : changes)
                if (c.key == StructureKey::DelTool && ValidToolNumber(c.value)) json.Int(c.value);
            json.EndArray();
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray().EndObject();
    std::printf("%s\n", json.Text().c_str());
    return 0;
}

TARVEX_TOOL_COMMAND("structure", "FILE", StructureCommand);

}  // namespace tarvex::tool
