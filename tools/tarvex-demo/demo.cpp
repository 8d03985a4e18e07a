#include "demo.h"

#include <cstdio>

#include "audio.h"
#include "fonts.h"
#include "interface_art.h"
#include "models.h"
#include "rooms.h"
#include "scene_scripts.h"
#include "texts.h"

namespace tarvex::demo {

bool BuildDemo(Output& out) {
  if (!FontsAvailable()) {
    std::fprintf(stderr, "tarvex-demo: cannot open %s\n", kSansPath);
    return false;
  }
  Layouts layouts;
  BuildRooms(out, layouts);
  BuildModels(out, layouts[0].pressTarget);
  BuildInterface(out);
  BuildTexts(out);
  BuildEnglishPack(out);
  BuildEnglishMenu(out, kEnglishPictures);
  if (!BuildScripts(out, layouts)) return false;
  if (!BuildSounds(out)) return false;
  // The game's font file: DejaVu Sans under the name the game registers.
  FILE* f = std::fopen(kSansPath, "rb");
  if (!f) {
    std::fprintf(stderr, "tarvex-demo: %s is missing (package fonts-dejavu-core)\n", kSansPath);
    return false;
  }
  Bytes font;
  uint8_t buf[65536];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) font.insert(font.end(), buf, buf + n);
  std::fclose(f);
  out.Add("Tarvex.ttf", font);
  return true;
}

bool GenerateDemo(const std::string& dir, bool packaged) {
  Output out;
  if (!BuildDemo(out)) return false;
  if (!out.Write(dir, packaged)) return false;
  std::printf("tarvex-demo: %zu files written to %s%s\n", out.Count(), dir.c_str(), packaged ? " (packed)" : "");
  return true;
}

}  // namespace tarvex::demo
