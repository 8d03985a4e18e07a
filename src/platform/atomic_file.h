#pragma once
#include <cstddef>
#include <string>

namespace tarvex {

// Writes the bytes to a temporary file beside `path` (a name of its own, never an existing
// file's), flushes them to disk and renames the file into place, so that a crash or a full
// disk never leaves a half-written file behind. Creates missing parent folders. False when
// anything fails, with errno saying why: the old file stays and the temporary one is gone.
bool WriteFileAtomically(const std::string& path, const void* data, size_t size);
bool MakeDirectories(const std::string& path);

// A write past the file size limit (ulimit -f) fails like one on a full disk instead of
// ending the process: called once at the start of a program that writes files.
void FailWritesPastSizeLimit();

}  // namespace tarvex
