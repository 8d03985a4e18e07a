#include "resources/tiff_client.h"

#include "resources/game_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "resources/file_lookup.h"
#include "resources/package.h"

namespace tarvex {

namespace {

int Descriptor(thandle_t handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle)); }

// The position inside the entry, or -1.
int64_t EntryPosition(int fd) {
    off_t at = lseek(fd, 0, SEEK_CUR);
    if (at < 0) return -1;
    return static_cast<int64_t>(at) - openedEntry.offset;
}

void SilenceTiff() {
    // Loaders report nothing: a bad picture is simply not loaded. Pictures are decoded on
    // the loader thread too.
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

TiffBytes& BytesOf(thandle_t handle) { return *static_cast<TiffBytes*>(handle); }

tmsize_t BytesRead(thandle_t handle, void* buffer, tmsize_t n) {
    TiffBytes& b = BytesOf(handle);
    if (n < 0) return -1;
    const uint64_t left = b.position < b.size ? b.size - b.position : 0;
    const uint64_t count = std::min<uint64_t>(static_cast<uint64_t>(n), left);
    if (count > 0) std::memcpy(buffer, b.data + b.position, static_cast<size_t>(count));
    b.position += count;
    return static_cast<tmsize_t>(count);
}

toff_t BytesSeek(thandle_t handle, toff_t position, int whence) {
    TiffBytes& b = BytesOf(handle);
    const int64_t base = whence == SEEK_CUR ? static_cast<int64_t>(b.position)
                         : whence == SEEK_END ? static_cast<int64_t>(b.size)
                                              : 0;
    const int64_t target = base + static_cast<int64_t>(position);
    if (target < 0) return static_cast<toff_t>(-1);
    b.position = static_cast<uint64_t>(target);
    return static_cast<toff_t>(target);
}

toff_t BytesSize(thandle_t handle) { return BytesOf(handle).size; }

int BytesMap(thandle_t handle, void** base, toff_t* size) {
    TiffBytes& b = BytesOf(handle);
    *base = const_cast<uint8_t*>(b.data);
    *size = b.size;
    return 1;
}

}  // namespace

tmsize_t TiffClientRead(thandle_t handle, void* buffer, tmsize_t n) {
    int fd = Descriptor(handle);
    int64_t at = EntryPosition(fd);
    if (at < 0 || n < 0) return -1;
    // Reads stop at the entry's end: the next entry's bytes are not this picture's.
    int64_t left = static_cast<int64_t>(openedEntry.size) - at;
    if (left <= 0) return 0;
    if (n > left) n = static_cast<tmsize_t>(left);
    tmsize_t done = 0;
    while (done < n) {
        ssize_t got = read(fd, static_cast<uint8_t*>(buffer) + done, static_cast<size_t>(n - done));
        if (got <= 0) break;
        done += got;
    }
    return done;
}

tmsize_t TiffClientWrite(thandle_t, void*, tmsize_t) { return 0; }

toff_t TiffClientSeek(thandle_t handle, toff_t position, int whence) {
    int fd = Descriptor(handle);
    // Positions are the picture's own; relative seeks are honoured too.
    int64_t base = 0;
    if (whence == SEEK_CUR) {
        base = EntryPosition(fd);
        if (base < 0) return static_cast<toff_t>(-1);
    } else if (whence == SEEK_END) {
        base = openedEntry.size;
    }
    int64_t target = base + static_cast<int64_t>(position);
    if (target < 0) return static_cast<toff_t>(-1);
    off_t at = lseek(fd, static_cast<off_t>(openedEntry.offset + target), SEEK_SET);
    if (at < 0) return static_cast<toff_t>(-1);
    return static_cast<toff_t>(at - openedEntry.offset);
}

int TiffClientClose(thandle_t) { return 1; }

toff_t TiffClientSize(thandle_t) { return openedEntry.size; }

int TiffClientMap(thandle_t, void**, toff_t*) { return 0; }

void TiffClientUnmap(thandle_t, void*, toff_t) {}

TIFF* OpenTiffBytes(TiffBytes& bytes) {
    SilenceTiff();
    return TIFFClientOpen("", "r", &bytes, BytesRead, TiffClientWrite, BytesSeek, TiffClientClose, BytesSize, BytesMap,
                          TiffClientUnmap);
}

TIFF* OpenPackagedTiff(int descriptor) {
    SilenceTiff();
    return TIFFClientOpen("", "r", reinterpret_cast<thandle_t>(static_cast<intptr_t>(descriptor)), TiffClientRead,
                          TiffClientWrite, TiffClientSeek, TiffClientClose, TiffClientSize, TiffClientMap,
                          TiffClientUnmap);
}

TIFF* OpenGameTiff(const std::string& gamePath, int& descriptor) {
    SilenceTiff();
    descriptor = -1;
    const std::string path = PicturePath(gamePath);
    std::string loose = ResolveLoosePath(path);
    if (!loose.empty()) {
        openedEntry.fromPackage = false;
        struct stat st;
        if (stat(loose.c_str(), &st) != 0 || static_cast<uint64_t>(st.st_size) > kMaxTiffFileBytes) return nullptr;
        return TIFFOpen(loose.c_str(), "r");
    }
    uint32_t size = 0;
    int fd = OpenPackedFileFd(path.c_str(), size);
    if (fd < 0) return nullptr;
    if (size > kMaxTiffFileBytes) {
        close(fd);
        return nullptr;
    }
    openedEntry.fromPackage = true;
    TIFF* tiff = OpenPackagedTiff(fd);
    if (!tiff) {
        close(fd);
        openedEntry.fromPackage = false;
        return nullptr;
    }
    descriptor = fd;
    return tiff;
}

void CloseGameTiff(TIFF* tiff, int& descriptor) {
    if (tiff) TIFFClose(tiff);
    if (descriptor >= 0) close(descriptor);
    descriptor = -1;
    openedEntry.fromPackage = false;
}

}  // namespace tarvex
