#include "platform/display.h"

#include <SDL2/SDL.h>
#include <dlfcn.h>
#include <epoxy/gl.h>
#include <link.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "platform/depth_bound.h"
#include "platform/gl_program.h"
#include "platform/message_box.h"
#include "platform/window_manager.h"

namespace tarvex {

namespace {

// How full screen was reached: the system's own full-screen state (a window manager or
// compositor makes the window cover the desktop), or a borderless window placed over the
// desktop by the display itself (no window manager, or none that takes the request).
enum class FullScreenWay { None, System, Borderless };

struct DisplayState {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool headless = false;
    bool presentWhenHeadless = false;
    bool displayModeChange = false;
    bool fullScreen = false;
    FullScreenWay way = FullScreenWay::None;
    bool linearScaling = false;
    bool videoInitialised = false;
    bool pointerConfined = false;
    // The window's place and size before full screen, given back when it ends.
    int windowedX = 0, windowedY = 0, windowedWidth = kScreenWidth, windowedHeight = kScreenHeight;
    // The borderless window's wanted rectangle, and how many more times it is placed again
    // when the system puts it elsewhere.
    SDL_Rect wanted{0, 0, 0, 0};
    int placementRetries = 0;
    int askedWidth = kScreenWidth, askedHeight = kScreenHeight;
    // A presented headless window draws into this picture of the window's drawable size.
    unsigned windowFramebuffer = 0, windowColour = 0;
    int windowTargetWidth = 0, windowTargetHeight = 0;
    DisplayObjects objects;
    unsigned program2d = 0;
    unsigned programPresent = 0;
    unsigned quadVao = 0;
    unsigned quadVbo = 0;
    unsigned gammaTexture = 0;
    unsigned streamTexture = 0;  // text and other one-off RGBA pictures
    uint16_t ramp[3][256];
    bool rampDirty = true;
    int loc2dMode = -1, loc2dColour = -1, loc2dTex = -1;
    int locPresentScene = -1, locPresentGamma = -1;
};

DisplayState display;
// Drawn by Present over the picture in the window; while it draws, 2-D drawing goes there.
struct WindowOverlay {
    void (*draw)() = nullptr;
    bool drawing = false;
    unsigned framebuffer = 0;
    int x = 0, y = 0, width = 0, height = 0;  // GL viewport of the view in the window
};
WindowOverlay windowOverlay;
DisplayStep forcedFailure = DisplayStep::None;
unsigned displayGeneration = 0;
// Live textures of the texture makers, and surface textures of the current context.
int liveTextures = 0;
int liveSurfaceTextures = 0;

bool Forced(DisplayStep step) { return forcedFailure == step; }

const char* kVertex2d = R"(#version 330 core
layout(location = 0) in vec2 position;   // screen pixels, y down
layout(location = 1) in vec2 uv;
out vec2 texCoord;
void main() {
    texCoord = uv;
    gl_Position = vec4(position.x / 400.0 - 1.0, 1.0 - position.y / 300.0, 0.0, 1.0);
}
)";

const char* kFragment2d = R"(#version 330 core
in vec2 texCoord;
out vec4 colour;
uniform sampler2D picture;
uniform int mode;      // 0 opaque texture, 1 colour key black, 2 texture alpha, 3 solid colour
uniform vec4 tint;
void main() {
    if (mode == 3) { colour = tint; return; }
    vec4 t = texture(picture, texCoord);
    if (mode == 1 && t.r == 0.0 && t.g == 0.0 && t.b == 0.0) discard;
    colour = mode == 2 ? t : vec4(t.rgb, 1.0);
}
)";

const char* kVertexPresent = R"(#version 330 core
layout(location = 0) in vec2 position;   // -1..1
out vec2 texCoord;
void main() {
    texCoord = position * 0.5 + 0.5;
    gl_Position = vec4(position, 0.0, 1.0);
}
)";

const char* kFragmentPresent = R"(#version 330 core
in vec2 texCoord;
out vec4 colour;
uniform sampler2D scene;
uniform sampler2D gammaRamp;   // 256 x 1, red green blue ramps / 65535
void main() {
    vec3 c = texture(scene, texCoord).rgb;
    vec3 i = floor(c * 255.0 + 0.5) / 255.0 * (255.0 / 256.0) + 0.5 / 256.0;
    colour = vec4(texture(gammaRamp, vec2(i.r, 0.5)).r,
                  texture(gammaRamp, vec2(i.g, 0.5)).g,
                  texture(gammaRamp, vec2(i.b, 0.5)).b, 1.0);
}
)";

void UploadGamma() {
    if (!display.gammaTexture || !display.rampDirty) return;
    uint16_t rgb[256 * 3];
    for (int i = 0; i < 256; ++i)
        for (int c = 0; c < 3; ++c) rgb[i * 3 + c] = display.ramp[c][i];
    glBindTexture(GL_TEXTURE_2D, display.gammaTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 256, 1, GL_RGB, GL_UNSIGNED_SHORT, rgb);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    display.rampDirty = false;
}

// Binds the back buffer and the 2-D state: no depth, no culling, exact pixels.
void Begin2d() {
    if (windowOverlay.drawing) {
        glBindFramebuffer(GL_FRAMEBUFFER, windowOverlay.framebuffer);
        glViewport(windowOverlay.x, windowOverlay.y, windowOverlay.width, windowOverlay.height);
    } else {
        glBindFramebuffer(GL_FRAMEBUFFER, display.objects.backFramebuffer);
        glViewport(0, 0, kScreenWidth, kScreenHeight);
    }
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_STENCIL_TEST);
    glDepthMask(GL_FALSE);
    glUseProgram(display.program2d);
    glBindVertexArray(display.quadVao);
    glActiveTexture(GL_TEXTURE0);
    glUniform1i(display.loc2dTex, 0);
}

