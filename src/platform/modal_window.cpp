#include "platform/modal_window.h"

#include <SDL2/SDL.h>

#include "platform/input.h"

namespace tarvex {

namespace {

// Keys by keycode, not scancode: what the key says on it, in any layout.
int VirtualKeyOfKeycode(SDL_Keycode key) {
    switch (key) {
    case SDLK_TAB: return vk::Tab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return vk::Return;
    case SDLK_ESCAPE: return vk::Escape;
    case SDLK_SPACE: return vk::Space;
    case SDLK_BACKSPACE: return vk::Back;
    case SDLK_LEFT: return vk::Left;
    case SDLK_UP: return vk::Up;
    case SDLK_RIGHT: return vk::Right;
    case SDLK_DOWN: return vk::Down;
    default: return 0;
    }
}

void Show(SDL_Window* window, int width, int height, std::vector<uint8_t> rgba) {
    if (rgba.size() < static_cast<size_t>(width) * height * 4) return;
    SDL_Surface* image =
        SDL_CreateRGBSurfaceWithFormatFrom(rgba.data(), width, height, 32, width * 4, SDL_PIXELFORMAT_RGBA32);
    SDL_Surface* screen = SDL_GetWindowSurface(window);
    if (image && screen) {
        SDL_BlitSurface(image, nullptr, screen, nullptr);
        SDL_UpdateWindowSurface(window);
    }
    if (image) SDL_FreeSurface(image);
}

void Deliver(const SDL_Event& e, const ModalWindowHandlers& handlers, PadKeys& pad) {
    if (e.type == SDL_QUIT || (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)) {
        if (handlers.key) handlers.key(vk::Escape, false);
    } else if (e.type == SDL_MOUSEBUTTONDOWN && e.button.button == SDL_BUTTON_LEFT) {
        if (handlers.click) handlers.click(e.button.x, e.button.y);
    } else if (e.type == SDL_KEYDOWN) {
        const int code = VirtualKeyOfKeycode(e.key.keysym.sym);
        if (code && handlers.key) handlers.key(code, (e.key.keysym.mod & KMOD_SHIFT) != 0);
    } else if (e.type == SDL_CONTROLLERDEVICEADDED) {
        SDL_GameControllerOpen(e.cdevice.which);
    } else if (e.type == SDL_CONTROLLERBUTTONDOWN) {
        const char* name = SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(e.cbutton.button));
        const int code = name ? PadKeys::Button(name) : 0;
        if (code && handlers.key) handlers.key(code, false);
    } else if (e.type == SDL_CONTROLLERAXISMOTION && e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) {
        const int code = pad.Stick(static_cast<float>(e.caxis.value) / 32767.0f);
        if (code && handlers.key) handlers.key(code, false);
    }
}

}  // namespace

int PadKeys::Button(const std::string& name) {
    if (name == "a") return vk::Space;
    if (name == "start") return vk::Return;
    if (name == "dpup") return vk::Up;
    if (name == "dpdown") return vk::Down;
    return 0;
}

int PadKeys::Stick(float lefty) {
    // Half way out steps once; the stick steps again after it came back near the middle.
    const int way = lefty > 0.5f ? 1 : lefty < -0.5f ? -1 : 0;
    if (way == 0) {
        if (lefty > -0.3f && lefty < 0.3f) pushed_ = 0;
        return 0;
    }
    if (way == pushed_) return 0;
    pushed_ = way;
    return way > 0 ? vk::Down : vk::Up;
}

bool RunModalWindow(const std::string& caption, int width, int height, const ModalWindowHandlers& handlers) {
    if (width <= 0 || height <= 0 || !handlers.finished) return false;
    SDL_Window* window =
        SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, 0);
    if (!window) return false;
    // Controllers present now arrive as "added" events and are opened then.
    const bool controllers = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    PadKeys pad;
    while (!handlers.finished()) {
        if (handlers.picture) Show(window, width, height, handlers.picture());
        // The wait is bounded so that a picture lost by the window system comes back soon.
        SDL_Event e;
        if (!SDL_WaitEventTimeout(&e, 100)) continue;
        do {
            Deliver(e, handlers, pad);
        } while (!handlers.finished() && SDL_PollEvent(&e));
    }
    SDL_DestroyWindow(window);
    // The controllers go with the subsystem; the game's input opens them again for itself.
    if (controllers) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    return true;
}

}  // namespace tarvex
