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

// Reads the whole file. A loose file is read up to maxLooseSize bytes when that is
// not 0; a packaged one exactly its entry size. Missing (false) leaves `out` empty.
bool ReadGameFile(const std::string& path, std::vector<uint8_t>& out, size_t maxLooseSize = 0,
                  GameFileSource* source = nullptr);
// Where the file would be read from.
GameFileSource LocateGameFile(const std::string& path);

// Opens the file by the same rule as a stream positioned at its first byte, for
// readers that seek: seek to g_entryOffset + position (g_entryOffset is set to 0 for
// a loose file). `size` is the file's size. The caller closes the stream.
FILE* OpenGameFile(const std::string& path, uint64_t& size, GameFileSource* source = nullptr);

}  // namespace tarvex
