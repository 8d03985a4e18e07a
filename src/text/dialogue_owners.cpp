#include "text/dialogue_owners.h"

#include <algorithm>
#include <iterator>

#include "base/json_writer.h"
#include "base/owner_names.h"
#include "platform/font.h"
#include "resources/save_sync.h"
#include "text/dialogue.h"
#include "text/notice.h"
#include "text/text_table.h"

namespace tarvex {

namespace {

static_assert(kSavedSubtitleUnits <= kSubtitleTextSize);

void DialogueAtStart() {
    ResetDialogue();
    ResetTextTables();
}

void DialogueForNewGame() {
    dialogue.voiceMode = 0;
    dialogue.subtitleLength = 0;
    dialogue.subtitleTimer = 0;
    dialogue.choiceActive = 0;
    dialogue.choiceSelected = -1;
}

void DialogueForScene() { dialogue.subtitleLength = 0; }

// Read into the running game, the subtitle keeps its end inside the saved units.
void SyncSubtitleText(SaveSync& s) {
    if (s.Applying()) std::fill(std::begin(dialogue.subtitleText), std::end(dialogue.subtitleText), u'\0');
    for (size_t i = 0; i < kSavedSubtitleUnits; ++i) {
        uint16_t unit = dialogue.subtitleText[i];
        s.Sync(unit);
        if (s.Applying()) dialogue.subtitleText[i] = static_cast<char16_t>(unit);
    }
    if (s.Applying()) dialogue.subtitleText[kSavedSubtitleUnits - 1] = 0;
}

// Rows 32: the voice folder; 43-45: the subtitle's timer, text and length; 50-52: the
// choice list (no choice is selected after a load).
void SyncDialogue(SaveSync& s, int row) {
    switch (row) {
    case 32: s.Value(dialogue.voiceMode); return;
    case 43: s.Require(Finite(s.Value(dialogue.subtitleTimer)), "a value that is not a number"); return;
    case 44: return SyncSubtitleText(s);
    case 45:
        s.Value(dialogue.subtitleLength);
        if (s.Applying())
            dialogue.subtitleLength = std::clamp<int32_t>(dialogue.subtitleLength, 0, static_cast<int32_t>(kSavedSubtitleUnits));
        return;
    case 50: s.Value(dialogue.choiceActive); return;
    case 51: s.Value(dialogue.choiceFirst); return;
    case 52:
        s.Value(dialogue.choiceCount);
        if (s.Applying()) dialogue.choiceSelected = -1;
        return;
    }
}

// The state dump's part 0: the subtitle; 1: the choice list; 2: the voice folder.
void DumpDialogue(JsonWriter& json, int part) {
    if (part == 0) {
        json.Key("subtitle").BeginObject().Key("text").String(Utf16ToUtf8(SubtitleString()));
        json.Member("length", dialogue.subtitleLength).Key("timer").Number(dialogue.subtitleTimer).EndObject();
    } else if (part == 1) {
        json.Key("choice").BeginObject().Key("active").Bool(dialogue.choiceActive != 0);
        json.Member("first", dialogue.choiceFirst).Member("count", dialogue.choiceCount).Member("selected", dialogue.choiceSelected).EndObject();
    } else {
        json.Member("voiceMode", dialogue.voiceMode);
    }
}

void DumpNotices(JsonWriter& json, int) { json.Key("notice").String(CurrentNotice()); }

}  // namespace

const Owner& DialogueOwner() {
    static const Owner owner{owner_name::kDialogue, DialogueAtStart, DialogueForNewGame, DialogueForScene, SyncDialogue, nullptr,
                             DumpDialogue};
    return owner;
}

const Owner& NoticesOwner() {
    static const Owner owner{owner_name::kNotices, ResetNotice, nullptr, nullptr, nullptr, nullptr, DumpNotices};
    return owner;
}

}  // namespace tarvex
