// Limits on the loads a scene script asks for. While a script's call runs an engine
// service, the files that service loads may keep only the bytes left in the scene's
// resource budget, stop at the call's deadline, and a file that already failed in the
// visit is not read again. The engine's own loads (a compiled-in scene, start-up, a saved
// game) run without limits: none are set then, and every check below lets them through.
#pragma once
#include <chrono>
#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace tarvex {

// What a failed load was, so that a file refused as one kind is still tried as another.
enum class LoadKind { Model, Picture, Sequence, Sound, Texture };
// Why the limited loads gave up.
enum class LoadStop { None, Budget, Time };

// Sets the limits of the loads that follow, until EndLimitedLoads.
void BeginLimitedLoads(uint64_t bytes, ThreadCpuClock::time_point deadline);
// Ends them: what stopped a load meanwhile, None when nothing did.
LoadStop EndLimitedLoads();
// True while limits are set.
bool LoadsLimited();
// Bytes the loads have taken since BeginLimitedLoads.
uint64_t LimitedLoadBytes();

// A loader asks for the bytes it is about to keep: false when they pass what is left,
// and the load is given up. The bytes are taken when it is true.
bool TakeLoadBytes(uint64_t bytes);
// False once the deadline has passed: loaders that go over many files stop there.
bool LoadTimeLeft();
// True once the budget or the deadline stopped a load: what was loaded in part is undone.
bool LoadsStopped();

// A file that failed to load as `kind` earlier in the visit (only while limits are set).
bool LoadFailedBefore(LoadKind kind, const std::string& path);
// Remembers a failure of the file itself; one caused by the budget or the deadline is
// not the file's and is not remembered.
void NoteFailedLoad(LoadKind kind, const std::string& path);
// A new visit: every file may be tried again.
void ForgetFailedLoads();

}  // namespace tarvex
