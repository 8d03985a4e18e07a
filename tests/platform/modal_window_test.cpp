#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/input.h"
#include "platform/modal_window.h"

namespace tarvex {
namespace {

class ModalWindow : public ::testing::Test {
protected:
    void SetUp() override {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

    static void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1); }
    static void PushKey(SDL_Keycode key, Uint16 mod = KMOD_NONE) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = key;
        e.key.keysym.mod = mod;
        Push(e);
    }
    static void PushButton(Uint8 button, int x, int y) {
        SDL_Event e{};
        e.type = SDL_MOUSEBUTTONDOWN;
        e.button.button = button;
        e.button.x = x;
        e.button.y = y;
        Push(e);
    }
    static void PushPad(Uint8 button) {
        SDL_Event e{};
        e.type = SDL_CONTROLLERBUTTONDOWN;
        e.cbutton.button = button;
        Push(e);
    }
    static void PushStick(Uint8 axis, Sint16 value) {
        SDL_Event e{};
        e.type = SDL_CONTROLLERAXISMOTION;
        e.caxis.axis = axis;
        e.caxis.value = value;
        Push(e);
    }
};

TEST_F(ModalWindow, HandsLeftClicksKeysControllerAndClosingToTheCaller) {
    PushButton(SDL_BUTTON_LEFT, 12, 34);
    PushButton(SDL_BUTTON_RIGHT, 5, 6);  // the right button does nothing in a dialog
    PushKey(SDLK_KP_ENTER, KMOD_LSHIFT);
    PushKey(SDLK_a);                      // keys without a use are not handed on
    PushKey(SDLK_UP);
    PushKey(SDLK_TAB, KMOD_RSHIFT);
    // A controller: A, the stick down (one step however long it stays), back to the
    // middle and up; X and the stick's other axis do nothing; Start.
    PushPad(SDL_CONTROLLER_BUTTON_A);
    PushPad(SDL_CONTROLLER_BUTTON_X);
    for (Sint16 v : {20000, 30000, 20000, 3000, -25000}) PushStick(SDL_CONTROLLER_AXIS_LEFTY, v);
    PushStick(SDL_CONTROLLER_AXIS_LEFTX, 30000);
    PushPad(SDL_CONTROLLER_BUTTON_START);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    Push(quit);
    PushKey(SDLK_SPACE);  // after the window has finished: left in the queue

    int pictures = 0;
    std::vector<std::pair<int, int>> clicks;
    std::vector<std::pair<int, bool>> keys;
    bool escaped = false;
    ModalWindowHandlers handlers;
    handlers.picture = [&] {
        ++pictures;
        return std::vector<uint8_t>(64 * 48 * 4, 0x80);
    };
    handlers.click = [&](int x, int y) { clicks.emplace_back(x, y); };
    handlers.key = [&](int key, bool shift) {
        keys.emplace_back(key, shift);
        escaped = escaped || key == vk::Escape;
    };
    handlers.finished = [&] { return escaped; };
    ASSERT_TRUE(RunModalWindow("Проба", 64, 48, handlers));

    EXPECT_GE(pictures, 1);
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{12, 34}}));
    EXPECT_EQ(keys, (std::vector<std::pair<int, bool>>{
                        {vk::Return, true}, {vk::Up, false}, {vk::Tab, true}, {vk::Space, false}, {vk::Down, false},
                        {vk::Up, false}, {vk::Return, false}, {vk::Escape, false}}));
    bool spaceLeft = false;
    SDL_Event e;
    while (SDL_PollEvent(&e)) spaceLeft = spaceLeft || (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_SPACE);
    EXPECT_TRUE(spaceLeft);
}

TEST_F(ModalWindow, ToleratesAShortPictureAndRefusesToRunWithoutAnEnd) {
    PushKey(SDLK_ESCAPE);
    bool done = false;
    ModalWindowHandlers handlers;
    handlers.picture = [] { return std::vector<uint8_t>(10); };  // far smaller than the window
    handlers.key = [&](int key, bool) { done = key == vk::Escape; };
    handlers.finished = [&] { return done; };
    EXPECT_TRUE(RunModalWindow("", 32, 32, handlers));
    EXPECT_TRUE(done);

    // Nothing could ever end these: no window, and no handler is called.
    int calls = 0;
    ModalWindowHandlers endless;
    endless.picture = [&] {
        ++calls;
        return std::vector<uint8_t>();
    };
    EXPECT_FALSE(RunModalWindow("", 32, 32, endless));
    handlers.picture = endless.picture;
    EXPECT_FALSE(RunModalWindow("", 0, 32, handlers));
    EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace tarvex
