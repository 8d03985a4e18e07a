// Loose game files by name, whatever the letter case of the name on disk: the game
// data comes from a file system that ignores case, and its paths may use "\\".
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace tarvex {

// The longest game file name: the engine's name fields hold 128 bytes with the NUL.
constexpr size_t kGamePathLimit = 127;

// A game file name that stays inside the game folder, as names from scripts and saves
// must: 1..127 bytes without NUL, relative (no leading "/" or "\\", no drive, no ":"
// at all), no ".." between the separators ("/" or "\\").
bool IsGamePath(std::string_view path);

// "\\" becomes "/"; repeated separators collapse.
std::string NormalizeGamePath(const std::string& path);

// The path of the existing regular file that `path` names, relative to the current
// directory, matching each component case-insensitively when the exact name is absent
// (an exact match is preferred). Empty when there is none.
std::string ResolveLoosePath(const std::string& path);

// Opens a loose file for binary reading by the rule above; nullptr when absent.
FILE* OpenLooseFile(const std::string& path);
// The same with a raw read-only descriptor; -1 when absent.
int OpenLooseFd(const std::string& path);

// Forgets the cached directory listings (a miss re-lists the folder anyway).
void ClearFileLookupCache();
// Counts the calls above: what was found before a change differs from it.
uint64_t FileLookupGeneration();

}  // namespace tarvex
