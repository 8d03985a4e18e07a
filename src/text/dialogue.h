// Dialogue lines, stock responses, subtitles, conversation choices and the names of
// places under the cursor. A line is a number: its text comes from a text table and
// its voice from a WAV file named after the number, played on the voice slot.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarvex {

constexpr size_t kSubtitleTextSize = 5640;
constexpr size_t kChoiceTextSize = 1536;
constexpr size_t kZoneNameSize = 256;
// A subtitle timer at this value keeps the text with the voice stopped.
constexpr float kSubtitleHold = 4294967296.0f;
constexpr int kSubtitleTop = 352;
constexpr int kTextLineHeight = 16;
constexpr int kTextAreaWidth = 800;

// The dialogue's tables.
struct DialogueTables {
    // The current subtitle: the text, its carriage return, then CR LF and a terminating zero;
    // the game's own text (the saved game holds it), shown in the player's language.
    char16_t subtitleText[kSubtitleTextSize] = {};
    std::u16string shownFor, shown;  // the text above without its ending, and as it is shown
    int32_t subtitleLength = 0;  // characters with the carriage return; 0 no subtitle
    float subtitleTimer = 0;     // time left in ticks of 1/30 s; 0 none
    char16_t choiceText[kChoiceTextSize] = {};
    int32_t choiceFirst = 0, choiceCount = 0;
    int32_t choiceActive = 0;
    int32_t choiceSelected = -1;  // -1 none
    char16_t zoneName[kZoneNameSize] = {};
    int32_t zoneNameLength = 0;
    int32_t voiceMode = 0;  // 0 "sound/dialog/", 1 "sound/dialogf/"
    int32_t lastRandomLine = 0;
};
extern DialogueTables dialogue;

// Voice file names of conversation lines and responses ("" for ids that are never spoken).
std::string DialogVoicePath(int32_t id, int32_t mode);
std::string ResponseVoicePath(int32_t id);

void PlayDialogLine(int32_t id);
// Ids 0 and -1 do nothing and return 0.
int32_t PlayResponse(int32_t id);
int32_t PlayRandomLine(int32_t first, int32_t range, int32_t kind);
void GetDialogText(int32_t id);
int32_t PollDialogChoice(int32_t first, int32_t count);
void GetZoneName(int32_t id);
void UpdateSubtitle();
void StopVoice();
// The choice list or the subtitle.
void DrawDialogText();
// The name of place `label` ("data/zones.txt") centred under the pointer.
void DrawZoneName(int32_t label);

// The name of place `label` centred on x with its top at y, on a dark ground, drawn
// without touching the zone name the pointer shows (the hints).
void DrawZoneNameAt(int32_t label, int x, int y);
// Height in pixels of the subtitle's lines as they are drawn (0 when none).
int SubtitleTextHeight();
// The player clicked: a subtitle kept for a click ends at the next update.
void SubtitleClicked();

// The current subtitle text (without its line ends), the choice text and the zone name.
std::u16string SubtitleString();
std::u16string ChoiceString();
std::u16string ZoneNameString();

// Copies text into a fixed buffer of `capacity` characters, keeping room for `reserve`
// more and a terminating zero, never splitting a surrogate pair. Returns the length copied.
size_t CopyTextInto(char16_t* buffer, size_t capacity, size_t reserve, const std::u16string& text);

// Breaks text into lines no wider than `width` pixels as the subtitles are broken:
// blanks before a line are skipped, words (each with its following space) are added
// while the line stays narrower; a line exactly `width` wide stays whole; a word wider
// than `width` alone stands on a line of its own. A carriage return ends the text.
std::vector<std::u16string> BreakLines(const std::u16string& text, int width,
                                       const std::function<int(const std::u16string&)>& measure);

void ResetDialogue();

}  // namespace tarvex
