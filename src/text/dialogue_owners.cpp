#include "text/dialogue_owners.h"

#include <algorithm>
#include <iterator>

#include "base/json_writer.h"
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
    voiceMode = 0;
    subtitleLength = 0;
    subtitleTimer = 0;
    choiceActive = 0;
    choiceSelected = -1;
}

void DialogueForScene() { subtitleLength = 0; }

// Read into the running game, the subtitle keeps its end inside the saved units.
void SyncSubtitleText(SaveSync& s) {
    if (s.Applying()) std::fill(std::begin(subtitleText), std::end(subtitleText), u'\0');
    for (size_t i = 0; i < kSavedSubtitleUnits; ++i) {
        uint16_t unit = subtitleText[i];
        s.Sync(unit);
        if (s.Applying()) subtitleText[i] = static_cast<char16_t>(unit);
    }
    if (s.Applying()) subtitleText[kSavedSubtitleUnits - 1] = 0;
}

// Rows 32: the voice folder; 43-45: the subtitle's timer, text and length; 50-52: the
// choice list (no choice is selected after a load).
void SyncDialogue(SaveSync& s, int row) {
    switch (row) {
    case 32: s.Value(voiceMode); return;
    case 43: s.Require(Finite(s.Value(subtitleTimer)), "a value that is not a number"); return;
    case 44: return SyncSubtitleText(s);
    case 45:
        s.Value(subtitleLength);
        if (s.Applying())
            subtitleLength = std::clamp<int32_t>(subtitleLength, 0, static_cast<int32_t>(kSavedSubtitleUnits));
        return;
    case 50: s.Value(choiceActive); return;
    case 51: s.Value(choiceFirst); return;
    case 52:
        s.Value(choiceCount);
        if (s.Applying()) choiceSelected = -1;
        return;
    }
}

// The state dump's part 0: the subtitle; 1: the choice list; 2: the voice folder.
void DumpDialogue(JsonWriter& json, int part) {
    if (part == 0) {
        json.Key("subtitle").BeginObject().Key("text").String(Utf16ToUtf8(SubtitleString()));
        json.Member("length", subtitleLength).Key("timer").Number(subtitleTimer).EndObject();
    } else if (part == 1) {
        json.Key("choice").BeginObject().Key("active").Bool(choiceActive != 0);
        json.Member("first", choiceFirst).Member("count", choiceCount).Member("selected", choiceSelected).EndObject();
    } else {
        json.Member("voiceMode", voiceMode);
    }
}

void DumpNotices(JsonWriter& json, int) { json.Key("notice").String(CurrentNotice()); }

}  // namespace

const Owner& DialogueOwner() {
    static const Owner owner{"dialogue", DialogueAtStart, DialogueForNewGame, DialogueForScene, SyncDialogue, nullptr,
                             DumpDialogue};
    return owner;
}

const Owner& NoticesOwner() {
    static const Owner owner{"notices", ResetNotice, nullptr, nullptr, nullptr, nullptr, DumpNotices};
    return owner;
}

}  // namespace tarvex
