// Game files by the loose-first rule: the loose file under the game folder (found
// whatever the letter case of its name, "\\" read as "/"), else the entry of the
// same path in the package of its top-level directory ("texts/..." in texts.res).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tarvex {

enum class GameFileSource { Missing, Loose, Package };

// Reads the file, loose or packaged alike: its first maxSize bytes when that is not 0
// and the file is larger, else all of it. Missing (false) leaves `out` empty.
bool ReadGameFile(const std::string& path, std::vector<uint8_t>& out, size_t maxSize = 0,
                  GameFileSource* source = nullptr);

enum class GameFileRead { Missing, TooLarge, Read };
// Reads the whole file only when it holds at most maxSize bytes; a larger one is refused
// from its size (the file system's, or the package directory's) before a byte is read.
GameFileRead ReadWholeGameFile(const std::string& path, std::vector<uint8_t>& out, uint64_t maxSize);
// Reads up to `size` bytes from the stream's position (fewer at the end of the file).
void ReadGameFileBytes(FILE* f, uint64_t size, std::vector<uint8_t>& out);
// Where the file would be read from.
GameFileSource LocateGameFile(const std::string& path);

// Opens the file by the same rule as a stream positioned at its first byte, for
// readers that seek: seek to openedEntry.offset + position (openedEntry.offset is set to 0 for
// a loose file). `size` is the file's size. The caller closes the stream.
FILE* OpenGameFile(const std::string& path, uint64_t& size, GameFileSource* source = nullptr);

// A translation pack's own pictures: with a folder set ("lang/en/pictures/", "" for none), a
// picture the game reads ("gfx/start.bmp", "animgfx/...tif") is read from the folder's copy
// ("lang/en/pictures/gfx/start.bmp") when the folder has one.
void SetPictureFolder(const std::string& folder);
// The path a picture is read from by that rule.
std::string PicturePath(const std::string& path);

}  // namespace tarvex
