// tarvex-demo OUT_DIR [--loose]: writes a small original game in the formats the engine reads.
#include <cstdio>
#include <cstring>
#include <string>

#include "demo.h"

int main(int argc, char** argv) {
  std::string dir;
  bool loose = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--loose") == 0) loose = true;
    else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) dir.clear(), argc = 0;
    else if (argv[i][0] == '-') {
      std::fprintf(stderr, "tarvex-demo: unknown option %s\n", argv[i]);
      return 2;
    } else dir = argv[i];
  }
  if (dir.empty()) {
    std::fprintf(stderr,
                 "usage: tarvex-demo OUT_DIR [--loose]\n"
                 "  writes the demo game into OUT_DIR; texts, scenes, models, animgfx and gfx\n"
                 "  go into .res packages unless --loose is given\n");
    return 2;
  }
  return tarvex::demo::GenerateDemo(dir, !loose) ? 0 : 1;
}