// Back to the render-state baseline the game expects after every draw.
void End2d() {
    glDisable(GL_BLEND);
    glDisable(GL_STENCIL_TEST);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glBindVertexArray(0);
}

void DrawQuad2d(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1) {
    const float vertices[] = {x0, y0, u0, v0, x1, y0, u1, v0, x0, y1, u0, v1, x1, y1, u1, v1};
    glBindBuffer(GL_ARRAY_BUFFER, display.quadVbo);
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof vertices, vertices);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

// The texture formats of a surface depth: internal format, pixel format, type.
struct GlSurfaceFormat {
    GLenum internal, format, type;
};
GlSurfaceFormat FormatOfDepth(int depth) {
    switch (depth) {
    case 16:
        return {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
    case 15:
        return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
    default:
        return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
    }
}

void SetSurfaceTextureParameters() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

void UploadSurface(Surface& s) {
    if (s.texture && !s.dirty && s.textureDepth == s.depth && s.textureGeneration == displayGeneration) return;
    // A texture name from an earlier context is not ours to reuse.
    if (s.textureGeneration != displayGeneration) s.texture = 0;
    if (!s.texture) {
        glGenTextures(1, &s.texture);
        ++liveSurfaceTextures;
    }
    s.textureGeneration = displayGeneration;
    glBindTexture(GL_TEXTURE_2D, s.texture);
    SetSurfaceTextureParameters();
    glPixelStorei(GL_UNPACK_ALIGNMENT, s.depth == 32 ? 4 : 2);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, s.pitch / BytesPerPixel(s.depth));
    const GlSurfaceFormat f = FormatOfDepth(s.depth);
    glTexImage2D(GL_TEXTURE_2D, 0, f.internal, s.width, s.height, 0, f.format, f.type, s.pixels.data());
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    s.dirty = false;
    s.textureDepth = s.depth;
}

bool CreateDepthStorage(unsigned& renderbuffer, bool stencil) {
    glGenRenderbuffers(1, &renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, stencil ? GL_DEPTH24_STENCIL8 : GL_DEPTH_COMPONENT24, kScreenWidth,
                          kScreenHeight);
    return glGetError() == GL_NO_ERROR;
}

}  // namespace

bool CreateDepthFramebuffer(unsigned& renderbuffer, unsigned& framebuffer, bool stencil) {
    if (!CreateDepthStorage(renderbuffer, stencil)) return false;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                              GL_RENDERBUFFER, renderbuffer);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void ForceDisplayFailure(DisplayStep step) { forcedFailure = step; }

int LiveTextureCount() { return liveTextures; }
int LiveSurfaceTextureCount() { return liveSurfaceTextures; }
void CountTextureCreated() { ++liveTextures; }

// The system's OpenGL driver keeps some allocations of its set-up for the whole process;
// a leak checker (in a sanitizer build) is told to leave what is allocated meanwhile.
extern "C" void __lsan_disable() __attribute__((weak));
extern "C" void __lsan_enable() __attribute__((weak));
struct DriverSetUp {
    DriverSetUp() {
        if (__lsan_disable) __lsan_disable();
    }
    ~DriverSetUp() {
        if (__lsan_enable) __lsan_enable();
    }
};

