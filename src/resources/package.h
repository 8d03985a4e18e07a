// Package files ("texts.res" ...): a u32 entry count, then 136-byte entries
// (128-byte NUL-terminated path, u32 offset, u32 size), all little-endian; the file
// data lie raw anywhere in the package. One package per top-level data directory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tarvex {

constexpr size_t kPackageNameBytes = 128;
constexpr size_t kPackageEntryBytes = 136;

struct PackageEntry {
    char name[kPackageNameBytes];
    uint32_t offset;
    uint32_t size;
};

// Where the file most recently opened from a package lies in it. Loaders that seek
// inside a loose file set the offset to 0 first.
struct OpenedEntry {
    uint32_t offset = 0;
    uint32_t size = 0;
    // Set by loaders that took the package path and must close the descriptor themselves.
    bool fromPackage = false;
};
extern OpenedEntry openedEntry;

// The package of a game path: its first component followed by ".res"
// ("animgfx/x/y.tif" -> "animgfx.res"); empty when the path has no "/".
std::string PackageNameOf(const std::string& path);

// Looks `name` up in the directory read from the current position (a freshly opened
// package: position 0). Names compare ignoring ASCII letter case and must have the
// same length; the first matching entry wins. A directory shorter than its count
// finds nothing past its end.
bool FindPackageEntry(FILE* stream, const char* name, uint32_t& offset, uint32_t& size);
bool FindPackageEntryFd(int descriptor, const char* name, uint32_t& offset, uint32_t& size);

// Opens the package of `path` (found whatever its letter case), finds `path` and
// positions at the entry's first byte; sets openedEntry's offset and size. An entry
// that reaches past the end of the package is refused. nullptr / -1 on failure.
FILE* OpenPackedFile(const char* path, uint32_t& size);
int OpenPackedFileFd(const char* path, uint32_t& size);

// Parses a whole package held in memory: the entries present (up to count, stopping
// where the directory is cut short). With `problems`, one line per fault found:
// a count that does not fit, an unterminated or empty name, data outside the file.
// True when there is no fault.
bool ParsePackageDirectory(const uint8_t* data, size_t size, std::vector<PackageEntry>& entries,
                           std::vector<std::string>* problems = nullptr);
// The same for a package file, reading only its directory. False when it cannot be read.
bool ReadPackageDirectory(const std::string& file, std::vector<PackageEntry>& entries,
                          std::vector<std::string>* problems, uint64_t* fileSize = nullptr);

// The entry's name up to its first NUL (at most 128 characters).
std::string EntryName(const PackageEntry& entry);

}  // namespace tarvex
