#include "resources/game_file.h"

#include <sys/stat.h>

#include <algorithm>

#include "resources/file_lookup.h"
#include "resources/package.h"

namespace tarvex {

namespace {
std::string pictureFolder;
}  // namespace

void SetPictureFolder(const std::string& folder) { pictureFolder = folder; }

std::string PicturePath(const std::string& path) {
    if (pictureFolder.empty()) return path;
    const std::string own = pictureFolder + NormalizeGamePath(path);
    return LocateGameFile(own) == GameFileSource::Missing ? path : own;
}

void ReadGameFileBytes(FILE* f, uint64_t size, std::vector<uint8_t>& out) {
    std::vector<uint8_t> data;
    // Grow as the data arrive, so that a lying size never allocates more than exists.
    constexpr size_t kChunk = 1 << 20;
    uint64_t done = 0;
    while (done < size) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(kChunk, size - done));
        data.resize(static_cast<size_t>(done) + want);
        size_t got = std::fread(data.data() + done, 1, want, f);
        done += got;
        if (got < want) break;
    }
    data.resize(static_cast<size_t>(done));
    out.swap(data);
}

FILE* OpenGameFile(const std::string& path, uint64_t& size, GameFileSource* source) {
    if (source) *source = GameFileSource::Missing;
    if (FILE* f = OpenLooseFile(path)) {
        struct stat st;
        if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
            std::fclose(f);
            return nullptr;
        }
        openedEntry.offset = 0;
        size = static_cast<uint64_t>(st.st_size);
        if (source) *source = GameFileSource::Loose;
        return f;
    }
    uint32_t entrySize = 0;
    FILE* f = OpenPackedFile(path.c_str(), entrySize);
    if (!f) return nullptr;
    size = entrySize;
    if (source) *source = GameFileSource::Package;
    return f;
}

bool ReadGameFile(const std::string& path, std::vector<uint8_t>& out, size_t maxSize, GameFileSource* source) {
    out.clear();
    uint64_t size = 0;
    FILE* f = OpenGameFile(path, size, source);
    if (!f) return false;
    // A packaged entry is cut like a loose file: never read into a buffer past its limit.
    if (maxSize != 0 && size > maxSize) size = maxSize;
    ReadGameFileBytes(f, size, out);
    std::fclose(f);
    return true;
}

GameFileRead ReadWholeGameFile(const std::string& path, std::vector<uint8_t>& out, uint64_t maxSize) {
    out.clear();
    uint64_t size = 0;
    FILE* f = OpenGameFile(path, size);
    if (!f) return GameFileRead::Missing;
    if (size > maxSize) {
        std::fclose(f);
        return GameFileRead::TooLarge;
    }
    ReadGameFileBytes(f, size, out);
    std::fclose(f);
    return GameFileRead::Read;
}

GameFileSource LocateGameFile(const std::string& path) {
    if (!ResolveLoosePath(path).empty()) return GameFileSource::Loose;
    uint32_t size = 0;
    FILE* f = OpenPackedFile(path.c_str(), size);
    if (!f) return GameFileSource::Missing;
    std::fclose(f);
    return GameFileSource::Package;
}

}  // namespace tarvex