// The driver also keeps a few blocks of its first draws. Under a leak checker every
// library loaded so far stays mapped to the end, so that a report made at exit still
// names the driver's library and the checker's suppressions can match it.
static void KeepLibrariesMappedForLeakChecker() {
    if (!__lsan_enable) return;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) -> int {
            if (info->dlpi_name && info->dlpi_name[0]) dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

DisplayStep CreateGameWindow(const DisplayConfig& config) {
    display.headless = config.headless;
    display.presentWhenHeadless = config.presentWhenHeadless;
    display.displayModeChange = config.displayModeChange;
    display.linearScaling = config.linearScaling;
    SetMessageBoxesHeadless(config.headless);
    if (config.headless) SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (Forced(DisplayStep::VideoSystem)) return DisplayStep::VideoSystem;
    if (!display.videoInitialised) {
        const DriverSetUp driverSetUp;
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return DisplayStep::VideoSystem;
        display.videoInitialised = true;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (!config.headless) flags |= SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    {
        const DriverSetUp driverSetUp;
        display.window = SDL_CreateWindow(config.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          kScreenWidth, kScreenHeight, flags);
    }
    if (!display.window) return DisplayStep::VideoSystem;
    display.fullScreen = false;
    display.way = FullScreenWay::None;
    display.askedWidth = kScreenWidth;
    display.askedHeight = kScreenHeight;
    // The game draws its own pointer.
    if (!config.headless) SDL_ShowCursor(SDL_DISABLE);
    if (Forced(DisplayStep::FullScreen)) return DisplayStep::FullScreen;
    if (config.fullScreen && !config.headless) {
        SetFullScreen(true);
        if (!display.fullScreen) return DisplayStep::FullScreen;
    }
    return DisplayStep::None;
}

namespace {

// The back buffer (colour texture, 800 x 600) and the last game picture: the back buffer's
// colour as a game frame left it before its interface.
DisplayStep CreateBackBuffer(DisplayObjects& o) {
    glGenTextures(1, &o.backColour);
    glBindTexture(GL_TEXTURE_2D, o.backColour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kScreenWidth, kScreenHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glGenFramebuffers(1, &o.backFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, o.backFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, o.backColour, 0);
    if (Forced(DisplayStep::BackBuffer) || glGetError() != GL_NO_ERROR) return DisplayStep::BackBuffer;
    glGenTextures(1, &o.gamePictureColour);
    glBindTexture(GL_TEXTURE_2D, o.gamePictureColour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kScreenWidth, kScreenHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffers(1, &o.gamePictureFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, o.gamePictureFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, o.gamePictureColour, 0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_FRAMEBUFFER, o.backFramebuffer);
    if (glGetError() != GL_NO_ERROR) return DisplayStep::BackBuffer;
    return DisplayStep::None;
}

// The 2-D and present programs and their uniforms.
DisplayStep BuildDisplayPrograms() {
    display.program2d = BuildGlProgram(kVertex2d, kFragment2d, "2-D");
    display.programPresent = BuildGlProgram(kVertexPresent, kFragmentPresent, "present");
    if (Forced(DisplayStep::Device) || !display.program2d || !display.programPresent) return DisplayStep::Device;
    display.loc2dMode = glGetUniformLocation(display.program2d, "mode");
    display.loc2dColour = glGetUniformLocation(display.program2d, "tint");
    display.loc2dTex = glGetUniformLocation(display.program2d, "picture");
    display.locPresentScene = glGetUniformLocation(display.programPresent, "scene");
    display.locPresentGamma = glGetUniformLocation(display.programPresent, "gammaRamp");
    return DisplayStep::None;
}

// Depth (with 8 stencil bits when stencil shadows are wanted) on the back buffer, and the
// off-screen depth buffer of the same format that keeps the scenery depth.
DisplayStep CreateDepthBuffers(DisplayObjects& o, bool stencil) {
    if (Forced(DisplayStep::DepthBuffer) || !CreateDepthStorage(o.backDepthStencil, stencil))
        return DisplayStep::DepthBuffer;
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                              GL_RENDERBUFFER, o.backDepthStencil);
    if (Forced(DisplayStep::AttachDepth) || glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        return DisplayStep::AttachDepth;
    o.depthBits = 24;
    o.stencilBits = stencil ? 8 : 0;
    if (Forced(DisplayStep::OffscreenDepth) || !CreateDepthFramebuffer(o.savedDepthStencil, o.savedFramebuffer, stencil))
        return DisplayStep::OffscreenDepth;
    glBindFramebuffer(GL_FRAMEBUFFER, o.backFramebuffer);
    return DisplayStep::None;
}

// The cube-texture probe: a 256 x 256 six-face cube texture.
void ProbeCubeTextures(DisplayObjects& o) {
    unsigned cube = 0;
    glGenTextures(1, &cube);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    for (int face = 0; face < 6; ++face)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA8, 256, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     nullptr);
    o.cubeTextures = glGetError() == GL_NO_ERROR;
    glDeleteTextures(1, &cube);
}

// Vertex buffers: positions only, and position + colour + uv; the quad index list; the 2-D
// quad used by every screen-space draw.
DisplayStep CreateVertexBuffers(DisplayObjects& o) {
    glGenBuffers(1, &o.positionBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, o.positionBuffer);
    glBufferData(GL_ARRAY_BUFFER, 8192 * 3 * sizeof(float), nullptr, GL_DYNAMIC_DRAW);
    glGenBuffers(1, &o.vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, o.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, 32768 * 24, nullptr, GL_DYNAMIC_DRAW);
    std::vector<uint16_t> indices(kQuadIndexQuads * 6);
    for (int q = 0; q < kQuadIndexQuads; ++q) {
        const uint16_t b = static_cast<uint16_t>(4 * q);
        const uint16_t quad[6] = {b, uint16_t(b + 1), uint16_t(b + 2), uint16_t(b + 1), uint16_t(b + 2),
                                  uint16_t(b + 3)};
        std::copy(quad, quad + 6, indices.begin() + 6 * q);
    }
    glGenBuffers(1, &o.quadIndexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, o.quadIndexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * 2, indices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

    glGenVertexArrays(1, &display.quadVao);
    glBindVertexArray(display.quadVao);
    glGenBuffers(1, &display.quadVbo);
    glBindBuffer(GL_ARRAY_BUFFER, display.quadVbo);
    glBufferData(GL_ARRAY_BUFFER, 16 * sizeof(float), nullptr, GL_DYNAMIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float), reinterpret_cast<void*>(2 * sizeof(float)));
    glBindVertexArray(0);
    if (Forced(DisplayStep::VertexBuffers) || glGetError() != GL_NO_ERROR) return DisplayStep::VertexBuffers;
    return DisplayStep::None;
}

// The thumbnail texture of saved games (256 x 256, 5-6-5, one level) and the gamma lookup
// (256 x 1, 16 bits a channel), filled with the ramp set before or else a straight one.
DisplayStep CreateThumbnailAndGamma(DisplayObjects& o) {
    glGenTextures(1, &o.thumbnailTexture);
    glBindTexture(GL_TEXTURE_2D, o.thumbnailTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB565, 256, 256, 0, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

    glGenTextures(1, &display.gammaTexture);
    glBindTexture(GL_TEXTURE_2D, display.gammaTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB16, 256, 1, 0, GL_RGB, GL_UNSIGNED_SHORT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    if (Forced(DisplayStep::Gamma) || glGetError() != GL_NO_ERROR) return DisplayStep::Gamma;
    if (display.rampDirty) {
        bool set = false;
        for (int i = 0; i < 256 && !set; ++i) set = display.ramp[0][i] != 0;
        if (!set)
            for (int c = 0; c < 3; ++c)
                for (int i = 0; i < 256; ++i) display.ramp[c][i] = static_cast<uint16_t>(std::min(i * 257, 65535));
    }
    display.rampDirty = true;
    UploadGamma();
    return DisplayStep::None;
}

// The baseline render states on the cleared back buffer.
DisplayStep SetBaselineStates(const DisplayObjects& o) {
    // The game's projections give z/w in 0..1, which is the window depth its scenery
    // depth images hold; without clip control the render device maps it in its shader.
    if (epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control"))
        glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    glBindFramebuffer(GL_FRAMEBUFFER, o.backFramebuffer);
    glViewport(0, 0, kScreenWidth, kScreenHeight);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (glGetError() != GL_NO_ERROR) return DisplayStep::Device;
    return DisplayStep::None;
}

}  // namespace

DisplayStep CreateDisplayDevice(bool stencil) {
    if (!display.window) return DisplayStep::VideoSystem;
    if (Forced(DisplayStep::Context)) return DisplayStep::Context;
    {
        const DriverSetUp driverSetUp;
        display.context = SDL_GL_CreateContext(display.window);
    }
    if (!display.context) return DisplayStep::Context;
    KeepLibrariesMappedForLeakChecker();
    SDL_GL_MakeCurrent(display.window, display.context);
    if (Forced(DisplayStep::Version) || epoxy_gl_version() < 33) return DisplayStep::Version;

    DisplayObjects& o = display.objects;
    DisplayStep failed = CreateBackBuffer(o);
    if (failed == DisplayStep::None) failed = BuildDisplayPrograms();
    if (failed == DisplayStep::None) failed = CreateDepthBuffers(o, stencil);
    if (failed != DisplayStep::None) return failed;
    ProbeCubeTextures(o);
    failed = CreateVertexBuffers(o);
    if (failed == DisplayStep::None) failed = CreateThumbnailAndGamma(o);
    if (failed != DisplayStep::None) return failed;
    glGenTextures(1, &display.streamTexture);
    failed = SetBaselineStates(o);
    if (failed != DisplayStep::None) return failed;
    ++displayGeneration;
    liveSurfaceTextures = 0;  // the context that held them is gone
    return DisplayStep::None;
}

void ShowGameWindow() {
    if (display.window) SDL_ShowWindow(display.window);
}

void DestroyDisplay() {
    if (display.context) {
        DisplayObjects& o = display.objects;
        unsigned textures[] = {o.backColour,           o.thumbnailTexture,    display.gammaTexture,
                               display.streamTexture, o.gamePictureColour, display.windowColour};
        glDeleteTextures(6, textures);
        unsigned renderbuffers[] = {o.backDepthStencil, o.savedDepthStencil};
        glDeleteRenderbuffers(2, renderbuffers);
        unsigned framebuffers[] = {o.backFramebuffer, o.savedFramebuffer, o.gamePictureFramebuffer,
                                   display.windowFramebuffer};
        glDeleteFramebuffers(4, framebuffers);
        unsigned buffers[] = {o.positionBuffer, o.vertexBuffer, o.quadIndexBuffer, display.quadVbo};
        glDeleteBuffers(4, buffers);
        glDeleteVertexArrays(1, &display.quadVao);
        if (display.program2d) glDeleteProgram(display.program2d);
        if (display.programPresent) glDeleteProgram(display.programPresent);
        SDL_GL_DeleteContext(display.context);
    }
    if (display.window) SDL_DestroyWindow(display.window);
    DisplayState fresh;
    std::memcpy(fresh.ramp, display.ramp, sizeof fresh.ramp);
    fresh.videoInitialised = display.videoInitialised;
    fresh.rampDirty = true;
    display = fresh;
}

unsigned DisplayGeneration() { return displayGeneration; }

bool DisplayReady() { return display.context != nullptr && display.program2d != 0; }
bool DisplayIsHeadless() { return display.headless; }

namespace {

// Whether the system makes a window full screen when asked: on X11 only a window manager
// does, and without one a request changes nothing but SDL's idea of the window's size.
bool SystemTakesFullScreen() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) return false;
    if (std::strcmp(driver, "x11") == 0) return WindowManagerTakesFullScreen(display.window);
    return true;
}

void AskWindowSize(int width, int height) {
    display.askedWidth = width;
    display.askedHeight = height;
    SDL_SetWindowSize(display.window, width, height);
}

// The borderless window over the desktop the window is on. The border goes first: a
// window manager places a window by its frame, which it takes away only when it has seen
// the change, so the place is checked again when the window has moved (WindowPlacementChanged).
void PlaceBorderless() {
    const int index = std::max(SDL_GetWindowDisplayIndex(display.window), 0);
    if (SDL_GetDisplayBounds(index, &display.wanted) != 0 || display.wanted.w <= 0 || display.wanted.h <= 0)
        display.wanted = {0, 0, kScreenWidth, kScreenHeight};
    SDL_SetWindowBordered(display.window, SDL_FALSE);
    SDL_SetWindowResizable(display.window, SDL_FALSE);
    SDL_SetWindowPosition(display.window, display.wanted.x, display.wanted.y);
    AskWindowSize(display.wanted.w, display.wanted.h);
    display.placementRetries = 3;
}

bool EnterSystemFullScreen() {
    if (!SystemTakesFullScreen()) return false;
    if (display.displayModeChange) {
        const int index = std::max(SDL_GetWindowDisplayIndex(display.window), 0);
        SDL_DisplayMode wanted{}, closest{};
        wanted.w = kScreenWidth;
        wanted.h = kScreenHeight;
        if (SDL_GetClosestDisplayMode(index, &wanted, &closest) && SDL_SetWindowDisplayMode(display.window, &closest) == 0 &&
            SDL_SetWindowFullscreen(display.window, SDL_WINDOW_FULLSCREEN) == 0)
            return true;
    }
    return SDL_SetWindowFullscreen(display.window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
}

}  // namespace

void SetFullScreen(bool fullScreen) {
    if (!display.window || fullScreen == display.fullScreen) return;
    if (fullScreen) {
        // The window's own place and size come back when full screen ends.
        SDL_GetWindowPosition(display.window, &display.windowedX, &display.windowedY);
        SDL_GetWindowSize(display.window, &display.windowedWidth, &display.windowedHeight);
        if (EnterSystemFullScreen()) {
            display.way = FullScreenWay::System;
        } else {
            PlaceBorderless();
            display.way = FullScreenWay::Borderless;
        }
        display.fullScreen = true;
        return;
    }
    if (display.way == FullScreenWay::System) {
        SDL_SetWindowFullscreen(display.window, 0);
    } else {
        SDL_SetWindowBordered(display.window, SDL_TRUE);
        SDL_SetWindowResizable(display.window, display.headless ? SDL_FALSE : SDL_TRUE);
        AskWindowSize(display.windowedWidth, display.windowedHeight);
        SDL_SetWindowPosition(display.window, display.windowedX, display.windowedY);
    }
    display.placementRetries = 0;
    display.way = FullScreenWay::None;
    display.fullScreen = false;
}

bool IsFullScreen() { return display.fullScreen; }

void GetWindowSize(int& width, int& height) {
    width = kScreenWidth;
    height = kScreenHeight;
    if (display.window) SDL_GetWindowSize(display.window, &width, &height);
}

void SetWindowedSize(int width, int height) {
    width = std::clamp(width, 1, 16384);
    height = std::clamp(height, 1, 16384);
    if (display.fullScreen) {
        display.windowedWidth = width;
        display.windowedHeight = height;
    } else if (display.window) {
        AskWindowSize(width, height);
    }
}

bool WindowSizeWasAsked(int width, int height) {
    return width == display.askedWidth && height == display.askedHeight;
}

void WindowPlacementChanged() {
    if (!display.window || display.way != FullScreenWay::Borderless || display.placementRetries <= 0) return;
    int x, y, w, h;
    SDL_GetWindowPosition(display.window, &x, &y);
    SDL_GetWindowSize(display.window, &w, &h);
    if (x == display.wanted.x && y == display.wanted.y && w == display.wanted.w && h == display.wanted.h) return;
    --display.placementRetries;
    SDL_SetWindowPosition(display.window, display.wanted.x, display.wanted.y);
    AskWindowSize(display.wanted.w, display.wanted.h);
}

void ConfinePointer(bool confined) {
    display.pointerConfined = confined && display.window != nullptr;
    if (display.window && !display.headless)
        SDL_SetWindowMouseGrab(display.window, display.pointerConfined ? SDL_TRUE : SDL_FALSE);
}

bool PointerConfined() { return display.pointerConfined; }

static void ViewRect(int& vx, int& vy, int& vw, int& vh) {
    int w = kScreenWidth, h = kScreenHeight;
    if (display.window) SDL_GL_GetDrawableSize(display.window, &w, &h);
    if (w <= 0 || h <= 0) {
        w = kScreenWidth;
        h = kScreenHeight;
    }
    // The largest 4:3 rectangle, centred.
    if (static_cast<int64_t>(w) * 3 > static_cast<int64_t>(h) * 4) {
        vh = h;
        vw = h * 4 / 3;
    } else {
        vw = w;
        vh = w * 3 / 4;
    }
    // A window a pixel high still shows (and maps) the picture.
    vw = std::max(vw, 1);
    vh = std::max(vh, 1);
    vx = (w - vw) / 2;
    vy = (h - vh) / 2;
}

namespace {

// The window's size in points and its drawable's in pixels (larger on high-DPI screens).
void WindowAndDrawableSize(int& ww, int& wh, int& dw, int& dh) {
    ww = dw = kScreenWidth;
    wh = dh = kScreenHeight;
    if (!display.window) return;
    SDL_GetWindowSize(display.window, &ww, &wh);
    SDL_GL_GetDrawableSize(display.window, &dw, &dh);
    if (ww <= 0 || wh <= 0 || dw <= 0 || dh <= 0) ww = dw = kScreenWidth, wh = dh = kScreenHeight;
}

}  // namespace

void WindowToScreen(int wx, int wy, int& sx, int& sy) {
    int vx, vy, vw, vh, ww, wh, dw, dh;
    ViewRect(vx, vy, vw, vh);
    WindowAndDrawableSize(ww, wh, dw, dh);
    const double px = wx * static_cast<double>(dw) / ww, py = wy * static_cast<double>(dh) / wh;
    // Points far outside the window (a replay may name any) stay representable.
    sx = static_cast<int>(std::clamp(std::floor((px - vx) * kScreenWidth / vw), -1e6, 1e6));
    sy = static_cast<int>(std::clamp(std::floor((py - vy) * kScreenHeight / vh), -1e6, 1e6));
}

void ScreenToWindow(int sx, int sy, int& wx, int& wy) {
    int vx, vy, vw, vh, ww, wh, dw, dh;
    ViewRect(vx, vy, vw, vh);
    WindowAndDrawableSize(ww, wh, dw, dh);
    // The middle of the window pixels that show the screen pixel.
    const double px = vx + (sx + 0.5) * vw / kScreenWidth, py = vy + (sy + 0.5) * vh / kScreenHeight;
    wx = static_cast<int>(std::clamp(std::floor(px * ww / dw), -1e6, 1e6));
    wy = static_cast<int>(std::clamp(std::floor(py * wh / dh), -1e6, 1e6));
}

void ClearBackBuffer(float r, float g, float b) {
    if (!DisplayReady()) return;
    glBindFramebuffer(GL_FRAMEBUFFER, display.objects.backFramebuffer);
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

namespace {

// The framebuffer a presented headless window draws into, of the window's drawable size.
bool BindWindowTarget(int width, int height) {
    if (display.windowTargetWidth != width || display.windowTargetHeight != height) {
        if (!display.windowColour) glGenTextures(1, &display.windowColour);
        if (!display.windowFramebuffer) glGenFramebuffers(1, &display.windowFramebuffer);
        glBindTexture(GL_TEXTURE_2D, display.windowColour);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glBindFramebuffer(GL_FRAMEBUFFER, display.windowFramebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, display.windowColour, 0);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            display.windowTargetWidth = display.windowTargetHeight = 0;
            return false;
        }
        display.windowTargetWidth = width;
        display.windowTargetHeight = height;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, display.windowFramebuffer);
    return true;
}

// Top-down RGB rows of a framebuffer's colour; with gamma, as the player sees them.
std::vector<uint8_t> ReadFramebufferRgb(unsigned framebuffer, int width, int height, bool applyGamma) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3, 0);
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glBindFramebuffer(GL_FRAMEBUFFER, display.objects.backFramebuffer);
    // GL rows run bottom-up; the game's screen runs top-down.
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = rgba.data() + static_cast<size_t>(height - 1 - y) * width * 4;
        uint8_t* dst = rgb.data() + static_cast<size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                uint8_t v = src[x * 4 + c];
                if (applyGamma) v = static_cast<uint8_t>(display.ramp[c][v] * 255u / 65535u);
                dst[x * 3 + c] = v;
            }
        }
    }
    return rgb;
}

void CopyRgbInto(const std::vector<uint8_t>& rgb, Surface& target) {
    const int w = std::min(target.width, kScreenWidth), h = std::min(target.height, kScreenHeight);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = rgb.data() + (static_cast<size_t>(y) * kScreenWidth + x) * 3;
            SetPixel(target, x, y, PackRgb(target.depth, p[0], p[1], p[2]));
        }
    target.dirty = true;
}

}  // namespace

