#pragma once
#include <string>

#include "formats/image.h"
#include "formats/output.h"

namespace tarvex::demo {

using namespace tarvex::formats;

// Name of frame n of a sequence whose frame 0 is `path0`: the counter is written over
// the three characters before the first "." and the extension becomes `ext`.
std::string FrameName(const std::string& path0, int n, const std::string& ext = ".tif");
// Adds frame n of a TIFF frame sequence.
void AddFrame(Output& out, const std::string& path0, int n, const Image& img);
// Adds frame n of a TGA texture sequence (always loose: texture sequences are read loose).
void AddTextureFrame(Output& out, const std::string& path0, int n, const Image& img);

}  // namespace tarvex::demo
