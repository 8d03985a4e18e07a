// tarvex-res: lists, checks, unpacks and builds the game's package files.
//   tarvex-res list PKG             NAME<TAB>OFFSET<TAB>SIZE a line, in directory order
//   tarvex-res extract PKG DIR      every entry written under DIR (first of duplicates)
//   tarvex-res pack OUT.res ROOT SUBDIR
//                                   every file under ROOT/SUBDIR, named relative to ROOT
//   tarvex-res verify PKG           exit 0 when the directory is sound, else 1 and the problems
//                                   (a bad count or name, data outside the file, entries
//                                   whose data overlap)
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "formats/output.h"
#include "platform/atomic_file.h"
#include "resources/package.h"

namespace fs = std::filesystem;
using tarvex::PackageEntry;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: tarvex-res list PKG\n"
                 "       tarvex-res extract PKG DIR\n"
                 "       tarvex-res pack OUT.res ROOT SUBDIR\n"
                 "       tarvex-res verify PKG\n");
    return 2;
}

int List(const std::string& package) {
    std::vector<PackageEntry> entries;
    if (!tarvex::ReadPackageDirectory(package, entries, nullptr)) {
        std::fprintf(stderr, "tarvex-res: cannot read %s\n", package.c_str());
        return 1;
    }
    for (const PackageEntry& e : entries)
        std::printf("%s\t%u\t%u\n", tarvex::EntryName(e).c_str(), e.offset, e.size);
    return 0;
}

std::string Label(const std::vector<PackageEntry>& entries, size_t i) {
    return "entry " + std::to_string(i) + " (" + tarvex::EntryName(entries[i]) + ")";
}

uint64_t End(const PackageEntry& e) { return static_cast<uint64_t>(e.offset) + e.size; }

// Entries whose data share bytes with an entry before them in the file: the package's
// files are stored once each, so a shared region is a damaged (or hostile) directory
// whose extraction writes far more than the package holds. Data past the file's end are
// a problem of their own.
void FindOverlaps(const std::vector<PackageEntry>& entries, uint64_t fileSize, std::vector<std::string>& problems) {
    std::vector<size_t> order;
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].size > 0 && End(entries[i]) <= fileSize) order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return entries[a].offset < entries[b].offset; });
    size_t reach = 0;  // of the entries so far, the one whose data end last
    for (size_t k = 0; k < order.size(); ++k) {
        const size_t i = order[k];
        if (k > 0 && entries[i].offset < End(entries[reach])) {
            const uint64_t last = std::min(End(entries[i]), End(entries[reach]));
            problems.push_back(Label(entries, i) + ": data at " + std::to_string(entries[i].offset) + " size " +
                               std::to_string(entries[i].size) + " overlap " + Label(entries, reach) + " (" +
                               std::to_string(last - entries[i].offset) + " bytes)");
        }
        if (k == 0 || End(entries[i]) > End(entries[reach])) reach = i;
    }
}

int Verify(const std::string& package) {
    std::vector<PackageEntry> entries;
    std::vector<std::string> problems;
    uint64_t fileSize = 0;
    if (!tarvex::ReadPackageDirectory(package, entries, &problems, &fileSize)) {
        std::printf("cannot read %s\n", package.c_str());
        return 1;
    }
    FindOverlaps(entries, fileSize, problems);
    for (const std::string& p : problems) std::printf("%s\n", p.c_str());
    return problems.empty() ? 0 : 1;
}

// A name stays inside the target folder: relative, no "..", nothing empty.
bool SafeEntryPath(const std::string& name, fs::path& relative) {
    if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
    relative.clear();
    size_t pos = 0;
    while (pos <= name.size()) {
        size_t end = name.find_first_of("/\\", pos);
        if (end == std::string::npos) end = name.size();
        std::string part = name.substr(pos, end - pos);
        if (part.empty() || part == "." || part == ".." || part.find(':') != std::string::npos) return false;
        relative /= part;
        pos = end + 1;
    }
    return true;
}

