// Collects every generated file in memory, then writes them loose or packed.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tarvex::formats {

using Bytes = std::vector<uint8_t>;

// The whole of a file, at most 1 GiB; false with the reason in `error` ("cannot open PATH:
// ...", "cannot read PATH") when it cannot be opened or read, or is larger.
bool ReadWholeFile(const std::string& path, Bytes& bytes, std::string& error);

// Packs entries (relative path, data) into the .res layout: u32 count, 136-byte
// directory entries (128-byte NUL-padded name, u32 offset, u32 size), then the data.
// Empty on a name of more than 127 characters or a package beyond 4 GiB.
Bytes BuildPackage(const std::vector<std::pair<std::string, const Bytes*>>& entries);
// The package's head alone (count and directory) for entries of the given names and sizes whose
// data follow it back to back in the same order; empty, with the reason in `error`, on a name of
// more than 127 characters or a package beyond 4 GiB.
Bytes PackageDirectory(const std::vector<std::pair<std::string, uint64_t>>& entries, std::string* error);

class Output {
 public:
  // Adds or replaces a file; `looseOnly` files are never packed (their readers take
  // loose files only: textures, tool icons, particle files).
  void Add(const std::string& path, Bytes data, bool looseOnly = false);
  bool Has(const std::string& path) const { return files_.count(path) != 0; }
  const Bytes* Find(const std::string& path) const;
  size_t Count() const { return files_.size(); }
  // Writes under `dir`. With `packaged`, files under texts, scenes, models, animgfx,
  // gfx, scripts and lang go into DIR.res packages. False with a message on stderr on failure.
  bool Write(const std::string& dir, bool packaged) const;

 private:
  struct File {
    Bytes data;
    bool looseOnly = false;
  };
  std::map<std::string, File> files_;
};

// Little-endian helpers for the binary writers.
void PutU8(Bytes& b, uint32_t v);
void PutU16(Bytes& b, uint32_t v);
void PutU32(Bytes& b, uint32_t v);
void PutF32(Bytes& b, float v);
void PutBytes(Bytes& b, const void* data, size_t n);
void PutFixedString(Bytes& b, const std::string& s, size_t size);

}  // namespace tarvex::formats
