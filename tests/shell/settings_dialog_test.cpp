#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include "base/config.h"
#include "base/globals.h"
#include "platform/input.h"
#include "shell/settings_dialog.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

Rect RectOf(const SettingsDialog& d, int id) {
    for (const SettingsControl& c : d.Controls())
        if (c.id == id) return c.rect;
    ADD_FAILURE() << "no control " << id;
    return {};
}

void ClickOn(SettingsDialog& d, int id) {
    Rect r = RectOf(d, id);
    d.Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

TEST(SettingsDialog, OpensWithTheFieldsAndStartWritesThemBack) {
    test::ResetEngine();
    config.shadows = 4;  // a stored stencil mode shows as checked
    config.musicOn = 0;
    SettingsDialog d;
    EXPECT_EQ(std::tuple(d.Checked(1001), d.Checked(1002), d.Checked(1027), d.Checked(1029), d.Checked(1030)),
              std::tuple(true, false, true, false, true));

    ClickOn(d, 1002);  // 32-bit colour on
    ClickOn(d, 1030);  // videos off
    ClickOn(d, 1029);  // music on
    EXPECT_EQ(d.Choice(), SettingsChoice::Open);
    ClickOn(d, 1);
    ASSERT_EQ(d.Choice(), SettingsChoice::Start);
    config.videosCopy = 1;
    AcceptSettings(&d);
    // Shadows are written back as 0 or 1.
    EXPECT_EQ(std::tuple(config.colour32, config.videosOn, config.videosCopy, config.musicOn, config.shadows, loop.currentScene),
              std::tuple(1, 0, 0, 1, 1, 23));
}

}  // namespace
}  // namespace tarvex

namespace tarvex {
namespace {

// The dialog's window is the platform's: it is fed SDL events, as the devices would.
void PushKey(SDL_Keycode key) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = key;
    SDL_PushEvent(&e);
}

TEST(SettingsDialog, RunsInItsOwnWindowWithKeyboardInput) {
    test::ResetEngine();
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
    PushKey(SDLK_TAB);
    PushKey(SDLK_TAB);
    PushKey(SDLK_SPACE);   // transform and lighting off
    PushKey(SDLK_RETURN);  // "Старт"
    EXPECT_EQ(RunSettingsDialog(), SettingsChoice::Start);
    EXPECT_EQ(config.transformLighting, 0);
    EXPECT_EQ(loop.currentScene, 23);
    test::ResetEngine();
    PushKey(SDLK_ESCAPE);
    EXPECT_EQ(RunSettingsDialog(), SettingsChoice::Exit);
    EXPECT_EQ(loop.currentScene, -1);
    // Closing the window is "Выход" too.
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_EQ(RunSettingsDialog(), SettingsChoice::Exit);
    EXPECT_EQ(loop.currentScene, -1);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace
}  // namespace tarvex
