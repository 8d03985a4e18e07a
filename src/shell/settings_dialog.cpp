#include "shell/settings_dialog.h"

#include <algorithm>

#include "base/config.h"
#include "base/globals.h"
#include "interaction/game_hooks.h"
#include "platform/font.h"
#include "platform/input.h"
#include "platform/modal_window.h"
#include "text/engine_texts.h"

namespace tarvex {

namespace {

bool Inside(const Rect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

struct Canvas {
    std::vector<uint8_t>& px;
    void Fill(const Rect& r, uint32_t rgb) {
        for (int y = std::max(r.top, 0); y < std::min(r.bottom, SettingsDialog::kHeight); ++y)
            for (int x = std::max(r.left, 0); x < std::min(r.right, SettingsDialog::kWidth); ++x) {
                uint8_t* p = &px[(static_cast<size_t>(y) * SettingsDialog::kWidth + x) * 4];
                p[0] = (rgb >> 16) & 0xFF;
                p[1] = (rgb >> 8) & 0xFF;
                p[2] = rgb & 0xFF;
                p[3] = 255;
            }
    }
    void Frame(const Rect& r, uint32_t rgb) {
        Fill({r.left, r.top, r.right, r.top + 1}, rgb);
        Fill({r.left, r.bottom - 1, r.right, r.bottom}, rgb);
        Fill({r.left, r.top, r.left + 1, r.bottom}, rgb);
        Fill({r.right - 1, r.top, r.right, r.bottom}, rgb);
    }
    void Text(Font* font, const std::string& utf8, int x, int y) {
        int w = 0, h = 0;
        std::string rgba;
        if (!RenderTextRgba(font, Utf8ToUtf16(utf8), 0, 0, 0, w, h, rgba)) return;
        for (int ty = 0; ty < h; ++ty)
            for (int tx = 0; tx < w; ++tx) {
                int dx = x + tx, dy = y + ty;
                if (dx < 0 || dy < 0 || dx >= SettingsDialog::kWidth || dy >= SettingsDialog::kHeight) continue;
                const uint8_t* s = reinterpret_cast<const uint8_t*>(&rgba[(static_cast<size_t>(ty) * w + tx) * 4]);
                uint8_t* p = &px[(static_cast<size_t>(dy) * SettingsDialog::kWidth + dx) * 4];
                for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>((s[c] * s[3] + p[c] * (255 - s[3])) / 255);
            }
    }
};

}  // namespace

SettingsDialog::SettingsDialog() {
    // Dialog units of the 269 x 160 layout at 1.5 x 1.625 pixels a unit.
    auto box = [](int x, int y, int w, int h) {
        return Rect{x * 3 / 2, y * 13 / 8, (x + w) * 3 / 2, (y + h) * 13 / 8};
    };
    controls_ = {
        {0, EngineText(Caption::SettingsGraphics), box(7, 7, 170, 118), nullptr},
        {1001, EngineText(Caption::SettingsTransformLighting), box(12, 20, 164, 12), &config.transformLighting},
        {1002, EngineText(Caption::SettingsColour32), box(12, 36, 164, 12), &config.colour32},
        {1012, EngineText(Caption::SettingsTripleBuffering), box(12, 52, 164, 12), &config.tripleBuffering},
        {1027, EngineText(Caption::SettingsShadows), box(12, 68, 164, 12), &config.shadows},
        {1031, EngineText(Caption::SettingsRadeon), box(12, 84, 164, 12), &config.compatibility},
        {1030, EngineText(Caption::SettingsVideos), box(12, 100, 164, 12), &config.videosOn},
        {0, EngineText(Caption::SettingsSound), box(181, 7, 86, 50), nullptr},
        {1028, EngineText(Caption::SettingsSoundOn), box(184, 20, 82, 12), &config.soundOn},
        {1029, EngineText(Caption::SettingsMusicOn), box(184, 36, 82, 12), &config.musicOn},
        {1, EngineText(Caption::SettingsStart), box(7, 135, 60, 16), nullptr},
        {2, EngineText(Caption::SettingsExit), box(202, 135, 60, 16), nullptr},
    };
    for (const SettingsControl& c : controls_) checks_.push_back(c.field ? (*c.field != 0) : -1);
    // The focus starts on "Старт".
    for (size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].id == 1) focus_ = i;
}

bool SettingsDialog::Checked(int id) const {
    for (size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].id == id) return checks_[i] == 1;
    return false;
}

void SettingsDialog::Activate(int index) {
    const SettingsControl& c = controls_[index];
    if (c.field) {
        checks_[index] = checks_[index] ? 0 : 1;
    } else if (c.id == 1) {
        choice_ = SettingsChoice::Start;
    } else if (c.id == 2) {
        choice_ = SettingsChoice::Exit;
    }
}