void SetWindowOverlay(void (*draw)()) { windowOverlay.draw = draw; }

void Present(bool vsync) {
    if (!DisplayReady()) return;
    if (display.headless && !display.presentWhenHeadless) {
        // Nobody sees a headless window: screenshots and thumbnails read the back buffer
        // (with the gamma ramp applied on the way), so the scaled copy and the swap, half
        // of a headless frame on a software rasteriser, are left out.
        glBindFramebuffer(GL_FRAMEBUFFER, display.objects.backFramebuffer);
        glViewport(0, 0, kScreenWidth, kScreenHeight);
        glEnable(GL_DEPTH_TEST);
        return;
    }
    UploadGamma();
    int w, h;
    SDL_GL_GetDrawableSize(display.window, &w, &h);
    if (display.headless) {
        if (w <= 0 || h <= 0 || !BindWindowTarget(w, h)) return;
    } else {
        // The swap interval changes rarely (with the scene's frame-rate cap and videos).
        static int swapInterval = -1;
        static unsigned swapGeneration = 0;
        const int wanted = vsync ? 1 : 0;
        if ((swapInterval != wanted || swapGeneration != displayGeneration) && SDL_GL_SetSwapInterval(wanted) == 0) {
            swapInterval = wanted;
            swapGeneration = displayGeneration;
        }
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    glViewport(0, 0, w, h);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    int vx, vy, vw, vh;
    ViewRect(vx, vy, vw, vh);
    // The view's top-left is in window terms; GL's viewport counts from the bottom.
    glViewport(vx, h - vy - vh, vw, vh);
    glUseProgram(display.programPresent);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, display.objects.backColour);
    GLint filter = display.linearScaling ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glUniform1i(display.locPresentScene, 0);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, display.gammaTexture);
    glUniform1i(display.locPresentGamma, 1);
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(display.quadVao);
    const float vertices[] = {-1, -1, 0, 0, 1, -1, 0, 0, -1, 1, 0, 0, 1, 1, 0, 0};
    glBindBuffer(GL_ARRAY_BUFFER, display.quadVbo);
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof vertices, vertices);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
    if (windowOverlay.draw) {
        windowOverlay.framebuffer = display.headless ? display.windowFramebuffer : 0;
        windowOverlay.x = vx;
        windowOverlay.y = h - vy - vh;
        windowOverlay.width = vw;
        windowOverlay.height = vh;
        windowOverlay.drawing = true;
        windowOverlay.draw();
        windowOverlay.drawing = false;
    }
    if (!display.headless) SDL_GL_SwapWindow(display.window);
    glBindFramebuffer(GL_FRAMEBUFFER, display.objects.backFramebuffer);
    glViewport(0, 0, kScreenWidth, kScreenHeight);
    glEnable(GL_DEPTH_TEST);
}

