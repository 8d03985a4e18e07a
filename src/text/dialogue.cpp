#include "text/dialogue.h"

namespace tarvex {

uint32_t subtitleTimer = 0;
std::u16string subtitleText;
int32_t subtitleLength = 0;
int32_t choiceActive = 0;
int32_t choiceCount = 0;

// Entry points of the dialogue system, to be filled by the dialogue work.
void StopVoice() {}
void UpdateSubtitle() {}
void DrawDialogText() {}
std::u16string GetZoneName(int) { return {}; }
void PlayRandomLine(int, int, int) {}

void ResetDialogue() {
    subtitleTimer = 0;
    subtitleText.clear();
    subtitleLength = 0;
    choiceActive = 0;
    choiceCount = 0;
}

}  // namespace tarvex
