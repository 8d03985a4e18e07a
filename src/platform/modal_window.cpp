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

void Deliver(const SDL_Event& e, const ModalWindowHandlers& handlers) {
    if (e.type == SDL_QUIT || (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)) {
        if (handlers.key) handlers.key(vk::Escape, false);
    } else if (e.type == SDL_MOUSEBUTTONDOWN && e.button.button == SDL_BUTTON_LEFT) {
        if (handlers.click) handlers.click(e.button.x, e.button.y);
    } else if (e.type == SDL_KEYDOWN) {
        const int code = VirtualKeyOfKeycode(e.key.keysym.sym);
        if (code && handlers.key) handlers.key(code, (e.key.keysym.mod & KMOD_SHIFT) != 0);
    }
}

}  // namespace

bool RunModalWindow(const std::string& caption, int width, int height, const ModalWindowHandlers& handlers) {
    if (width <= 0 || height <= 0 || !handlers.finished) return false;
    SDL_Window* window =
        SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, 0);
    if (!window) return false;
    while (!handlers.finished()) {
        if (handlers.picture) Show(window, width, height, handlers.picture());
        // The wait is bounded so that a picture lost by the window system comes back soon.
        SDL_Event e;
        if (!SDL_WaitEventTimeout(&e, 100)) continue;
        do {
            Deliver(e, handlers);
        } while (!handlers.finished() && SDL_PollEvent(&e));
    }
    SDL_DestroyWindow(window);
    return true;
}

}  // namespace tarvex
