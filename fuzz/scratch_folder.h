// A scratch game folder for the fuzz targets that read through the game's file layer: made
// once, current while an input runs, removed with its files when the fuzzer exits.
#pragma once
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz {

inline void RemoveScratchFolder();

// The folder's name lives in a plain array: it must outlive every destructor run at exit.
inline const char* ScratchFolder() {
    static char name[] = "/tmp/tarvex-fuzz-XXXXXX";
    static const bool made = [] {
        if (!mkdtemp(name)) std::abort();
        std::atexit(RemoveScratchFolder);
        return true;
    }();
    (void)made;
    return name;
}

inline void RemoveScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(ScratchFolder(), ec);
}

// Writes `size` bytes to `path` inside the scratch folder (its folders made as needed).
inline void WriteScratch(const std::string& path, const void* data, size_t size) {
    const std::filesystem::path full = std::filesystem::path(ScratchFolder()) / path;
    std::filesystem::create_directories(full.parent_path());
    FILE* f = std::fopen(full.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
}

// The scratch folder is the current folder while it lives (libFuzzer writes its corpus
// and crash files relative to the folder it started in).
class InScratch {
public:
    InScratch() {
        if (!getcwd(started_, sizeof started_) || chdir(ScratchFolder()) != 0) std::abort();
    }
    ~InScratch() {
        if (chdir(started_) != 0) std::abort();
    }

private:
    char started_[4096];
};

}  // namespace fuzz
