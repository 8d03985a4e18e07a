// The options panel's rows for readable subtitles: the text size, the band behind the
// text, the reading speed and waiting for a click. A click on a row steps its value; each
// change is kept in the settings file at once.
#pragma once

namespace tarvex {

// Four rows in two columns under the panel's sliders.
constexpr int kSubtitleOptionsLeft = 240, kSubtitleOptionsTop = 356, kSubtitleOptionsRowHeight = 19;
constexpr int kSubtitleOptionsColumnWidth = 164;
constexpr int kSubtitleOptionsRows = 4;

// Draws the rows and takes a fresh press on one of them.
void SubtitleOptionsRows();

}  // namespace tarvex
