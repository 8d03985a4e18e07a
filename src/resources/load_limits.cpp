#include "resources/load_limits.h"

#include <set>
#include <utility>

namespace tarvex {

namespace {

using Clock = ThreadCpuClock;

struct Limits {
    bool active = false;
    uint64_t left = 0;
    uint64_t taken = 0;
    Clock::time_point deadline;
    LoadStop stop = LoadStop::None;
};

Limits limits;
// A visit names a few dozen files; past this many failures the rest are simply tried again,
// so that a script naming new files without end cannot grow the set without end.
constexpr size_t kMaxFailedLoads = 4096;
std::set<std::pair<LoadKind, std::string>> failed;

}  // namespace

void BeginLimitedLoads(uint64_t bytes, Clock::time_point deadline) {
    limits = Limits{};
    limits.active = true;
    limits.left = bytes;
    limits.deadline = deadline;
}

LoadStop EndLimitedLoads() {
    const LoadStop stop = limits.stop;
    limits = Limits{};
    return stop;
}

bool LoadsLimited() { return limits.active; }

uint64_t LimitedLoadBytes() { return limits.taken; }

bool TakeLoadBytes(uint64_t bytes) {
    if (!limits.active) return true;
    if (bytes > limits.left) {
        limits.stop = LoadStop::Budget;
        return false;
    }
    limits.left -= bytes;
    limits.taken += bytes;
    return true;
}

bool LoadTimeLeft() {
    if (!limits.active) return true;
    if (limits.stop == LoadStop::Time) return false;
    if (Clock::now() <= limits.deadline) return true;
    limits.stop = LoadStop::Time;
    return false;
}

bool LoadsStopped() { return limits.stop != LoadStop::None; }

bool LoadFailedBefore(LoadKind kind, const std::string& path) {
    return limits.active && failed.count({kind, path}) != 0;
}

void NoteFailedLoad(LoadKind kind, const std::string& path) {
    if (limits.active && limits.stop == LoadStop::None && failed.size() < kMaxFailedLoads) failed.emplace(kind, path);
}

void ForgetFailedLoads() { failed.clear(); }

}  // namespace tarvex
