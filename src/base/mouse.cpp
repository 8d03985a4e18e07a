#include "base/mouse.h"

#include "base/globals.h"
#include "platform/display.h"

namespace tarvex {

static bool mouseCreated = false;

int CreateMouse() {
    mouseCreated = true;
    return 0;
}

int AcquireMouse() {
    if (!mouseCreated) return 1;
    // The pointer keeps to a full-screen window while the game has the focus.
    ConfinePointer(loop.appActive && IsFullScreen());
    return 0;
}

void ResetMouse() { mouseCreated = false; }

}  // namespace tarvex