std::vector<uint8_t> ReadWindowRgb(int& width, int& height) {
    width = height = 0;
    if (!DisplayReady() || !display.headless || !display.windowFramebuffer || display.windowTargetWidth <= 0)
        return {};
    width = display.windowTargetWidth;
    height = display.windowTargetHeight;
    return ReadFramebufferRgb(display.windowFramebuffer, width, height, false);
}

namespace {

// Copies screen rectangles (top-down, clipped) of the back buffer into the kept game picture.
void BlitToGamePicture(std::initializer_list<SDL_Rect> rects) {
    const DisplayObjects& o = display.objects;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, o.backFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, o.gamePictureFramebuffer);
    for (const SDL_Rect& r : rects) {
        const int x0 = std::clamp(r.x, 0, kScreenWidth), x1 = std::clamp(r.x + r.w, 0, kScreenWidth);
        const int y0 = std::clamp(r.y, 0, kScreenHeight), y1 = std::clamp(r.y + r.h, 0, kScreenHeight);
        if (x0 >= x1 || y0 >= y1) continue;
        // GL rows count from the bottom.
        glBlitFramebuffer(x0, kScreenHeight - y1, x1, kScreenHeight - y0, x0, kScreenHeight - y1, x1,
                          kScreenHeight - y0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, o.backFramebuffer);
}

// The rectangle of this frame that KeepGamePictureUnder took.
SDL_Rect keptUnder{0, 0, 0, 0};

}  // namespace

