#include "text/dialogue.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/config.h"
#include "base/globals.h"
#include "base/play_settings.h"
#include "media/sound.h"
#include "platform/display.h"
#include "platform/random.h"
#include "text/fonts.h"
#include "text/language_pack.h"
#include "text/text_table.h"

namespace tarvex {

DialogueTables dialogue;

namespace {

// A voice started for a line that has no text plays to its end: the subtitle timer
// then waits for the voice without showing anything.
bool voiceWithoutText = false;
// A click came since the subtitle was shown: a subtitle kept for a click may end.
bool subtitleClicked = false;

// Redraws of a random line that equals the last one; past this the repeat is accepted
// (a range of one value would otherwise never end).
constexpr int kMaxRandomDraws = 1000000;
// Choice rows below the screen can be neither seen nor hovered.
constexpr int kMaxChoiceRows = (600 - kSubtitleTop) / kTextLineHeight;

bool NeverSpoken(int32_t id) { return id == 0 || id == -1; }

std::string NumberedPath(const char* folderAndStem, int32_t id) {
    char number[16];
    std::snprintf(number, sizeof number, "%4.4d", id);
    return std::string(folderAndStem) + number + ".wav";
}

// Starts the voice; true when a voice buffer is playing it.
bool StartVoice(const std::string& gamePath, bool restart) {
    const std::string path = PackVoicePath(gamePath);
    LoadSound(path.c_str(), kVoiceSlot);
    if (restart)
        RestartSlot(kVoiceSlot, 0, 0, 0);
    else
        PlaySlot(kVoiceSlot, 0, 0, 0);
    return IsSlotPlaying(kVoiceSlot);
}

std::u16string FromBuffer(const char16_t* buffer, size_t capacity) {
    size_t n = 0;
    while (n < capacity && buffer[n] != 0) ++n;
    return std::u16string(buffer, n);
}

// The subtitle's text as the game has it, up to its carriage return.
std::u16string OwnSubtitleText() {
    std::u16string s = FromBuffer(dialogue.subtitleText, kSubtitleTextSize);
    const size_t cr = s.find(u'\r');
    if (cr != std::u16string::npos) s.resize(cr);
    return s;
}

// The line's text becomes the subtitle; false when the table has no such line.
bool ShowLine(TextTableId table, int32_t id) {
    std::u16string text;
    if (!LookupText(table, id, text, false)) return false;
    const size_t n = CopyTextInto(dialogue.subtitleText, kSubtitleTextSize, 3, text);
    dialogue.subtitleText[n] = u'\r';
    dialogue.subtitleText[n + 1] = u'\r';
    dialogue.subtitleText[n + 2] = u'\n';
    dialogue.subtitleText[n + 3] = 0;
    // Shown in the player's language; the game's own text stays in the buffer (the save).
    if (!TranslatedLine(TextTableName(table), id, text, dialogue.shown)) dialogue.shown = text;
    dialogue.shownFor = OwnSubtitleText();
    dialogue.subtitleLength = static_cast<int32_t>(n + 1);
    // The player's reading speed lengthens the time a line without voice stays.
    dialogue.subtitleTimer = static_cast<float>(std::max<int32_t>(dialogue.subtitleLength, 50)) * playSettings.readingSpeed;
    voiceWithoutText = false;
    subtitleClicked = false;
    return true;
}

void SpeakWithoutText(bool voicePlaying) {
    // The previous subtitle, while still on, is shown for the new voice; with none on,
    // the voice still plays and the line lasts as long as it does.
    if (voicePlaying && dialogue.subtitleLength == 0) {
        voiceWithoutText = true;
        dialogue.subtitleTimer = 50.0f;
    }
}

int Measure(const std::u16string& s) { return TextWidth(gameFonts.regularFont, s); }

// The subtitles' font: the game's own, or a larger one the player chose.
Font* SubtitleFont() { return gameFonts.subtitleFont ? gameFonts.subtitleFont : gameFonts.regularFont; }
int MeasureSubtitle(const std::u16string& s) { return TextWidth(SubtitleFont(), s); }
int SubtitleLineHeight() { return gameFonts.subtitleFont ? playSettings.subtitleSize : kTextLineHeight; }

// A subtitle that would end now stays while the player has asked to end it with a click
// and has not clicked: true when it stays.
bool KeepForClick() {
    if (!playSettings.waitForClick || dialogue.subtitleLength == 0 || subtitleClicked) return false;
    dialogue.subtitleTimer = 1.0f;
    return true;
}

// A choice has one row: a longer text is cut and ends in an ellipsis.
std::u16string FitRow(const std::u16string& text) {
    if (Measure(text) <= kTextAreaWidth) return text;
    std::u16string cut = text;
    while (!cut.empty() && Measure(cut + u"…") > kTextAreaWidth) {
        cut.pop_back();
        if (!cut.empty() && cut.back() >= 0xD800 && cut.back() < 0xDC00) cut.pop_back();
    }
    return cut + u"…";
}

}  // namespace

size_t CopyTextInto(char16_t* buffer, size_t capacity, size_t reserve, const std::u16string& text) {
    if (capacity == 0) return 0;
    size_t room = capacity > reserve + 1 ? capacity - reserve - 1 : 0;
    size_t n = std::min(text.size(), room);
    // Never keep the first half of a surrogate pair without its second half.
    if (n > 0 && n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] < 0xDC00) --n;
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), buffer);
    buffer[n] = 0;
    return n;
}

