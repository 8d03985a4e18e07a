#include "platform/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace tarvex {

namespace {

// Creates a temporary file beside `path` under a name no existing file has (O_EXCL): the
// name "path.tmp" may well be another file of the folder (a package's "a.tmp" beside "a").
int CreateTemporary(const std::string& path, std::string& temp) {
    // Files may be written from the writer thread and the main thread at once.
    static std::atomic<unsigned> counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = path + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

void FailWritesPastSizeLimit() { ::signal(SIGXFSZ, SIG_IGN); }

bool MakeDirectories(const std::string& path) {
    if (path.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size) {
    std::filesystem::path target(path);
    if (target.has_parent_path() && !MakeDirectories(target.parent_path().string())) return false;
    std::string temp;
    int fd = CreateTemporary(path, temp);
    if (fd < 0) return false;
    const auto* p = static_cast<const char*>(data);
    size_t left = size;
    bool ok = true;
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (ok) ok = ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        std::remove(temp.c_str());
        errno = error;  // the caller says why
    }
    return ok;
}

}  // namespace tarvex
