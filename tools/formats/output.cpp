#include "formats/output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace tarvex::formats {

namespace {
constexpr long long kMaxReadBytes = 1LL << 30;
}  // namespace

bool ReadWholeFile(const std::string& path, Bytes& bytes, std::string& error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  bytes.clear();
  uint8_t buffer[65536];
  size_t n;
  bool ok = true;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + n);
    if (static_cast<long long>(bytes.size()) > kMaxReadBytes) {
      ok = false;
      break;
    }
  }
  if (std::ferror(f)) ok = false;
  std::fclose(f);
  if (!ok) error = "cannot read " + path;
  return ok;
}

void PutU8(Bytes& b, uint32_t v) { b.push_back(static_cast<uint8_t>(v)); }
void PutU16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutF32(Bytes& b, float v) {
  uint32_t u;
  std::memcpy(&u, &v, 4);
  PutU32(b, u);
}
void PutBytes(Bytes& b, const void* data, size_t n) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  b.insert(b.end(), p, p + n);
}
void PutFixedString(Bytes& b, const std::string& s, size_t size) {
  for (size_t i = 0; i < size; ++i) b.push_back(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
}

Bytes PackageDirectory(const std::vector<std::pair<std::string, uint64_t>>& entries, std::string* error) {
  uint64_t offset = 4 + 136ull * entries.size();
  uint64_t total = offset;
  for (const auto& e : entries) {
    if (e.first.size() > 127) {
      if (error) *error = "name longer than 127 characters: " + e.first;
      return {};
    }
    total += e.second;
  }
  if (total > 0xFFFFFFFFull) {
    if (error) *error = "package larger than 4 GiB";
    return {};
  }
  Bytes out;
  out.reserve(offset);
  PutU32(out, static_cast<uint32_t>(entries.size()));
  for (const auto& e : entries) {
    PutFixedString(out, e.first, 128);
    PutU32(out, static_cast<uint32_t>(offset));
    PutU32(out, static_cast<uint32_t>(e.second));
    offset += e.second;
  }
  return out;
}

Bytes BuildPackage(const std::vector<std::pair<std::string, const Bytes*>>& entries) {
  std::vector<std::pair<std::string, uint64_t>> sizes;
  uint64_t total = 0;
  for (const auto& e : entries) {
    sizes.emplace_back(e.first, e.second->size());
    total += e.second->size();
  }
  Bytes out = PackageDirectory(sizes, nullptr);
  if (out.empty()) return out;
  out.reserve(out.size() + total);
  for (const auto& e : entries) PutBytes(out, e.second->data(), e.second->size());
  return out;
}

void Output::Add(const std::string& path, Bytes data, bool looseOnly) {
  files_[path] = File{std::move(data), looseOnly};
}

const Bytes* Output::Find(const std::string& path) const {
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : &it->second.data;
}

// Generated content is rewritten whole on every run, so a plain write is enough here
// (no per-file sync: hundreds of small files would cost seconds).
static bool WriteFile(const std::string& path, const Bytes& data) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
  if (std::fclose(f) != 0) ok = false;
  return ok;
}

static bool IsPackedDirectory(const std::string& top) {
  return top == "texts" || top == "scenes" || top == "models" || top == "animgfx" || top == "gfx" ||
         top == "scripts" || top == "lang";
}

bool Output::Write(const std::string& dir, bool packaged) const {
  std::map<std::string, std::vector<std::pair<std::string, const Bytes*>>> packages;
  for (const auto& [path, file] : files_) {
    size_t slash = path.find('/');
    std::string top = slash == std::string::npos ? std::string() : path.substr(0, slash);
    if (packaged && !file.looseOnly && IsPackedDirectory(top)) {
      packages[top].push_back({path, &file.data});
      continue;
    }
    if (!WriteFile(dir + "/" + path, file.data)) {
      std::fprintf(stderr, "tarvex-demo: cannot write %s/%s\n", dir.c_str(), path.c_str());
      return false;
    }
  }
  for (const auto& [top, entries] : packages) {
    Bytes package = BuildPackage(entries);
    if (package.empty()) {
      std::fprintf(stderr, "tarvex-demo: cannot pack %s.res\n", top.c_str());
      return false;
    }
    if (!WriteFile(dir + "/" + top + ".res", package)) {
      std::fprintf(stderr, "tarvex-demo: cannot write %s/%s.res\n", dir.c_str(), top.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace tarvex::formats
