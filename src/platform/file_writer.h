// Files written on one writer thread, so that a frame hands its bytes over and goes on:
// each write is WriteFileAtomically's (a temporary file, flushed, renamed into place), one
// at a time and in the order handed over. A path whose earlier bytes still wait is given the
// new bytes in their place: the latest wins, and a file is never written twice at once.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tarvex {

// Queues the bytes for `path` and returns at once.
void WriteFileInBackground(const std::string& path, std::vector<uint8_t> bytes);
// Returns when every write handed over is done (on disk, or failed).
void WaitForBackgroundWrites();

struct FailedWrite {
    std::string path;
    std::string why;  // the system's words for errno
};
// The writes that failed since the last call, in their order.
std::vector<FailedWrite> TakeFailedWrites();

}  // namespace tarvex
