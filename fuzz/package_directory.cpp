// Package directories: the in-memory parser and the stream lookup over the same bytes.
#include <cstdio>
#include <vector>

#include "resources/package.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<tarvex::PackageEntry> entries;
    std::vector<std::string> problems;
    tarvex::ParsePackageDirectory(data, size, entries, &problems);
    for (const tarvex::PackageEntry& e : entries) (void)tarvex::EntryName(e);
    if (size > 0) {
        FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
        if (f) {
            uint32_t offset = 0, entrySize = 0;
            tarvex::FindPackageEntry(f, "texts/dialog.txt", offset, entrySize);
            std::fclose(f);
        }
    }
    return 0;
}
