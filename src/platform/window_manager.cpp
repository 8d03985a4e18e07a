#include "platform/window_manager.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <vector>

#ifdef TARVEX_X11
#include <SDL2/SDL_syswm.h>
#include <X11/Xatom.h>
#endif

namespace tarvex {

#ifdef TARVEX_X11
namespace {

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// The 32-bit items of a window's property of type `type`; empty when it has none.
std::vector<unsigned long> WindowProperty(Display* x, Window window, Atom property, Atom type) {
    std::vector<unsigned long> values;
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x, window, property, 0, 4096, False, type, &actualType, &format, &count, &after,
                           &data) == Success &&
        data && actualType == type && format == 32) {
        const unsigned long* items = reinterpret_cast<const unsigned long*>(data);
        values.assign(items, items + count);
    }
    if (data) XFree(data);
    return values;
}

bool ManagerTakesFullScreen(Display* x) {
    const Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", True);
    const Atom supported = XInternAtom(x, "_NET_SUPPORTED", True);
    const Atom fullScreen = XInternAtom(x, "_NET_WM_STATE_FULLSCREEN", True);
    if (check == None || supported == None || fullScreen == None) return false;
    const Window root = DefaultRootWindow(x);
    // The root may name the check window of a manager that has gone: reading it must
    // not end the program.
    XSync(x, False);
    int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler(IgnoreXError);
    const std::vector<unsigned long> wm = WindowProperty(x, root, check, XA_WINDOW);
    bool running = false;
    if (wm.size() == 1) {
        const std::vector<unsigned long> self = WindowProperty(x, static_cast<Window>(wm[0]), check, XA_WINDOW);
        running = self.size() == 1 && self[0] == wm[0];
    }
    XSync(x, False);
    XSetErrorHandler(previous);
    if (!running) return false;
    const std::vector<unsigned long> atoms = WindowProperty(x, root, supported, XA_ATOM);
    return std::find(atoms.begin(), atoms.end(), static_cast<unsigned long>(fullScreen)) != atoms.end();
}

}  // namespace
#endif

bool WindowManagerTakesFullScreen(SDL_Window* window) {
#ifdef TARVEX_X11
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11)
        return ManagerTakesFullScreen(info.info.x11.display);
#else
    (void)window;
#endif
    return true;
}

}  // namespace tarvex