void SettingsDialog::Click(int x, int y) {
    for (size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i].id == 0 || !Inside(controls_[i].rect, x, y)) continue;
        focus_ = i;
        Activate(static_cast<int>(i));
        return;
    }
}

void SettingsDialog::MoveFocus(int delta) {
    const int n = static_cast<int>(controls_.size());
    int i = static_cast<int>(focus_);
    do {
        i = (i + delta + n) % n;
    } while (controls_[i].id == 0);
    focus_ = static_cast<size_t>(i);
}

void SettingsDialog::Key(int virtualKey, bool shift) {
    switch (virtualKey) {
    case vk::Tab: MoveFocus(shift ? -1 : 1); break;
    case vk::Down: MoveFocus(1); break;
    case vk::Up: MoveFocus(-1); break;
    case vk::Space: Activate(static_cast<int>(focus_)); break;
    case vk::Return:
        // Enter presses the focused button, or the default button "Старт".
        if (controls_[focus_].id == 2) choice_ = SettingsChoice::Exit;
        else choice_ = SettingsChoice::Start;
        break;
    case vk::Escape: choice_ = SettingsChoice::Exit; break;
    default: break;
    }
}

std::vector<uint8_t> SettingsDialog::Render() const {
    std::vector<uint8_t> px(static_cast<size_t>(kWidth) * kHeight * 4);
    Canvas canvas{px};
    canvas.Fill({0, 0, kWidth, kHeight}, 0xD4D0C8);
    Font* font = OpenFont("Tarvex.ttf", 11, false);
    for (size_t i = 0; i < controls_.size(); ++i) {
        const SettingsControl& c = controls_[i];
        const Rect& r = c.rect;
        if (c.id == 0) {
            canvas.Frame({r.left, r.top + 6, r.right, r.bottom}, 0x808080);
            const int titleWidth = MeasureTextWidth(font, Utf8ToUtf16(c.text));
            canvas.Fill({r.left + 5, r.top, r.left + 11 + titleWidth, r.top + 14}, 0xD4D0C8);
            canvas.Text(font, c.text, r.left + 8, r.top - 1);
        } else if (c.field) {
            Rect mark{r.left, r.top + 3, r.left + 13, r.top + 16};
            canvas.Fill(mark, 0xFFFFFF);
            canvas.Frame(mark, 0x404040);
            if (checks_[i] == 1) canvas.Fill({mark.left + 3, mark.top + 3, mark.right - 3, mark.bottom - 3}, 0x000000);
            canvas.Text(font, c.text, r.left + 18, r.top + 1);
        } else {
            canvas.Fill(r, 0xE4E0D8);
            canvas.Frame(r, 0x404040);
            int w = MeasureTextWidth(font, Utf8ToUtf16(c.text));
            canvas.Text(font, c.text, (r.left + r.right - w) / 2, r.top + 5);
        }
        if (i == focus_) {
            Rect f{r.left - 2, r.top, r.right + 2, r.bottom + 2};
            for (int x = f.left; x < f.right; x += 2) {
                canvas.Fill({x, f.top, x + 1, f.top + 1}, 0);
                canvas.Fill({x, f.bottom - 1, x + 1, f.bottom}, 0);
            }
        }
    }
    CloseFont(font);
    return px;
}

void AcceptSettings(const SettingsDialog* dialog) {
    if (dialog) {
        for (const SettingsControl& c : dialog->Controls())
            if (c.field) *c.field = dialog->Checked(c.id) ? 1 : 0;
    }
    config.videosCopy = config.videosOn;
    if (gameHooks.newGameScene >= 0) loop.currentScene = gameHooks.newGameScene;
}

bool SettingsDialogWanted(bool headless, bool asked) { return !headless && (config.cleanExit == 0 || asked); }

SettingsChoice RunSettingsDialog() {
    SettingsDialog dialog;
    ModalWindowHandlers handlers;
    handlers.picture = [&dialog] { return dialog.Render(); };
    handlers.click = [&dialog](int x, int y) { dialog.Click(x, y); };
    handlers.key = [&dialog](int virtualKey, bool shift) { dialog.Key(virtualKey, shift); };
    handlers.finished = [&dialog] { return dialog.Choice() != SettingsChoice::Open; };
    if (!RunModalWindow(EngineText(Caption::SettingsTitle), SettingsDialog::kWidth, SettingsDialog::kHeight, handlers)) {
        // Without a window the dialog cannot be shown: start with the stored choices.
        AcceptSettings(&dialog);
        return SettingsChoice::Start;
    }
    if (dialog.Choice() == SettingsChoice::Start) AcceptSettings(&dialog);
    return dialog.Choice();
}

}  // namespace tarvex
