#pragma once
#include "formats/image.h"

namespace tarvex::demo {

using namespace tarvex::formats;

// The system's DejaVu fonts (also the source of the game's "Tarvex.ttf").
constexpr const char* kSansPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
TextPainter& SansFont();
TextPainter& SansBoldFont();
TextPainter& HandFont();  // italic serif for the notebook pages
bool FontsAvailable();

}  // namespace tarvex::demo