std::string DialogVoicePath(int32_t id, int32_t mode) {
    if (NeverSpoken(id)) return "";
    return NumberedPath(mode == 1 ? "sound/dialogf/dial" : "sound/dialog/dial", id);
}

std::string ResponseVoicePath(int32_t id) {
    if (NeverSpoken(id)) return "";
    return NumberedPath("sound/otboy/", id);
}

void PlayDialogLine(int32_t id) {
    if (NeverSpoken(id)) return;
    const bool playing = StartVoice(DialogVoicePath(id, dialogue.voiceMode), false);
    if (ShowLine(TextTableId::Dialog, id))
        pointer.LeftKey = 1;
    else
        SpeakWithoutText(playing);
}

int32_t PlayResponse(int32_t id) {
    if (NeverSpoken(id)) return 0;
    const bool playing = StartVoice(ResponseVoicePath(id), true);
    if (!ShowLine(TextTableId::Responses, id)) SpeakWithoutText(playing);
    return id;
}

int32_t PlayRandomLine(int32_t first, int32_t range, int32_t kind) {
    int32_t id = first;
    for (int draws = 0; draws < kMaxRandomDraws; ++draws) {
        const double r = static_cast<double>(Random15()) / 32767.0;
        id = first + static_cast<int32_t>(r * range);
        if (id != dialogue.lastRandomLine || range == 0) break;
    }
    dialogue.lastRandomLine = id;
    if (kind == 0)
        RestartSlot(id, 0, 0, 0);
    else if (kind == 1)
        PlayDialogLine(id);
    return id;
}

void GetDialogText(int32_t id) {
    std::u16string text;
    if (LookupText(TextTableId::Dialog, id, text)) CopyTextInto(dialogue.choiceText, kChoiceTextSize, 0, text);
}

int32_t PollDialogChoice(int32_t first, int32_t count) {
    dialogue.choiceFirst = first;
    dialogue.choiceCount = count;
    dialogue.choiceActive = 1;
    if (dialogue.choiceSelected == -1) return -1;
    const int32_t id = dialogue.choiceSelected;
    dialogue.choiceActive = 0;
    dialogue.choiceSelected = -1;
    return id;
}

void GetZoneName(int32_t id) {
    std::u16string text;
    if (LookupText(TextTableId::Zones, id, text))
        dialogue.zoneNameLength = static_cast<int32_t>(CopyTextInto(dialogue.zoneName, kZoneNameSize, 0, text));
}

void StopVoice() { StopSlot(kVoiceSlot); }

void UpdateSubtitle() {
    if (dialogue.subtitleTimer != kSubtitleHold) {
        if (soundTables.soundOn && soundTables.soundSlots[kVoiceSlot].buffer >= 0) {
            const bool keep = IsSlotPlaying(kVoiceSlot) && (dialogue.subtitleLength != 0 || voiceWithoutText);
            if (!keep && !KeepForClick()) {
                StopVoice();
                dialogue.subtitleTimer = 0;
            }
        } else {
            dialogue.subtitleTimer -= framePace.synch;
            if (dialogue.subtitleTimer <= 0) KeepForClick();
        }
    }
    if (dialogue.subtitleTimer <= 0) {
        dialogue.subtitleTimer = 0;
        dialogue.subtitleLength = 0;
        voiceWithoutText = false;
        StopVoice();
    } else if (dialogue.subtitleTimer == kSubtitleHold) {
        StopVoice();
    }
}

