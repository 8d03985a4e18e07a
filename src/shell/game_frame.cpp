#include "shell/game_frame.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "base/config.h"
#include "base/globals.h"
#include "base/play_settings.h"
#include "interaction/game_hooks.h"
#include "interaction/game_state.h"
#include "interaction/hotspots.h"
#include "interaction/interaction_state.h"
#include "interaction/pointer.h"
#include "interaction/toolbar.h"
#include "media/sound.h"
#include "media/video.h"
#include "model/actor.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/render_device.h"
#include "model/model_file.h"
#include "platform/surface.h"
#include "render/actor_render.h"
#include "render/frame_description.h"
#include "render/frame_render.h"
#include "render/particles.h"
#include "resources/anim_slot.h"
#include "scene/scene_description.h"
#include "scripts/scene_dispatch.h"
#include "shell/display_setup.h"
#include "shell/scene_switch.h"
#include "text/dialogue.h"
#include "text/fonts.h"
#include "text/notice.h"
#include "workbench/console.h"
#include "workbench/workbench.h"

namespace tarvex {

namespace {

// The description the renderer draws this frame from.
FrameDescription frameDescription;
// Called once a game frame's picture is finished, before the workbench draws over it.
std::function<void()> gamePictureFinished;

const Texture* CachedTexture(int index) {
    return index >= 0 && index < kTextureCacheSize ? animation.textureCache[index].handle : nullptr;
}

// A visible actor's draw: its transforms, texture and the props hung on its bones (the
// same actors and props the actor pass posed).
void DescribeActor(FrameDescription& f, const ActorRecord& a) {
    ActorDraw d;
    d.model = a.model;
    d.frame = a.frame;
    Mat4 r, s, t;
    MatRotationY(r, a.heading + kPi);
    MatScaling(s, a.scale.x, a.scale.y, a.scale.z);
    MatTranslation(t, a.position.x, a.position.y, a.position.z);
    MatMultiply(d.world, r, s);
    MatMultiply(d.world, d.world, t);
    MatMultiply(d.propWorld, r, t);
    d.texture = CachedTexture(a.texture);
    d.castsShadow = a.shadowMode == 4;
    d.firstProp = static_cast<int>(f.props.size());
    const ModelRecord& pm = modelTables.models[a.model];
    for (size_t b = 0; pm.loaded && b < a.attachments.size() && b < pm.boneCount && b < pm.bones.size(); ++b) {
        const int propIndex = a.attachments[b];
        if (propIndex < 0 || propIndex >= kActorCount) continue;
        const ActorRecord& prop = actorTable.actors[propIndex];
        if (!prop.inUse || !prop.attached || prop.model < 0 || prop.model >= kMaxModels || !modelTables.models[prop.model].loaded)
            continue;
        PropDraw p;
        p.model = prop.model;
        p.frame = prop.frame;
        p.attach = BoneAttachMatrix(a.model, static_cast<int>(b), a.frame);
        // The bone's attachment cull mode, or the prop's own where the bone says 3.
        const int attachMode = pm.bones[b].attachCullMode;
        p.cullMode = attachMode == 3 ? modelTables.models[prop.model].cullMode : attachMode;
        p.texture = CachedTexture(prop.texture);
        f.props.push_back(p);
    }
    d.propCount = static_cast<int>(f.props.size()) - d.firstProp;
    f.actors.push_back(d);
}

}  // namespace

void SetGamePictureFinished(std::function<void()> finished) { gamePictureFinished = std::move(finished); }

void DescribeFrame(FrameDescription& f) {
    f.view = sceneTables.sceneCamera.viewMatrix;
    f.projection = sceneTables.sceneCamera.projectionMatrix;
    f.lights = sceneTables.sceneLights;
    f.ambient = sceneTables.ambientColour;
    f.material = sceneTables.sceneMaterial;
    f.fog = fog.fogEnabled;
    f.stencilShadows = displayValues.stencilShadows == 4;
    f.shadowLight = sceneRendering.shadowLight;
    f.shadowLength = sceneRendering.shadowLength;
    f.shadowColour = sceneRendering.shadowColour;
    f.mirror = sceneTables.sceneMirror;
    f.stencilAvailable = GetDisplayObjects().stencilBits > 0;
    f.models = modelTables.models;
    f.slots = animation.animSlots;
    f.endEvent = &animation.postedEndEvent;
    f.particleSystems = std::span(sceneTables.particleSystemImages).first(std::clamp(sceneTables.particleSystemCount, 0, kMaxParticleSystems));
    f.textures = animation.textureCache;
    f.wind = sceneRendering.particleWind;
    f.synch = framePace.synch;
    f.cursorX = pointer.cursorX;
    f.cursorY = pointer.cursorY;
}

void DescribeActors(FrameDescription& f) {
    f.actors.clear();
    f.props.clear();
    for (int i = 0; i < actorTable.actorCount && i < kActorCount; ++i) {
        const ActorRecord& a = actorTable.actors[i];
        if (a.inUse && a.visible && a.model >= 0 && a.model < kMaxModels) DescribeActor(f, a);
    }
}

void DescribeAndHandFrame() {
    DescribeFrame(frameDescription);
    HandFrameToRenderer(&frameDescription);
}

void DrawActorsOfFrame() {
    DescribeAndHandFrame();
    DescribeActors(frameDescription);
    DrawActorPasses(frameDescription);
}

bool ReadPointer() {
    if (ReadMouse(pointer.cursorX, pointer.cursorY, pointer.mouseState) != 0) return false;
    pointer.cursorX = std::clamp(pointer.cursorX + pointer.mouseState.dx, 2, 797);
    pointer.cursorY = std::clamp(pointer.cursorY + pointer.mouseState.dy, 2, 597);
    return true;
}

bool SkipSpokenLine() {
    // The press stays used until the button is released.
    if (pointer.mouseState.buttons[0] & 0x80) {
        if (pointer.LeftKey == 0) {
            StopVoice();
            pointer.LeftKey = 1;
            return true;
        }
    } else {
        pointer.LeftKey = 0;
    }
    return false;
}

// The scene's picture where the verb icons (slots 30 .. end - 1) are about to be drawn is
// kept for the game picture the menu shows: the icons are interface, not scene.
static void KeepSceneUnderVerbs(int end) {
    int left = kScreenWidth, top = kScreenHeight, right = 0, bottom = 0;
    for (int n = 30; n < end; ++n) {
        const AnimSlot& s = animation.animSlots[n];
        if (s.mode == 0 || s.frameCount <= 0 || !s.frames || !s.frames[0]) continue;
        int w, h;
        if (s.isTexture) {
            const Texture& t = *static_cast<const Texture*>(s.frames[0]);
            w = t.width;
            h = t.height;
        } else {
            const Surface& f = *static_cast<const Surface*>(s.frames[0]);
            w = f.width;
            h = f.height;
        }
        left = std::min(left, static_cast<int>(s.x));
        top = std::min(top, static_cast<int>(s.y));
        right = std::max(right, static_cast<int>(s.x) + w);
        bottom = std::max(bottom, static_cast<int>(s.y) + h);
    }
    if (left < right && top < bottom) KeepGamePictureUnder(left, top, right - left, bottom - top);
}

static void DrawBackgroundAndLayers() {
    if (loop.playMode != 0) {
        if (loop.playMode != 2) ClearBackBuffer(0, 0, 0);
        return;
    }
    if (loop.backgroundValid && displayValues.sceneBackground) DrawSurface(*displayValues.sceneBackground, 0, 0);
    // The verb bar: the selected verb's icon shows its lit frame.
    for (int slot = 31; slot <= 34; ++slot) animation.animSlots[slot].currentFrame = 0;
    if (interaction.currentVerb >= kVerbLook && interaction.currentVerb <= kVerbUse) animation.animSlots[30 + interaction.currentVerb].currentFrame = 1.0f;
    DrawSlots(0, 30);
    const int verbsEnd = gameHooks.notebookIcon && gameHooks.notebookIcon() ? 36 : 35;
    KeepSceneUnderVerbs(verbsEnd);
    DrawSlots(30, verbsEnd);
    for (int i = 0; i < kGameToolCount; ++i) {
        ToolRecord& t = interaction.ToolTable[i];
        if (t.drawn && t.scene == loop.currentScene && t.scenePicture) DrawSurface(*t.scenePicture, t.x, t.y);
    }
}

// The band behind a subtitle of the player's size, or the dark one: it covers every line.
static void DrawReadableBand() {
    const int h = std::max(SubtitleTextHeight() + 4, playSettings.darkBand ? 0 : 32);
    DrawColourRect(0, 352, 800, std::min(352 + h, 600), 0, 0, 0, playSettings.darkBand ? 208 : 127);
}

static void DrawSubtitleBand() {
    const bool subtitle = dialogue.subtitleTimer != 0 && dialogue.subtitleLength != 0 && config.subtitlesOn;
    if (!subtitle && !dialogue.choiceActive) return;
    if (!dialogue.choiceActive && (playSettings.darkBand || gameFonts.subtitleFont)) {
        DrawReadableBand();
        return;
    }
    const int h = dialogue.choiceActive ? 16 * std::clamp(dialogue.choiceCount, 0, 16) : 32;
    DrawColourRect(0, 352, 800, std::min(352 + h, 600), 0, 0, 0, 127);
}

void PausedFrame() {
    // The last picture stays in the back buffer; the console draws over it when presented.
    if (!ReadPointer()) return;
    ConsoleTakesMouse(pointer.mouseState);
    CountFrame(ClockSeconds());
    if (loop.presentEnabled) Present(false);
}

void GameFrame() {
    // Fog values of the scene; fog itself is switched on only for actors in scenes that ask.
    device::SetFogRange(fog.fogStart, fog.fogEnd, fog.fogColour);
    loop.gameStarted = 1;
    const double frameStart = ClockSeconds();
    ResetPathSearchBudget();
    // The controller's buttons and stick, read before the pointer it moves.
    PadFrame(loop.playMode == 0);
    if (!ReadPointer()) return;
    ConsoleTakesMouse(pointer.mouseState);
    StepSceneFade();
    const int frameStartScene = loop.currentScene;
    SetActorPassDrawing(DrawActorsOfFrame);
    DescribeAndHandFrame();
    DrawBackgroundAndLayers();
    // A click anywhere ends a line kept for a click (the scene may use the press itself).
    if (FreshLeftPress()) SubtitleClicked();
    // The scene's logic; while the toolbar is open the scene sees no click.
    const bool toolbarHidesClick = interaction.DRAWTOOLBAR && loop.playMode == 0;
    uint8_t savedButton = 0;
    int32_t savedLeftKey = 0;
    if (toolbarHidesClick) {
        savedButton = pointer.mouseState.buttons[0];
        savedLeftKey = pointer.LeftKey;
        pointer.mouseState.buttons[0] = 0;
    }
    if (loop.playMode == 0) {
        RunScene();
        // The scene's logic may have changed the camera, the lights or the shadows.
        DescribeAndHandFrame();
        UpdateEmitters();
        MoveParticles();
        DrawParticles();
        PlayAnimationSounds();
    } else if (loop.playMode == 1) {
        loop.playMode = 0;
    } else if (loop.playMode == 2) {
        VideoFrame();
    }
    SkipSpokenLine();
    if (toolbarHidesClick) {
        pointer.mouseState.buttons[0] = savedButton;
        pointer.LeftKey = savedLeftKey;
    }
    // Full-screen passes: shadows, the game's own (the lantern), the band under the subtitles.
    if (displayValues.stencilShadows == 4 && loop.playMode == 0) DrawShadowDarkening();
    if (gameHooks.sceneOverlay) gameHooks.sceneOverlay();
    // The game picture without its interface, for the menu to show under its own.
    if (loop.playMode == 0) KeepGamePicture();
    DrawSubtitleBand();
    animation.postedEndEvent = -1;
    // The hints while their key is held, under the interface.
    if (loop.playMode == 0 && HintKeyHeld()) DrawHotspotHints();
    // The interface over the finished picture: toolbar, new and held items, pointer, text.
    ToolbarRightButton(loop.playMode == 0 && interaction.interfaceEnabled && !dialogue.choiceActive);
    if (interaction.DRAWTOOLBAR && loop.playMode == 0) ToolbarMotionAndFrame();
    NewItemFrame();
    HeldItemFrame();
    DrawPointer();
    DrawDialogText();
    DrawZoneNameUnderPointer();
    DrawNotice();
    UpdateSubtitle();
    CheckSceneRequest(frameStartScene);
    CountFrame(ClockSeconds());
    // The game picture is finished: what is taken of it is taken now, then the
    // workbench draws over it for the window.
    if (gamePictureFinished) gamePictureFinished();
    // A quick save's thumbnail is the picture without the overlays drawn over it.
    if (WorkbenchDrawsOverPicture() && displayValues.thumbnailSurface)
        ReadBackBufferInto(*displayValues.thumbnailSurface);
    DrawWorkbench();
    if (loop.presentEnabled) Present(framePace.frameRateCap >= 35.0f && loop.playMode != 2);
    // Pacing: an exact period for scenes that ask for more than 35 frames a second.
    if (loop.playMode != 2 && framePace.frameRateCap > 35.0f && !ClockIsVirtual()) {
        const double period = 1.0 / framePace.frameRateCap;
        while (ClockSeconds() - frameStart < period) {
            const double left = period - (ClockSeconds() - frameStart);
            if (left > 0.002) SleepMilliseconds(1);
        }
    }
}

}  // namespace tarvex
