#include "sequences.h"

#include <cstdio>

namespace tarvex::demo {

std::string FrameName(const std::string& path0, int n, const std::string& ext) {
  size_t dot = path0.find('.');
  if (dot == std::string::npos || dot < 3) return path0;
  char counter[16];
  std::snprintf(counter, sizeof counter, "%3.3d", n);
  return path0.substr(0, dot - 3) + counter + ext;
}

void AddFrame(Output& out, const std::string& path0, int n, const Image& img) {
  out.Add(FrameName(path0, n), EncodeTiffRgb(img));
}

void AddTextureFrame(Output& out, const std::string& path0, int n, const Image& img) {
  out.Add(FrameName(path0, n, ".tga"), EncodeTga32(img), true);
}

}  // namespace tarvex::demo
