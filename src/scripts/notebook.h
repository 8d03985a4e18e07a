// The hero's notebook (scene 250): the page on show, and which of the twelve pages
// exist and are unread, read from the flags of scene 250 and the notebook-entry words.
#pragma once
#include <cstdint>

namespace tarvex {

constexpr int kNotebookPages = 12;
constexpr int32_t kNotebookTool = 742;
constexpr int32_t kNotebookScene = 250;

// The page shown is scriptValues.NotepadPosition.

// Pages 1..3 always exist; the others once a script has written them.
bool NotebookPageExists(int page);
// The page's unread mark (pages 1 and 2 have none).
bool NotebookPageUnread(int page);
void ClearNotebookUnread(int page);

// A script writes notebook page `page` (4..12): the page exists, is unread, and the
// notebook icon blinks for 3 seconds.
void WriteNotebookPage(int page);
// The notebook icon (slot 35), evaluated each game frame; true while the notebook is in
// the inventory (the icon is then drawn).
bool NotebookIconFrame();
// The notebook button: with the notebook carried, the scene's device state is left
// behind and the notebook opens as a close-up; true when it did.
bool OpenNotebook();

}  // namespace tarvex
