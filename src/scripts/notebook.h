// The hero's notebook (scene 250): the page on show, and which of the twelve pages
// exist and are unread, read from the flags of scene 250 and the notebook-entry words.
#pragma once
#include <cstdint>

namespace tarvex {

constexpr int kNotebookPages = 12;

// The page shown, 1..12; page 1 each time the notebook opens.
extern int32_t NotepadPosition;

// Pages 1..3 always exist; the others once a script has written them.
bool NotebookPageExists(int page);
// The page's unread mark (pages 1 and 2 have none).
bool NotebookPageUnread(int page);
void ClearNotebookUnread(int page);

}  // namespace tarvex