std::vector<std::u16string> BreakLines(const std::u16string& text, int width,
                                       const std::function<int(const std::u16string&)>& measure) {
    std::vector<std::u16string> lines;
    size_t n = text.find(u'\r');
    if (n == std::u16string::npos) n = text.size();
    size_t pos = 0;
    while (pos < n) {
        while (pos < n && text[pos] == u' ') ++pos;
        if (pos >= n) break;
        std::u16string line;
        while (pos < n) {
            size_t end = text.find(u' ', pos);
            end = (end == std::u16string::npos || end >= n) ? n : end + 1;
            std::u16string candidate = line + text.substr(pos, end - pos);
            const int w = measure(candidate);
            if (w > width && !line.empty()) break;  // the word starts the next line
            line = std::move(candidate);
            pos = end;
            if (w >= width) break;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

void DrawDialogText() {
    if (dialogue.choiceActive) {
        const int rows = std::clamp(dialogue.choiceCount, 0, kMaxChoiceRows);
        for (int k = 0; k < rows; ++k) {
            const int32_t id = dialogue.choiceFirst + k;
            const int top = kSubtitleTop + kTextLineHeight * k;
            const bool hovered = pointer.cursorY > top && pointer.cursorY < top + kTextLineHeight;
            if (hovered && pointer.LeftKey) dialogue.choiceSelected = id;
            dialogue.choiceText[0] = 0;
            GetDialogText(id);
            const std::u16string text = FitRow(ChoiceString());
            if (hovered)
                DrawText(gameFonts.regularFont, 0, top, text, 0, 255, 128);
            else
                DrawText(gameFonts.regularFont, 0, top, text, 255, 255, 255);
        }
    } else if (dialogue.subtitleLength != 0 && config.subtitlesOn) {
        const auto lines = BreakLines(SubtitleString(), kTextAreaWidth, MeasureSubtitle);
        for (size_t i = 0; i < lines.size(); ++i)
            DrawText(SubtitleFont(), 0, kSubtitleTop + SubtitleLineHeight() * static_cast<int>(i), lines[i], 255, 255, 255);
    }
}

int SubtitleTextHeight() {
    if (dialogue.subtitleLength == 0) return 0;
    return SubtitleLineHeight() * static_cast<int>(BreakLines(SubtitleString(), kTextAreaWidth, MeasureSubtitle).size());
}

void SubtitleClicked() { subtitleClicked = true; }

void DrawZoneNameAt(int32_t label, int x, int y) {
    std::u16string name;
    if (!LookupText(TextTableId::Zones, label, name) || name.empty()) return;
    const int width = Measure(name);
    x = std::clamp(x - width / 2, 0, std::max(0, 800 - width));
    DrawColourRect(x - 2, y, x + width + 2, y + kTextLineHeight + 2, 0, 0, 0, 160);
    DrawText(gameFonts.regularFont, x, y, name, 255, 255, 160);
}

void DrawZoneName(int32_t label) {
    dialogue.zoneName[0] = 0;
    dialogue.zoneNameLength = 0;
    GetZoneName(label);
    const std::u16string name = ZoneNameString();
    if (!name.empty()) DrawText(gameFonts.regularFont, pointer.cursorX - Measure(name) / 2, pointer.cursorY + 8, name, 255, 255, 255);
}

std::u16string SubtitleString() {
    const std::u16string s = OwnSubtitleText();
    // A text the line did not put there (a loaded game's) is looked up by itself.
    if (s != dialogue.shownFor) {
        dialogue.shownFor = s;
        if (!TranslatedText(s, dialogue.shown)) dialogue.shown = s;
    }
    return dialogue.shown;
}

std::u16string ChoiceString() { return FromBuffer(dialogue.choiceText, kChoiceTextSize); }
std::u16string ZoneNameString() { return FromBuffer(dialogue.zoneName, kZoneNameSize); }

void ResetDialogue() {
    std::memset(dialogue.subtitleText, 0, sizeof dialogue.subtitleText);
    dialogue.subtitleLength = 0;
    dialogue.subtitleTimer = 0;
    std::memset(dialogue.choiceText, 0, sizeof dialogue.choiceText);
    dialogue.choiceFirst = dialogue.choiceCount = 0;
    dialogue.choiceActive = 0;
    dialogue.choiceSelected = -1;
    std::memset(dialogue.zoneName, 0, sizeof dialogue.zoneName);
    dialogue.zoneNameLength = 0;
    dialogue.voiceMode = 0;
    dialogue.lastRandomLine = 0;
    voiceWithoutText = false;
    subtitleClicked = false;
}

}  // namespace tarvex