bool CopyRange(int from, uint32_t offset, uint32_t size, std::vector<uint8_t>& out) {
    out.resize(size);
    size_t done = 0;
    while (done < size) {
        ssize_t n = pread(from, out.data() + done, size - done, static_cast<off_t>(offset) + done);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Bytes free for an ordinary user where `target` is, or will be made (its nearest folder
// that exists); false when that cannot be told.
bool FreeBytes(const std::string& target, uint64_t& free, uint64_t& block) {
    std::error_code ec;
    fs::path at = fs::absolute(target, ec);
    if (ec) return false;
    while (!fs::exists(at, ec) && at.has_relative_path()) at = at.parent_path();
    struct statvfs vfs;
    if (statvfs(at.c_str(), &vfs) != 0) return false;
    free = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    block = vfs.f_frsize > 0 ? vfs.f_frsize : 1;
    return true;
}

int Extract(const std::string& package, const std::string& target) {
    std::vector<PackageEntry> entries;
    std::vector<std::string> problems;
    uint64_t fileSize = 0;
    if (!tarvex::ReadPackageDirectory(package, entries, &problems, &fileSize)) {
        std::fprintf(stderr, "tarvex-res: cannot read %s\n", package.c_str());
        return 1;
    }
    int status = 0;
    // The entries to write: the first of names that fold together (the lookup ignores
    // letter case, later ones are never read), with a name that stays inside the target.
    struct Item {
        const PackageEntry* entry;
        std::string name;
        fs::path relative;
    };
    std::vector<Item> items;
    std::set<std::string> seen;
    for (const PackageEntry& e : entries) {
        std::string name = tarvex::EntryName(e);
        std::string key = name;
        for (char& c : key)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (!seen.insert(key).second) continue;
        fs::path relative;
        if (name.size() >= tarvex::kPackageNameBytes || !SafeEntryPath(name, relative)) {
            std::fprintf(stderr, "tarvex-res: refused entry name \"%s\"\n", name.c_str());
            status = 1;
            continue;
        }
        if (End(e) > fileSize) {
            std::fprintf(stderr, "tarvex-res: %s: data outside the package\n", name.c_str());
            status = 1;
            continue;
        }
        items.push_back({&e, std::move(name), std::move(relative)});
    }
    // Entries may share their data: a small package can stand for far more than it holds.
    // What would not fit where it goes is not begun.
    uint64_t free = 0, block = 1, needed = 0;
    if (FreeBytes(target, free, block)) {
        for (const Item& item : items) needed += (item.entry->size + block - 1) / block * block;
        if (needed > free) {
            std::fprintf(stderr,
                         "tarvex-res: %s: its entries need %llu bytes, %s has %llu bytes free (a package of %llu "
                         "bytes%s); nothing extracted\n",
                         package.c_str(), static_cast<unsigned long long>(needed), target.c_str(),
                         static_cast<unsigned long long>(free), static_cast<unsigned long long>(fileSize),
                         needed > fileSize ? " whose entries share their data" : "");
            return 1;
        }
    }
    int fd = open(package.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 1;
    std::vector<uint8_t> data;
    for (const Item& item : items) {
        const PackageEntry& e = *item.entry;
        if (!CopyRange(fd, e.offset, e.size, data)) {
            std::fprintf(stderr, "tarvex-res: %s: cannot read its data\n", item.name.c_str());
            status = 1;
            continue;
        }
        std::string out = (fs::path(target) / item.relative).string();
        if (!tarvex::WriteFileAtomically(out, data.data(), data.size())) {
            const int error = errno;
            std::fprintf(stderr, "tarvex-res: cannot write %s: %s\n", out.c_str(), std::strerror(error));
            status = 1;
            // A full file system (or the size limit) fails every entry after this one too.
            if (error == ENOSPC || error == EFBIG || error == EDQUOT) {
                std::fprintf(stderr, "tarvex-res: extraction stopped: no room left under %s\n", target.c_str());
                break;
            }
        }
    }
    close(fd);
    return status;
}

int Pack(const std::string& output, const std::string& root, const std::string& subdir) {
    fs::path base(root);
    fs::path start = base / subdir;
    std::error_code ec;
    if (!fs::is_directory(start, ec)) {
        std::fprintf(stderr, "tarvex-res: %s is not a folder\n", start.string().c_str());
        return 1;
    }
    struct Item {
        std::string name;
        fs::path path;
    };
    std::vector<Item> items;
    for (auto it = fs::recursive_directory_iterator(start, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        std::string name = fs::relative(it->path(), base, ec).generic_string();
        if (ec) break;
        items.push_back({name, it->path()});
    }
    if (ec) {
        std::fprintf(stderr, "tarvex-res: cannot list %s\n", start.string().c_str());
        return 1;
    }
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.name < b.name; });
    // The directory from the files' sizes, then the files in the same order, back to back; a
    // file whose size changed while it was copied would leave the directory wrong, so the
    // copied size is checked against the listed one.
    std::vector<std::pair<std::string, uint64_t>> sizes;
    for (const Item& item : items) {
        uint64_t size = fs::file_size(item.path, ec);
        if (ec) {
            std::fprintf(stderr, "tarvex-res: cannot read %s\n", item.path.c_str());
            return 1;
        }
        sizes.emplace_back(item.name, size);
    }
    std::string error;
    tarvex::formats::Bytes out = tarvex::formats::PackageDirectory(sizes, &error);
    if (out.empty()) {
        std::fprintf(stderr, "tarvex-res: %s\n", error.c_str());
        return 1;
    }
    for (size_t i = 0; i < items.size(); ++i) {
        FILE* f = std::fopen(items[i].path.c_str(), "rb");
        if (!f) {
            std::fprintf(stderr, "tarvex-res: cannot read %s\n", items[i].path.c_str());
            return 1;
        }
        const size_t before = out.size();
        uint8_t buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.insert(out.end(), buffer, buffer + n);
        bool failed = std::ferror(f);
        std::fclose(f);
        if (failed || out.size() - before != sizes[i].second) {
            std::fprintf(stderr, "tarvex-res: %s: %s\n", items[i].path.c_str(),
                         failed ? "read error" : "changed while it was packed");
            return 1;
        }
    }
    if (!tarvex::WriteFileAtomically(output, out.data(), out.size())) {
        std::fprintf(stderr, "tarvex-res: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    tarvex::FailWritesPastSizeLimit();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage();
    const std::string& command = args[0];
    if (command == "list" && args.size() == 2) return List(args[1]);
    if (command == "verify" && args.size() == 2) return Verify(args[1]);
    if (command == "extract" && args.size() == 3) return Extract(args[1], args[2]);
    if (command == "pack" && args.size() == 4) return Pack(args[1], args[2], args[3]);
    return Usage();
}
