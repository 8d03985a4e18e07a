#include "fonts.h"

namespace tarvex::demo {

static TextPainter& Painter(const char* path) {
  // One painter per face for the whole run; a missing font draws nothing.
  struct Entry {
    TextPainter painter;
    bool opened = false;
  };
  static Entry sans, bold, hand;
  Entry* e = path[0] == 'S' ? &sans : (path[0] == 'B' ? &bold : &hand);
  if (!e->opened) {
    e->opened = true;
    const char* file = path[0] == 'S' ? kSansPath
                       : path[0] == 'B' ? "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
                                        : "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Italic.ttf";
    e->painter.Open(file);
  }
  return e->painter;
}

TextPainter& SansFont() { return Painter("S"); }
TextPainter& SansBoldFont() { return Painter("B"); }
TextPainter& HandFont() { return Painter("H"); }
bool FontsAvailable() { return SansFont().Measure("A", 12) > 0; }

}  // namespace tarvex::demo
