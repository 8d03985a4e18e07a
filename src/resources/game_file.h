// Game files by the loose-first rule: the loose file under the game folder (found
// whatever the letter case of its name, "\\" read as "/"), else the entry of the
// same path in the package of its top-level directory ("texts/..." in texts.res).
#pragma once
#include <cstddef>
#include <cstdint>
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

}  // namespace tarvex