void KeepGamePictureUnder(int x, int y, int width, int height) {
    keptUnder = {x, y, std::max(width, 0), std::max(height, 0)};
    if (DisplayReady()) BlitToGamePicture({keptUnder});
}

void KeepGamePicture() {
    const SDL_Rect r = keptUnder;
    keptUnder = {0, 0, 0, 0};
    if (!DisplayReady()) return;
    if (r.w <= 0 || r.h <= 0) {
        BlitToGamePicture({{0, 0, kScreenWidth, kScreenHeight}});
        return;
    }
    // Above, below, left and right of the rectangle.
    BlitToGamePicture({{0, 0, kScreenWidth, r.y},
                       {0, r.y + r.h, kScreenWidth, kScreenHeight - r.y - r.h},
                       {0, r.y, r.x, r.h},
                       {r.x + r.w, r.y, kScreenWidth - r.x - r.w, r.h}});
}

void ReadGamePictureInto(Surface& target) {
    if (!DisplayReady()) return;
    CopyRgbInto(ReadFramebufferRgb(display.objects.gamePictureFramebuffer, kScreenWidth, kScreenHeight, false),
                target);
}

void SetGammaRamp(const uint16_t* red, const uint16_t* green, const uint16_t* blue) {
    std::memcpy(display.ramp[0], red, 512);
    std::memcpy(display.ramp[1], green, 512);
    std::memcpy(display.ramp[2], blue, 512);
    display.rampDirty = true;
}

