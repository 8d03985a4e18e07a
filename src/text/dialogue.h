// Dialogue lines, subtitles, choice lists and zone names.
#pragma once
#include <cstdint>
#include <string>

namespace tarvex {

extern uint32_t subtitleTimer;
extern std::u16string subtitleText;
extern int32_t subtitleLength;
extern int32_t choiceActive;
extern int32_t choiceCount;

void StopVoice();
void UpdateSubtitle();
void DrawDialogText();
// The name of a place (zone) by its number; empty when it has none.
std::u16string GetZoneName(int id);
void PlayRandomLine(int first, int range, int kind);
void ResetDialogue();

}  // namespace tarvex
