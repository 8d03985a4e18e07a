#include "platform/message_box.h"

#include <SDL2/SDL.h>

#include <cstdio>

namespace tarvex {

static bool headlessBoxes = false;

void SetMessageBoxesHeadless(bool headless) { headlessBoxes = headless; }

void ShowMessageBox(const std::string& caption, const std::string& text, bool error) {
    if (!headlessBoxes &&
        SDL_ShowSimpleMessageBox(error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION, caption.c_str(),
                                 text.c_str(), nullptr) == 0)
        return;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace tarvex