const uint16_t* GammaRamp(int channel) { return display.ramp[std::clamp(channel, 0, 2)]; }

void DrawSurface(Surface& surface, int x, int y, const Rect* source, bool colourKeyBlack) {
    if (!DisplayReady() || surface.width <= 0 || surface.height <= 0) return;
    Rect r = source ? *source : Rect{0, 0, surface.width, surface.height};
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, surface.width);
    r.bottom = std::min(r.bottom, surface.height);
    if (r.left >= r.right || r.top >= r.bottom) return;
    Begin2d();
    UploadSurface(surface);
    glBindTexture(GL_TEXTURE_2D, surface.texture);
    glUniform1i(display.loc2dMode, colourKeyBlack ? 1 : 0);
    glDisable(GL_BLEND);
    const float w = static_cast<float>(surface.width), h = static_cast<float>(surface.height);
    DrawQuad2d(static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + r.right - r.left),
               static_cast<float>(y + r.bottom - r.top), r.left / w, r.top / h, r.right / w, r.bottom / h);
    End2d();
}

void DrawColourRect(int x0, int y0, int x1, int y1, uint8_t r, uint8_t g, uint8_t b, uint8_t alpha,
                    bool onlyWhereStencilSet) {
    if (!DisplayReady()) return;
    Begin2d();
    glUniform1i(display.loc2dMode, 3);
    glUniform4f(display.loc2dColour, r / 255.0f, g / 255.0f, b / 255.0f, alpha / 255.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (onlyWhereStencilSet) {
        // Pass where the stencil value is not 0, and zero it as the pixel is darkened.
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(GL_NOTEQUAL, 0, 0xFFFFFFFF);
        glStencilOp(GL_KEEP, GL_KEEP, GL_ZERO);
        MarkBackDepthChanged(x0, y0, x1, y1);
    }
    DrawQuad2d(static_cast<float>(x0), static_cast<float>(y0), static_cast<float>(x1), static_cast<float>(y1), 0, 0,
               0, 0);
    End2d();
}

void DrawRgbaImage(int x, int y, int width, int height, const uint8_t* rgba) {
    if (!DisplayReady() || width <= 0 || height <= 0 || !rgba) return;
    Begin2d();
    glBindTexture(GL_TEXTURE_2D, display.streamTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glUniform1i(display.loc2dMode, 2);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    DrawQuad2d(static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + width),
               static_cast<float>(y + height), 0, 0, 1, 1);
    End2d();
}

std::vector<uint8_t> ReadBackBufferRgb(bool applyGamma) {
    if (!DisplayReady()) return std::vector<uint8_t>(kScreenWidth * kScreenHeight * 3, 0);
    return ReadFramebufferRgb(display.objects.backFramebuffer, kScreenWidth, kScreenHeight, applyGamma);
}

void ReadBackBufferInto(Surface& target) {
    if (!DisplayReady()) return CopyRgbInto(ReadBackBufferRgb(false), target);
    // The read's buffer is kept: a fresh one would be faulted in on the frame of every switch.
    static std::vector<uint8_t> pixels;
    pixels.resize(static_cast<size_t>(kScreenWidth) * kScreenHeight * 4);
    const bool bgra = target.depth == 32;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, display.objects.backFramebuffer);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // A 32-bit surface takes the pixels in its own byte order, only the unused byte cleared.
    glReadPixels(0, 0, kScreenWidth, kScreenHeight, bgra ? GL_BGRA : GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_FRAMEBUFFER, display.objects.backFramebuffer);
    // Row by row into the surface's format (this is on the frame of every scene switch).
    const int w = std::min(target.width, kScreenWidth), h = std::min(target.height, kScreenHeight);
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = pixels.data() + static_cast<size_t>(kScreenHeight - 1 - y) * kScreenWidth * 4;
        uint8_t* dst = PixelRow(target, y);
        if (bgra) {
            std::memcpy(dst, src, static_cast<size_t>(w) * 4);
            for (int x = 0; x < w; ++x) dst[x * 4 + 3] = 0;
        } else {
            for (int x = 0; x < w; ++x, src += 4, dst += 2) {
                const uint16_t v = static_cast<uint16_t>(PackRgb(target.depth, src[0], src[1], src[2]));
                std::memcpy(dst, &v, 2);
            }
        }
    }
    target.dirty = true;
}

