// tarvex-res: lists, checks, unpacks and builds the game's package files.
//   tarvex-res list PKG             NAME<TAB>OFFSET<TAB>SIZE a line, in directory order
//   tarvex-res extract PKG DIR      every entry written under DIR (first of duplicates)
//   tarvex-res pack OUT.res ROOT SUBDIR
//                                   every file under ROOT/SUBDIR, named relative to ROOT
//   tarvex-res verify PKG           exit 0 when the directory is sound, else 1 and the problems
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "resources/byte_io.h"
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

int Verify(const std::string& package) {
    std::vector<PackageEntry> entries;
    std::vector<std::string> problems;
    if (!tarvex::ReadPackageDirectory(package, entries, &problems)) {
        std::printf("cannot read %s\n", package.c_str());
        return 1;
    }
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

int Extract(const std::string& package, const std::string& target) {
    std::vector<PackageEntry> entries;
    std::vector<std::string> problems;
    uint64_t fileSize = 0;
    if (!tarvex::ReadPackageDirectory(package, entries, &problems, &fileSize)) {
        std::fprintf(stderr, "tarvex-res: cannot read %s\n", package.c_str());
        return 1;
    }
    int fd = open(package.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 1;
    int status = 0;
    std::set<std::string> seen;
    std::vector<uint8_t> data;
    for (const PackageEntry& e : entries) {
        std::string name = tarvex::EntryName(e);
        std::string key = name;
        // The lookup ignores letter case: later names that fold together are never read.
        for (char& c : key)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (!seen.insert(key).second) continue;
        fs::path relative;
        if (name.size() >= tarvex::kPackageNameBytes || !SafeEntryPath(name, relative)) {
            std::fprintf(stderr, "tarvex-res: refused entry name \"%s\"\n", name.c_str());
            status = 1;
            continue;
        }
        if (static_cast<uint64_t>(e.offset) + e.size > fileSize || !CopyRange(fd, e.offset, e.size, data)) {
            std::fprintf(stderr, "tarvex-res: %s: data outside the package\n", name.c_str());
            status = 1;
            continue;
        }
        std::string out = (fs::path(target) / relative).string();
        if (!tarvex::WriteFileAtomically(out, data.data(), data.size())) {
            std::fprintf(stderr, "tarvex-res: cannot write %s\n", out.c_str());
            status = 1;
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
    for (const Item& item : items)
        if (item.name.size() >= tarvex::kPackageNameBytes) {
            std::fprintf(stderr, "tarvex-res: name longer than 127 characters: %s\n", item.name.c_str());
            return 1;
        }
    // Directory first, then the files in the same order, back to back; each entry's
    // offset and size are filled in once its file has been copied.
    tarvex::ByteWriter out;
    out.U32(static_cast<uint32_t>(items.size()));
    for (const Item& item : items) {
        out.Bytes(item.name.data(), item.name.size());
        out.Zeros(tarvex::kPackageNameBytes - item.name.size() + 8);  // the name's NULs, offset, size
    }
    for (size_t i = 0; i < items.size(); ++i) {
        FILE* f = std::fopen(items[i].path.c_str(), "rb");
        if (!f) {
            std::fprintf(stderr, "tarvex-res: cannot read %s\n", items[i].path.c_str());
            return 1;
        }
        uint64_t offset = out.size();
        uint8_t buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.Bytes(buffer, n);
        bool failed = std::ferror(f);
        std::fclose(f);
        if (failed || out.size() > UINT32_MAX) {
            std::fprintf(stderr, "tarvex-res: %s\n", failed ? "read error" : "package larger than 4 GiB");
            return 1;
        }
        const size_t at = 4 + tarvex::kPackageEntryBytes * i;
        out.U32At(at + tarvex::kPackageNameBytes, static_cast<uint32_t>(offset));
        out.U32At(at + tarvex::kPackageNameBytes + 4, static_cast<uint32_t>(out.size() - offset));
    }
    if (!tarvex::WriteFileAtomically(output, out.bytes().data(), out.size())) {
        std::fprintf(stderr, "tarvex-res: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage();
    const std::string& command = args[0];
    if (command == "list" && args.size() == 2) return List(args[1]);
    if (command == "verify" && args.size() == 2) return Verify(args[1]);
    if (command == "extract" && args.size() == 3) return Extract(args[1], args[2]);
    if (command == "pack" && args.size() == 4) return Pack(args[1], args[2], args[3]);
    return Usage();
}
