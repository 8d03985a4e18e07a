#include "menu/menu_panels.h"

#include <cstring>

#include "base/config.h"
#include "base/display_values.h"
#include "base/globals.h"
#include "base/scene_request.h"
#include "interaction/interaction_state.h"
#include "interaction/pointer.h"
#include "media/sound.h"
#include "media/video.h"
#include "menu/language_line.h"
#include "menu/menu.h"
#include "menu/saved_games.h"
#include "menu/subtitle_options.h"
#include "platform/display.h"
#include "platform/font.h"
#include "platform/render_device.h"
#include "platform/surface.h"
#include "render/frame_render.h"
#include "text/engine_texts.h"
#include "text/fonts.h"
#include "text/notice.h"

namespace tarvex {

namespace {

// The name shown in the save and load panels: italic, olive grey.
constexpr int kNameX = 343, kNameY = 257;
constexpr uint8_t kNameRed = 0x9d, kNameGreen = 0x9d, kNameBlue = 0x7b;

bool PointerInside(int left, int right, int top, int bottom) {
    return pointer.cursorX > left && pointer.cursorX < right && pointer.cursorY > top && pointer.cursorY < bottom;
}

// Shadows need the display's stencil buffer, which is made at start-up only when
// shadows were chosen then; without it they are switched on for the next start.
int ShadowsOn() { return GetDisplayObjects().stencilBits > 0 ? 4 : 1; }

size_t PrefixLength() { return std::strlen(kSaveNamePrefix); }

// The save's name without the "saves\\" prefix.
std::string ShownName() {
    const size_t prefix = PrefixLength();
    if (menuTables.saveNameBuffer.compare(0, prefix, kSaveNamePrefix) != 0) return menuTables.saveNameBuffer;
    return menuTables.saveNameBuffer.substr(prefix);
}

void SelectSave() {
    menuTables.saveNameBuffer = std::string(kSaveNamePrefix) + menuTables.saveList.names[static_cast<size_t>(menuTables.saveList.selected)];
    LoadThumbnail();
}

void SaveFromPanel(const std::string& gameName) {
    // Nothing to save before a game has begun, nor in the middle of a video.
    if (loop.currentScene == -1 || loop.playMode == 2 || videoPlayback.videoState) return;
    // An empty name saves too: the file ".sav", listed with an empty name.
    std::string error;
    if (!SaveGameFromMenu(gameName, &error))
        ShowNotice(error.empty() ? EngineText(Caption::SaveFailed) : error);
}

void LoadFromPanel(const std::string& gameName) {
    if (menuTables.saveList.names.empty()) return;
    std::string error;
    if (LoadGame(gameName, &error))
        ForgetPausedSounds();  // the loaded game brought its own sounds
    else
        ShowNotice(error.empty() ? EngineText(Caption::LoadFailed) : error);
}

void ClosePanel(int clicked) {
    interaction.ToolTable[clicked].clickable = 0;
    interaction.ToolTable[kMenuCancel].drawn = 1;
    menuTables.menuInputState = kMenuMain;
}

}  // namespace

bool PointerInsideButton(int tool) {
    const ToolRecord& t = interaction.ToolTable[tool];
    return PointerInside(t.x + t.offsetX, t.right, t.y + t.offsetY, t.bottom);
}

bool MenuButtonUnderPointer(int tool) { return interaction.ToolTable[tool].drawn && PointerInsideButton(tool); }

bool LightButtonUnderPointer(int tool) {
    const bool lit = MenuButtonUnderPointer(tool);
    interaction.ToolTable[tool].clickable = lit ? 1 : 0;
    return lit;
}

void DrawMenuButton(int tool) {
    ToolRecord& t = interaction.ToolTable[tool];
    if (t.scenePicture) DrawSurface(*t.scenePicture, t.x, t.y);
}

void DrawLitButtons(int first, int last) {
    for (int n = first; n <= last; ++n)
        if (interaction.ToolTable[n].clickable) DrawMenuButton(n);
}

bool FreshMenuPress() { return FreshLeftPress(); }

void OptionsPanel() {
    DrawMenuButton(kMenuOptionsPanel);
    LightButtonUnderPointer(kMenuOk);
    LightButtonUnderPointer(kMenuCancel);
    ToolRecord& shadows = interaction.ToolTable[kMenuShadows];
    ToolRecord& subtitles = interaction.ToolTable[kMenuSubtitles];
    // The two switches answer to their rectangles whether shown or not; lit means on.
    if (FreshMenuPress() && PointerInsideButton(kMenuShadows)) {
        pointer.LeftKey = 1;
        displayValues.stencilShadows = displayValues.stencilShadows == 0 ? ShadowsOn() : 0;
    }
    shadows.clickable = displayValues.stencilShadows != 0 ? 1 : 0;
    if (FreshMenuPress() && PointerInsideButton(kMenuSubtitles)) {
        pointer.LeftKey = 1;
        config.subtitlesOn = config.subtitlesOn == 0 ? 1 : 0;
    }
    subtitles.clickable = config.subtitlesOn != 0 ? 1 : 0;
    DrawLitButtons(kMenuOk, kMenuSubtitles);
    LanguageLine();
    SubtitleOptionsRows();

    // The sliders follow the pointer while the button is held over them.
    const bool held = LeftButtonDown();
    if (held && PointerInside(365, 425, 298, 317)) {
        pointer.LeftKey = 1;
        config.soundVolume = SliderVolume(pointer.cursorX, 365);
    }
    ShowSlider(kSoundSliderSlot, config.soundVolume / 10);
    if (held && PointerInside(360, 420, 328, 350)) {
        pointer.LeftKey = 1;
        config.musicVolume = SliderVolume(pointer.cursorX, 360);
        SetMusicVolume();
    }
    ShowSlider(kMusicSliderSlot, config.musicVolume / 10);
    if (held && PointerInside(375, 435, 237, 257)) {
        pointer.LeftKey = 1;
        sceneSwitch.gammaMax = SliderGamma(pointer.cursorX);
        FillGammaRamps(sceneSwitch.gammaMax);
        SendGammaRamps();
    }
    // The keys can take the gamma past either end of the slider.
    ShowSlider(kGammaSliderSlot, (static_cast<int64_t>(sceneSwitch.gammaMax) - 255) / 40);

    // OK and cancel both close the panel; what was changed stays changed.
    for (int tool : {kMenuOk, kMenuCancel}) {
        if (!interaction.ToolTable[tool].clickable || !FreshMenuPress()) continue;
        pointer.LeftKey = 1;
        interaction.ToolTable[tool].clickable = 0;
        shadows.clickable = 0;
        subtitles.clickable = 0;
        HideSliders();
        ForgetLanguageChoices();
        menuTables.menuInputState = kMenuMain;
        break;
    }
}

void SaveLoadPanel(bool save) {
    DrawMenuButton(save ? kMenuSavePanel : kMenuLoadPanel);
    static constexpr int kPanelButtons[] = {kMenuOk, kMenuCancel, kMenuNext, kMenuPrevious, kMenuLoadPanel,
                                            kMenuPanelCancel};
    for (int tool : kPanelButtons) LightButtonUnderPointer(tool);
    for (int tool : kPanelButtons)
        if (interaction.ToolTable[tool].clickable) DrawMenuButton(tool);

    const int count = static_cast<int>(menuTables.saveList.names.size());
    if (FreshMenuPress() && interaction.ToolTable[kMenuNext].clickable) {
        pointer.LeftKey = 1;
        if (menuTables.saveList.selected < count - 1) {
            ++menuTables.saveList.selected;
            SelectSave();
        }
    }
    if (FreshMenuPress() && interaction.ToolTable[kMenuPrevious].clickable) {
        pointer.LeftKey = 1;
        if (menuTables.saveList.selected > 0) {
            --menuTables.saveList.selected;
            SelectSave();
        }
    }
    if (count == 0) menuTables.saveList.selected = 0;
    // The name without its extension; a name typed in the save panel shows even when
    // there are no saves yet.
    const size_t dot = menuTables.saveNameBuffer.find('.');
    if (dot != std::string::npos) menuTables.saveNameBuffer.resize(dot);
    if (count > 0 || save)
        DrawText(gameFonts.italicFont, kNameX, kNameY, Utf8ToUtf16(ShownName()), kNameRed, kNameGreen, kNameBlue);

    if (FreshMenuPress() && interaction.ToolTable[kMenuOk].clickable) {
        pointer.LeftKey = 1;
        const std::string gameName = menuTables.saveNameBuffer + ".sav";
        if (save)
            SaveFromPanel(gameName);
        else
            LoadFromPanel(gameName);
        ClosePanel(kMenuOk);
    }
    if (FreshMenuPress() && interaction.ToolTable[kMenuPanelCancel].clickable) {
        pointer.LeftKey = 1;
        ClosePanel(kMenuPanelCancel);
    }
}

void DrawThumbnailQuad() {
    const Texture thumbnail = ThumbnailTexture();
    if (!thumbnail.id || !menuTables.saveList.thumbnailShown) return;
    using namespace device;
    // The 200 x 150 thumbnail at the top left of its 256 x 256 texture, a little tilted.
    constexpr uint32_t kWhite = 0xFFFFFFFF;
    const VertexScreen quad[4] = {{304, 135, 1.0f, 0.5f, kWhite, 0.0f, 0.0f},
                                  {292, 243, 1.0f, 0.5f, kWhite, 0.0f, 0.585f},
                                  {447, 127, 1.0f, 0.5f, kWhite, 0.785f, 0.0f},
                                  {436, 242, 1.0f, 0.5f, kWhite, 0.785f, 0.585f}};
    SetTexture(&thumbnail);
    SetTextureOp(TextureOp::SelectTexture);
    SetLighting(false);
    SetCull(Cull::None);
    SetBlend(false);
    SetDepthTest(true, Compare::Always);
    SetDepthWrite(false);
    DrawScreenQuads(quad, 1);
    SetTexture(nullptr);
    ResetRenderStates();
}

}  // namespace tarvex
