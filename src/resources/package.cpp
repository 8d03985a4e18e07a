#include "resources/package.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "base/byte_io.h"
#include "resources/file_lookup.h"

namespace tarvex {

OpenedEntry openedEntry;

namespace {

// The entry at the reader's position; the caller has made sure a whole entry is there.
PackageEntry DecodeEntry(ByteReader& r) {
    PackageEntry e;
    r.Bytes(e.name, kPackageNameBytes);
    e.offset = r.U32();
    e.size = r.U32();
    return e;
}

uint32_t EntryCount(const uint8_t (&bytes)[4]) { return ByteReader(bytes, 4).U32(); }

bool NameMatches(const uint8_t* entry, const char* name, size_t nameLength) {
    size_t length = strnlen(reinterpret_cast<const char*>(entry), kPackageNameBytes);
    // An unterminated name is a broken entry: it matches nothing.
    if (length == kPackageNameBytes || length != nameLength) return false;
    for (size_t i = 0; i < length; ++i) {
        unsigned char a = entry[i], b = static_cast<unsigned char>(name[i]);
        if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

// Reads up to `want` bytes, retrying short reads; returns the bytes read.
size_t ReadFully(int fd, uint8_t* buffer, size_t want) {
    size_t got = 0;
    while (got < want) {
        ssize_t n = read(fd, buffer + got, want - got);
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    return got;
}

// Entries are read in batches so that a large directory costs few reads.
constexpr size_t kBatchEntries = 64;

template <typename ReadFn>
bool FindInDirectory(ReadFn readBytes, const char* name, uint32_t& offset, uint32_t& size) {
    if (!name) return false;
    uint8_t countBytes[4];
    if (readBytes(countBytes, 4) != 4) return false;
    uint32_t count = EntryCount(countBytes);
    size_t nameLength = std::strlen(name);
    uint8_t batch[kBatchEntries * kPackageEntryBytes];
    uint32_t index = 0;
    while (index < count) {
        size_t want = std::min<size_t>(kBatchEntries, count - index);
        size_t got = readBytes(batch, want * kPackageEntryBytes) / kPackageEntryBytes;
        ByteReader entries(batch, got * kPackageEntryBytes);
        for (size_t i = 0; i < got; ++i) {
            const PackageEntry e = DecodeEntry(entries);
            if (NameMatches(reinterpret_cast<const uint8_t*>(e.name), name, nameLength)) {
                offset = e.offset;
                size = e.size;
                return true;
            }
        }
        if (got < want) return false;  // the directory ends before its count
        index += static_cast<uint32_t>(want);
    }
    return false;
}

bool EntryInsideFile(uint32_t offset, uint32_t size, uint64_t fileSize) {
    return static_cast<uint64_t>(offset) + size <= fileSize;
}

}  // namespace

std::string PackageNameOf(const std::string& rawPath) {
    std::string path = NormalizeGamePath(rawPath);
    size_t slash = path.find('/');
    if (slash == std::string::npos || slash == 0) return {};
    return path.substr(0, slash) + ".res";
}

bool FindPackageEntry(FILE* stream, const char* name, uint32_t& offset, uint32_t& size) {
    if (!stream) return false;
    return FindInDirectory([stream](uint8_t* b, size_t n) { return std::fread(b, 1, n, stream); }, name,
                           offset, size);
}

bool FindPackageEntryFd(int descriptor, const char* name, uint32_t& offset, uint32_t& size) {
    if (descriptor < 0) return false;
    return FindInDirectory([descriptor](uint8_t* b, size_t n) { return ReadFully(descriptor, b, n); }, name,
                           offset, size);
}

FILE* OpenPackedFile(const char* rawPath, uint32_t& size) {
    if (!rawPath) return nullptr;
    std::string path = NormalizeGamePath(rawPath);
    std::string package = PackageNameOf(path);
    if (package.empty()) return nullptr;
    FILE* f = OpenLooseFile(package);
    if (!f) return nullptr;
    uint32_t offset = 0, entrySize = 0;
    struct stat st;
    if (!FindPackageEntry(f, path.c_str(), offset, entrySize) || fstat(fileno(f), &st) != 0 ||
        !EntryInsideFile(offset, entrySize, static_cast<uint64_t>(st.st_size)) ||
        fseeko(f, static_cast<off_t>(offset), SEEK_SET) != 0) {
        std::fclose(f);
        return nullptr;
    }
    openedEntry.offset = offset;
    openedEntry.size = entrySize;
    size = entrySize;
    return f;
}

int OpenPackedFileFd(const char* rawPath, uint32_t& size) {
    if (!rawPath) return -1;
    std::string path = NormalizeGamePath(rawPath);
    std::string package = PackageNameOf(path);
    if (package.empty()) return -1;
    int fd = OpenLooseFd(package);
    if (fd < 0) return -1;
    uint32_t offset = 0, entrySize = 0;
    struct stat st;
    if (!FindPackageEntryFd(fd, path.c_str(), offset, entrySize) || fstat(fd, &st) != 0 ||
        !EntryInsideFile(offset, entrySize, static_cast<uint64_t>(st.st_size)) ||
        lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
        close(fd);
        return -1;
    }
    openedEntry.offset = offset;
    openedEntry.size = entrySize;
    size = entrySize;
    return fd;
}

std::string EntryName(const PackageEntry& entry) {
    return std::string(entry.name, strnlen(entry.name, kPackageNameBytes));
}

namespace {

void CheckEntries(const std::vector<PackageEntry>& entries, uint64_t fileSize, std::vector<std::string>* problems,
                  bool& sound) {
    for (size_t i = 0; i < entries.size(); ++i) {
        const PackageEntry& e = entries[i];
        std::string label = "entry " + std::to_string(i);
        size_t length = strnlen(e.name, kPackageNameBytes);
        if (length == kPackageNameBytes) {
            sound = false;
            if (problems) problems->push_back(label + ": name not terminated");
        } else if (length == 0) {
            sound = false;
            if (problems) problems->push_back(label + ": empty name");
        } else {
            label += " (" + EntryName(e) + ")";
        }
        if (!EntryInsideFile(e.offset, e.size, fileSize)) {
            sound = false;
            if (problems)
                problems->push_back(label + ": data at " + std::to_string(e.offset) + " size " +
                                    std::to_string(e.size) + " ends past the file end " + std::to_string(fileSize));
        }
    }
}

// How many of `count` entries fit a file of `size` bytes; a count that does not fit
// is a problem of the directory.
uint64_t EntriesPresent(uint32_t count, uint64_t size, std::vector<std::string>* problems, bool& sound) {
    const uint64_t room = (size - 4) / kPackageEntryBytes;
    if (count > room) {
        sound = false;
        if (problems)
            problems->push_back("count " + std::to_string(count) + " needs " +
                                std::to_string(4 + static_cast<uint64_t>(count) * kPackageEntryBytes) +
                                " bytes of directory, the file has " + std::to_string(size));
    }
    return std::min<uint64_t>(count, room);
}

}  // namespace

bool ParsePackageDirectory(const uint8_t* data, size_t size, std::vector<PackageEntry>& entries,
                           std::vector<std::string>* problems) {
    entries.clear();
    if (!data || size < 4) {
        if (problems) problems->push_back("file shorter than the 4-byte entry count");
        return false;
    }
    bool sound = true;
    ByteReader r(data, size);
    uint64_t present = EntriesPresent(r.U32(), size, problems, sound);
    entries.reserve(present);
    for (uint64_t i = 0; i < present; ++i) entries.push_back(DecodeEntry(r));
    CheckEntries(entries, size, problems, sound);
    return sound;
}

bool ReadPackageDirectory(const std::string& file, std::vector<PackageEntry>& entries,
                          std::vector<std::string>* problems, uint64_t* fileSize) {
    entries.clear();
    int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    uint64_t total = static_cast<uint64_t>(st.st_size);
    if (fileSize) *fileSize = total;
    uint8_t countBytes[4];
    if (ReadFully(fd, countBytes, 4) != 4) {
        close(fd);
        if (problems) problems->push_back("file shorter than the 4-byte entry count");
        return true;
    }
    bool sound = true;
    uint64_t present = EntriesPresent(EntryCount(countBytes), total, problems, sound);
    std::vector<uint8_t> directory(present * kPackageEntryBytes);
    size_t got = ReadFully(fd, directory.data(), directory.size());
    close(fd);
    present = got / kPackageEntryBytes;
    ByteReader r(directory.data(), got);
    for (uint64_t i = 0; i < present; ++i) entries.push_back(DecodeEntry(r));
    CheckEntries(entries, total, problems, sound);
    return true;
}

}  // namespace tarvex
