#include "demo.h"

#include <cstdio>

#include "rooms.h"

namespace tarvex::demo {

bool BuildDemo(Output& out) {
  BuildRooms(out);
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
