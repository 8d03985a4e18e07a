#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tarvex {

// Writes tightly packed 8-bit RGB rows (top-down) as a PNG. Written to a temporary
// file and renamed, so a failed write never leaves half a picture.
bool WritePngRgb(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);
// Reads any PNG as 8-bit RGB (alpha dropped, palettes expanded). False on any error.
bool ReadPngRgb(const std::string& path, int& width, int& height, std::vector<uint8_t>& rgb);

}  // namespace tarvex
