#include "resources/file_lookup.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarvex {

namespace {

std::string LowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// One folder's names, keyed by their lower-case form. Several names may fold to the
// same key on a case-sensitive disk: the first in byte order is taken.
struct Listing {
    std::unordered_map<std::string, std::string> byLower;
    timespec folderTime{};  // the folder's modification time when listed
    timespec listedAt{};
};

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// A listing can be trusted after a miss when the folder has not changed since, and
// was listed well after its last change: file times are coarse, so a change made
// just after listing may leave the folder's time as it was.
bool StillCurrent(const std::string& dir, const Listing& listing) {
    struct stat st;
    if (stat(dir.empty() ? "." : dir.c_str(), &st) != 0) return false;
    if (!SameTime(st.st_mtim, listing.folderTime)) return false;
    return listing.listedAt.tv_sec > listing.folderTime.tv_sec + 2;
}

// Keyed by the absolute folder path, so that a change of the current directory
// never serves another folder's names.
std::map<std::string, Listing>& Cache() {
    static std::map<std::string, Listing> cache;
    return cache;
}

bool ReadListing(const std::string& dir, Listing& listing) {
    struct stat st;
    if (stat(dir.empty() ? "." : dir.c_str(), &st) != 0) return false;
    listing.folderTime = st.st_mtim;
    clock_gettime(CLOCK_REALTIME, &listing.listedAt);
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return false;
    std::vector<std::string> names;
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(std::move(n));
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    listing.byLower.clear();
    for (const std::string& n : names) listing.byLower.emplace(LowerAscii(n), n);
    return true;
}

std::string AbsoluteKey(const std::string& dir) {
    if (!dir.empty() && dir[0] == '/') return dir;
    char buf[4096];
    std::string cwd = getcwd(buf, sizeof buf) ? buf : "";
    return dir.empty() ? cwd : cwd + "/" + dir;
}

bool Exists(const std::string& path, bool wantDirectory) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return false;
    return wantDirectory ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
}

// The on-disk name in `dir` that matches `name` ignoring case; empty when none.
std::string FindInFolder(const std::string& dir, const std::string& name, bool wantDirectory) {
    std::string key = AbsoluteKey(dir);
    std::string lower = LowerAscii(name);
    auto& cache = Cache();
    auto it = cache.find(key);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (it != cache.end()) {
            auto hit = it->second.byLower.find(lower);
            if (hit != it->second.byLower.end()) {
                std::string full = dir.empty() ? hit->second : dir + "/" + hit->second;
                if (Exists(full, wantDirectory)) return hit->second;
            }
            if (attempt == 1 || StillCurrent(dir, it->second)) break;
        }
        // A miss may mean the folder changed since it was listed: list it again.
        Listing fresh;
        if (!ReadListing(dir, fresh)) {
            cache.erase(key);
            return {};
        }
        it = cache.insert_or_assign(key, std::move(fresh)).first;
    }
    return {};
}

}  // namespace

bool IsGamePath(std::string_view path) {
    if (path.empty() || path.size() > kGamePathLimit || path.find('\0') != std::string_view::npos) return false;
    if (path[0] == '/' || path[0] == '\\' || path.find(':') != std::string_view::npos) return false;
    size_t part = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/' && path[i] != '\\') continue;
        if (path.substr(part, i - part) == "..") return false;
        part = i + 1;
    }
    return true;
}

std::string NormalizeGamePath(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '\\') c = '/';
        if (c == '/' && !out.empty() && out.back() == '/') continue;
        out += c;
    }
    return out;
}

std::string ResolveLoosePath(const std::string& rawPath) {
    std::string path = NormalizeGamePath(rawPath);
    if (path.empty() || path.back() == '/') return {};
    if (Exists(path, false)) return path;

    std::string resolved;
    size_t pos = 0;
    if (path[0] == '/') {
        resolved = "/";
        pos = 1;
    }
    while (pos < path.size()) {
        size_t slash = path.find('/', pos);
        bool last = slash == std::string::npos;
        std::string part = path.substr(pos, last ? std::string::npos : slash - pos);
        pos = last ? path.size() : slash + 1;
        std::string joined = resolved.empty() ? part : (resolved == "/" ? "/" + part : resolved + "/" + part);
        if (part == "." || part == "..") {
            if (last) return {};
            resolved = joined;
            continue;
        }
        if (Exists(joined, !last)) {
            resolved = joined;
            continue;
        }
        std::string folder = resolved == "/" ? "/" : resolved;
        std::string found = FindInFolder(folder, part, !last);
        if (found.empty()) return {};
        resolved = resolved.empty() ? found : (resolved == "/" ? "/" + found : resolved + "/" + found);
    }
    return resolved;
}

FILE* OpenLooseFile(const std::string& path) {
    std::string resolved = ResolveLoosePath(path);
    if (resolved.empty()) return nullptr;
    return std::fopen(resolved.c_str(), "rb");
}

int OpenLooseFd(const std::string& path) {
    std::string resolved = ResolveLoosePath(path);
    if (resolved.empty()) return -1;
    return open(resolved.c_str(), O_RDONLY | O_CLOEXEC);
}

namespace {
uint64_t lookupGeneration = 0;
}  // namespace

void ClearFileLookupCache() {
    Cache().clear();
    ++lookupGeneration;
}

uint64_t FileLookupGeneration() { return lookupGeneration; }

}  // namespace tarvex
