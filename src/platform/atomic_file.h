#pragma once
#include <cstddef>
#include <string>

namespace tarvex {

// Writes the bytes to "path.tmp", flushes them to disk and renames the file into
// place, so that a crash or a full disk never leaves a half-written file behind.
// Creates missing parent folders. False when anything fails (the old file stays).
bool WriteFileAtomically(const std::string& path, const void* data, size_t size);
bool MakeDirectories(const std::string& path);

}  // namespace tarvex