Texture* CreateTextureRgba(int width, int height, const uint8_t* rgba, bool mipmaps, bool linear) {
    if (!DisplayReady() || width <= 0 || height <= 0 || width > 8192 || height > 8192 || !rgba) return nullptr;
    auto* t = new Texture;
    ++liveTextures;
    t->width = width;
    t->height = height;
    t->mipmapped = mipmaps;
    for (size_t i = 0; i < static_cast<size_t>(width) * height && !t->hasAlpha; ++i) t->hasAlpha = rgba[i * 4 + 3] != 255;
    glGenTextures(1, &t->id);
    glBindTexture(GL_TEXTURE_2D, t->id);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    if (mipmaps) glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    mipmaps ? (linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST)
                            : (linear ? GL_LINEAR : GL_NEAREST));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, linear ? GL_LINEAR : GL_NEAREST);
    return t;
}

bool UploadThumbnailTexture(const uint8_t* rgb) {
    const DisplayObjects& o = GetDisplayObjects();
    if (!DisplayReady() || !o.thumbnailTexture || !rgb) return false;
    // Converted to the texture's own 5-6-5 format.
    std::vector<uint16_t> pixels(256 * 256);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint8_t* p = rgb + i * 3;
        pixels[i] = static_cast<uint16_t>(((p[0] >> 3) << 11) | ((p[1] >> 2) << 5) | (p[2] >> 3));
    }
    glBindTexture(GL_TEXTURE_2D, o.thumbnailTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 256, 256, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    return glGetError() == GL_NO_ERROR;
}

Texture ThumbnailTexture() {
    Texture t;
    t.id = GetDisplayObjects().thumbnailTexture;
    t.width = t.height = 256;
    return t;
}

void ReleaseTexture(Texture*& texture) {
    if (!texture) return;
    if (texture->id && display.context) glDeleteTextures(1, &texture->id);
    delete texture;
    --liveTextures;
    texture = nullptr;
}

void DrawTexture(const Texture& texture, int x, int y, int width, int height, bool alphaBlend) {
    if (!DisplayReady() || !texture.id) return;
    Begin2d();
    glBindTexture(GL_TEXTURE_2D, texture.id);
    glUniform1i(display.loc2dMode, alphaBlend ? 2 : 0);
    if (alphaBlend) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    DrawQuad2d(static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + width),
               static_cast<float>(y + height), 0, 0, 1, 1);
    End2d();
}

bool StageSurfaceRows(StagedSurfaceTexture& stage, int width, int height, int depth, const uint8_t* rows, int first,
                      int count) {
    if (!DisplayReady() || !rows || width <= 0 || height <= 0 || width > 8192 || height > 8192 || first < 0 ||
        count <= 0 || first + count > height)
        return false;
    // A texture of an earlier display is not ours to use.
    if (stage.generation != displayGeneration) stage.texture = 0;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    const GlSurfaceFormat f = FormatOfDepth(depth);
    const bool fresh = !stage.texture || stage.width != width || stage.height != height || stage.depth != depth;
    if (!stage.texture) {
        glGenTextures(1, &stage.texture);
        ++liveSurfaceTextures;
    }
    glBindTexture(GL_TEXTURE_2D, stage.texture);
    if (fresh) {
        SetSurfaceTextureParameters();
        glTexImage2D(GL_TEXTURE_2D, 0, f.internal, width, height, 0, f.format, f.type, nullptr);
        stage.generation = displayGeneration;
        stage.width = width;
        stage.height = height;
        stage.depth = depth;
    }
    const size_t rowBytes = static_cast<size_t>(width) * BytesPerPixel(depth);
    glPixelStorei(GL_UNPACK_ALIGNMENT, depth == 32 ? 4 : 2);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, first, width, count, f.format, f.type, rows + rowBytes * first);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    stage.rowsDone = first == 0 ? count : stage.rowsDone + count;
    return glGetError() == GL_NO_ERROR;
}

bool GiveStagedTexture(StagedSurfaceTexture& stage, Surface& surface) {
    if (!DisplayReady() || !stage.texture || stage.generation != displayGeneration || stage.rowsDone != stage.height ||
        stage.width != surface.width || stage.height != surface.height || stage.depth != surface.depth)
        return false;
    // The surface's own texture, when it is of this display, is the next picture's stage.
    const unsigned kept = surface.textureGeneration == displayGeneration ? surface.texture : 0;
    const int keptDepth = surface.textureDepth;
    surface.texture = stage.texture;
    surface.textureDepth = surface.depth;
    surface.textureGeneration = displayGeneration;
    surface.dirty = false;
    stage.texture = kept;
    stage.rowsDone = 0;
    stage.depth = kept ? keptDepth : 0;
    return true;
}

const DisplayObjects& GetDisplayObjects() { return display.objects; }

void ReleaseSurface(Surface*& surface) {
    if (!surface) return;
    if (surface->texture && display.context && surface->textureGeneration == displayGeneration) {
        glDeleteTextures(1, &surface->texture);
        --liveSurfaceTextures;
    }
    delete surface;
    CountSurfaceReleased();
    surface = nullptr;
}

}  // namespace tarvex
