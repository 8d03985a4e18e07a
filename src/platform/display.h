// The display: one SDL window with an OpenGL 3.3 core context, the 800 x 600 back
// buffer as a framebuffer object (colour + depth 24 / stencil 8), an off-screen
// depth buffer of the same format, and the present pass that scales the back buffer
// into the window with 4:3 kept (letter-boxed), through the 256-entry gamma ramp lookup.
// Screen coordinates everywhere are the game's: 800 x 600, origin top-left, y down.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/surface.h"

namespace tarvex {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

// The set-up steps a display can fail at; the shell maps each to its message.
enum class DisplayStep {
    None,
    VideoSystem,       // no video driver
    FullScreen,        // full-screen (exclusive) mode refused
    Context,           // no OpenGL 3.3 core context
    BackBuffer,        // the back buffer's colour attachment
    Version,           // the context is older than 3.3
    Device,            // the shader programs do not build
    DepthBuffer,       // depth/stencil storage
    OffscreenDepth,    // the saved depth buffer
    AttachDepth,       // the framebuffer is incomplete with the depth buffer
    VertexBuffers,
    Gamma,             // the gamma lookup
};

struct DisplayConfig {
    bool headless = false;
    bool fullScreen = true;
    bool linearScaling = false;   // nearest by default: pictures stay sharp
    // Full screen in a display mode of 800 x 600 (or the nearest) where the system can set
    // one, instead of a window over the whole desktop.
    bool displayModeChange = false;
    // A headless window is not presented (nobody sees it) unless asked: the benchmarks
    // measure whole frames as a player's screen gets them, and tests read the picture
    // the window shows.
    bool presentWhenHeadless = false;
    std::string title;
};

// Tests can make one step fail to check the failure paths.
void ForceDisplayFailure(DisplayStep step);

// The first part of the display set-up: the video system and the (hidden) game window.
DisplayStep CreateGameWindow(const DisplayConfig& config);
// The rest of it: context, back buffer, depth and stencil, programs, buffers, gamma.
DisplayStep CreateDisplayDevice(bool stencil);
void ShowGameWindow();
void DestroyDisplay();  // safe to call twice
bool DisplayReady();
// Counts display creations, so that GL objects made for an earlier context are remade.
unsigned DisplayGeneration();
bool DisplayIsHeadless();

// Full screen is a borderless window over the whole desktop (the system's own full-screen
// state where a window manager provides it), or a display mode of 800 x 600 where asked.
// It switches back and forth any number of times; the window gets its size and place back.
void SetFullScreen(bool fullScreen);
bool IsFullScreen();
// The window's size in window points; SetWindowedSize sets it (in full screen: the size
// the window gets back when full screen ends).
void GetWindowSize(int& width, int& height);
void SetWindowedSize(int width, int height);
// True when the window has the size the display asked for last: a size change that is
// not the player's own.
bool WindowSizeWasAsked(int width, int height);
// Called when the window was moved or resized: a full-screen window that the system did
// not place over the desktop is placed again (a few times at most).
void WindowPlacementChanged();
// The hardware pointer is hidden over the window; confined to it only when asked (in
// full screen while the game has the focus).
void ConfinePointer(bool confined);
bool PointerConfined();

// A window point (SDL's window coordinates) as a point of the game's 800 x 600 screen,
// through the letter-boxed view the picture is presented in (may lie outside 0..799).
void WindowToScreen(int wx, int wy, int& sx, int& sy);
// The window point at which a screen point is shown.
void ScreenToWindow(int sx, int sy, int& wx, int& wy);

// Frame
void ClearBackBuffer(float r, float g, float b);
void Present(bool vsync);
// What Present draws over the game's picture in the window only (never into the back buffer
// that screenshots and thumbnails read): the 2-D drawing functions called from `draw` land on
// the window's view of the 800 x 600 screen, after the gamma. Null for nothing.
void SetWindowOverlay(void (*draw)());

// Gamma: three ramps of 256 entries (0..65535), applied when the back buffer is presented.
void SetGammaRamp(const uint16_t* red, const uint16_t* green, const uint16_t* blue);
const uint16_t* GammaRamp(int channel);

// 2-D drawing into the back buffer at exact pixels.
void DrawSurface(Surface& surface, int x, int y, const Rect* source = nullptr, bool colourKeyBlack = false);
// A surface's next picture moved to the device ahead of its use, a band of rows at a time,
// so that the frame that shows it does not upload it. The stage keeps its texture for the
// next picture when it is not given.
struct StagedSurfaceTexture {
    unsigned texture = 0;
    unsigned generation = 0;  // display the texture belongs to
    int width = 0, height = 0, depth = 0;
    int rowsDone = 0;
};
// Uploads rows first .. first + count - 1 of the picture `rows` (all its rows, packed, in the
// format of `depth`) into the stage, whose texture is made for the size and depth when it
// is not; false without a display.
bool StageSurfaceRows(StagedSurfaceTexture& stage, int width, int height, int depth, const uint8_t* rows, int first,
                      int count);
// A stage with every row in place becomes the surface's texture, for pixels the caller
// knows to be the staged ones (the surface's own texture is kept as the next stage's);
// false, and nothing changed, when the stage is not whole or does not fit the surface.
bool GiveStagedTexture(StagedSurfaceTexture& stage, Surface& surface);
// A screen rectangle of one colour; alpha 0..255 blends with source alpha.
void DrawColourRect(int x0, int y0, int x1, int y1, uint8_t r, uint8_t g, uint8_t b, uint8_t alpha,
                    bool onlyWhereStencilSet = false);
// An RGBA picture (rows top-down) blended over the back buffer (text).
void DrawRgbaImage(int x, int y, int width, int height, const uint8_t* rgba);

// Reads the back buffer as top-down 8-bit RGB rows; with gamma, as the player sees it.
std::vector<uint8_t> ReadBackBufferRgb(bool applyGamma);
// Reads the back buffer into a surface of any depth (the surface's size is kept, clipped).
void ReadBackBufferInto(Surface& target);
// The picture the window shows after the last present, as top-down RGB rows of the
// window's drawable size; empty unless a headless window is presented.
std::vector<uint8_t> ReadWindowRgb(int& width, int& height);

// The game's picture without the interface, which the menu shows under its own picture
// and saves take as their thumbnail. KeepGamePictureUnder copies a rectangle of the back
// buffer before the frame draws interface pictures there (the verbs); KeepGamePicture,
// once the scene is drawn and before the rest of the interface, copies all of the back
// buffer but that rectangle.
void KeepGamePictureUnder(int x, int y, int width, int height);
void KeepGamePicture();
void ReadGamePictureInto(Surface& target);
// A depth (and stencil) buffer of the screen's size in a framebuffer of its own, left
// bound; false when the framebuffer is not complete.
bool CreateDepthFramebuffer(unsigned& renderbuffer, unsigned& framebuffer, bool stencil);

// Textures for the device (3-D and screen quads).
struct Texture {
    unsigned id = 0;
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    bool mipmapped = false;
};
// rgba: width * height * 4 bytes, rows top-down. Returns nullptr on bad sizes.
Texture* CreateTextureRgba(int width, int height, const uint8_t* rgba, bool mipmaps, bool linear);
void ReleaseTexture(Texture*& texture);
// Textures made by the texture makers and not yet released, and the GL textures of
// surfaces alive in the current context: the engine's GPU objects that come and go
// with scenes. Makers outside the display count theirs with CountTextureCreated.
int LiveTextureCount();
int LiveSurfaceTextureCount();
void CountTextureCreated();
// Draws a texture on a screen rectangle; with alphaBlend the texel alpha blends.
void DrawTexture(const Texture& texture, int x, int y, int width, int height, bool alphaBlend);

// The saved games' thumbnail texture (256 x 256): filled from 8-bit RGB rows, top-down;
// false without a display.
bool UploadThumbnailTexture(const uint8_t* rgb);
// The texture as the device draws it (id 0 without a display).
Texture ThumbnailTexture();

// GL names of the shared objects the renderer builds on.
struct DisplayObjects {
    unsigned backFramebuffer = 0;
    unsigned backColour = 0;      // texture
    unsigned backDepthStencil = 0;  // renderbuffer
    unsigned savedFramebuffer = 0;  // off-screen depth buffer (scenery depth restore)
    unsigned savedDepthStencil = 0;
    unsigned positionBuffer = 0;    // 8192 positions
    unsigned vertexBuffer = 0;      // 32768 position + colour + uv
    unsigned quadIndexBuffer = 0;   // 1366 quads
    unsigned thumbnailTexture = 0;  // 256 x 256, 5-6-5
    unsigned gamePictureFramebuffer = 0;  // the last game picture (colour only)
    unsigned gamePictureColour = 0;
    bool cubeTextures = false;
    int depthBits = 0;
    int stencilBits = 0;
};
const DisplayObjects& GetDisplayObjects();
constexpr int kQuadIndexQuads = 1366;

}  // namespace tarvex
