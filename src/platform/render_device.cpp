#include "platform/render_device.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/depth_bound.h"
#include "platform/display.h"
#include "platform/gl_program.h"

namespace tarvex::device {

namespace {

const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec4 colour;
layout(location = 3) in vec2 uv;

uniform mat4 world;
uniform mat4 view;
uniform mat4 projection;
uniform int vertexMode;        // 0 mesh, 1 coloured, 2 pre-transformed, 3 positions
uniform bool lighting;
uniform bool normalizeNormals;
uniform vec4 ambient;
uniform vec4 materialDiffuse;
uniform vec4 materialAmbient;
uniform vec4 materialEmissive;
uniform int lightCount;
uniform vec3 lightPosition[16];
uniform vec4 lightDiffuse[16];
uniform float lightRange[16];
uniform vec3 lightAttenuation[16];
uniform bool clipZeroToOne;

out vec4 diffuse;
flat out vec4 flatDiffuse;
out vec2 texCoord;
out float fogFactor;
uniform bool fog;
uniform float fogStart;
uniform float fogEnd;
invariant gl_Position;  // the depth-and-stencil program below must land on the same pixels and depths

void main() {
    texCoord = uv;
    vec4 base = (vertexMode == 1 || vertexMode == 2) ? colour : vec4(1.0);
    if (vertexMode == 2) {
        float w = position.w > 0.0 ? 1.0 / position.w : 1.0;
        gl_Position = vec4((position.x / 400.0 - 1.0) * w, (1.0 - position.y / 300.0) * w, position.z * w, w);
        if (!clipZeroToOne) gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;
        diffuse = base;
        flatDiffuse = base;
        fogFactor = 1.0;
        return;
    }
    vec4 worldPosition = world * vec4(position.xyz, 1.0);
    vec4 eye = view * worldPosition;
    gl_Position = projection * eye;
    if (!clipZeroToOne) gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;
    if (lighting) {
        vec3 n = mat3(world) * normal;
        if (normalizeNormals && dot(n, n) > 0.0) n = normalize(n);
        vec3 c = materialAmbient.rgb * ambient.rgb + materialEmissive.rgb;
        for (int i = 0; i < lightCount; ++i) {
            vec3 toLight = lightPosition[i] - worldPosition.xyz;
            float d = length(toLight);
            if (d > lightRange[i]) continue;
            float a = lightAttenuation[i].x + lightAttenuation[i].y * d + lightAttenuation[i].z * d * d;
            float attenuation = a > 0.0 ? 1.0 / a : 1.0;
            float lambert = d > 0.0 ? max(dot(n, toLight / d), 0.0) : 0.0;
            c += materialDiffuse.rgb * lightDiffuse[i].rgb * lambert * attenuation;
        }
        base = vec4(clamp(c, 0.0, 1.0), materialDiffuse.a);
    }
    diffuse = base;
    flatDiffuse = base;
    fogFactor = fog ? clamp((fogEnd - eye.z) / max(fogEnd - fogStart, 1e-6), 0.0, 1.0) : 1.0;
}
)";

const char* kFragmentShader = R"(
in vec4 diffuse;
flat in vec4 flatDiffuse;
in vec2 texCoord;
in float fogFactor;
out vec4 result;

uniform sampler2D picture;
uniform bool textured;
uniform int colourOp;          // 0 modulate, 1 texture, 2 diffuse
uniform bool alphaFromDiffuse;
uniform bool flatShading;
uniform bool alphaTest;
uniform int alphaFunction;     // compare enum
uniform float alphaReference;  // 0..255
uniform vec3 fogColour;

bool Passes(int f, float a, float r) {
    if (f == 0) return false;
    if (f == 1) return a < r;
    if (f == 2) return a == r;
    if (f == 3) return a <= r;
    if (f == 4) return a > r;
    if (f == 5) return a != r;
    if (f == 6) return a >= r;
    return true;
}

void main() {
    vec4 d = flatShading ? flatDiffuse : diffuse;
    vec4 t = textured ? texture(picture, texCoord) : vec4(1.0);
    vec3 rgb = colourOp == 0 ? t.rgb * d.rgb : (colourOp == 1 ? t.rgb : d.rgb);
    float alpha = alphaFromDiffuse ? d.a : (textured ? t.a : d.a);
#ifdef ALPHA_TEST
    if (alphaTest && !Passes(alphaFunction, floor(alpha * 255.0 + 0.5), alphaReference)) discard;
#endif
    rgb = mix(fogColour, rgb, fogFactor);
    result = vec4(rgb, alpha);
}
)";

// Draws that write no colour (the invisible stencil passes) only need positions: the
// same transform as above, and a fragment stage with nothing to do.
const char* kVertexDepthStencil = R"(#version 330 core
layout(location = 0) in vec4 position;
uniform mat4 world;
uniform mat4 view;
uniform mat4 projection;
uniform int vertexMode;
uniform bool clipZeroToOne;
invariant gl_Position;

void main() {
    if (vertexMode == 2) {
        float w = position.w > 0.0 ? 1.0 / position.w : 1.0;
        gl_Position = vec4((position.x / 400.0 - 1.0) * w, (1.0 - position.y / 300.0) * w, position.z * w, w);
        if (!clipZeroToOne) gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;
        return;
    }
    vec4 worldPosition = world * vec4(position.xyz, 1.0);
    vec4 eye = view * worldPosition;
    gl_Position = projection * eye;
    if (!clipZeroToOne) gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;
}
)";

const char* kFragmentDepthStencil = R"(#version 330 core
out vec4 result;
void main() { result = vec4(0.0); }
)";

struct DeviceState {
    float world[16], view[16], projection[16];
    Light lights[kMaxLights];
    bool lightOn[kMaxLights] = {};
    uint32_t ambient = 0;
    Material material;
    bool lighting = false;
    bool normalizeNormals = false;
    const Texture* texture = nullptr;
    TextureOp colourOp = TextureOp::Modulate;
    bool alphaFromDiffuse = false;
    bool linear = true, mipLinear = true;
    bool clamp = false;
    bool fog = false;
    float fogStart = 0, fogEnd = 0;
    uint32_t fogColour = 0xFFFFFF;
    bool alphaTest = false;
    int alphaReference = 0;
    Compare alphaFunction = Compare::Always;
    bool stencil = false;
    Compare stencilFunction = Compare::Always;
    int stencilReference = 0;
    uint32_t stencilMask = 0xFFFFFFFF, stencilWriteMask = 0xFFFFFFFF;
    StencilOp stencilFail = StencilOp::Keep, stencilDepthFail = StencilOp::Keep, stencilPass = StencilOp::Keep;
    bool twoSidedStencil = false;
    StencilOp ccwFail = StencilOp::Keep, ccwDepthFail = StencilOp::Keep, ccwPass = StencilOp::Keep;
    bool blend = false;
    BlendFactor blendSource = BlendFactor::One, blendDestination = BlendFactor::Zero;
    Cull cull = Cull::CounterClockwise;
    bool depthTest = true;
    Compare depthFunction = Compare::LessEqual;
    bool depthWrite = true;
    Shading shading = Shading::Gouraud;
};

DeviceState state;

struct GlObjects {
    unsigned generation = 0;
    unsigned program = 0;           // without an alpha test: depth and stencil can be tested before shading
    unsigned alphaTestProgram = 0;  // the same with the alpha test, which may discard pixels
    unsigned depthStencilProgram = 0;
    unsigned vao = 0, vbo = 0, ibo = 0;
    bool clipZeroToOne = false;
    int loc[40];
    int alphaTestLoc[40];
    int depthStencilLoc[5];  // world, view, projection, vertexMode, clipZeroToOne
};
GlObjects gl;

enum Loc {
    kWorld, kView, kProjection, kVertexMode, kLighting, kNormalize, kAmbient, kMatDiffuse, kMatAmbient,
    kMatEmissive, kLightCount, kLightPosition, kLightDiffuse, kLightRange, kLightAttenuation, kClip, kFog,
    kFogStart, kFogEnd, kPicture, kTextured, kColourOp, kAlphaFromDiffuse, kFlat, kAlphaTest, kAlphaFunction,
    kAlphaReference, kFogColour, kLocCount
};
const char* kLocNames[kLocCount] = {
    "world", "view", "projection", "vertexMode", "lighting", "normalizeNormals", "ambient", "materialDiffuse",
    "materialAmbient", "materialEmissive", "lightCount", "lightPosition", "lightDiffuse", "lightRange",
    "lightAttenuation", "clipZeroToOne", "fog", "fogStart", "fogEnd", "picture", "textured", "colourOp",
    "alphaFromDiffuse", "flatShading", "alphaTest", "alphaFunction", "alphaReference", "fogColour"};

void Identity(float* m) {
    std::memset(m, 0, 16 * sizeof(float));
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

struct StateInit {
    StateInit() {
        Identity(state.world);
        Identity(state.view);
        Identity(state.projection);
    }
} stateInit;

GLenum GlCompare(Compare c) {
    static const GLenum map[] = {GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return map[static_cast<int>(c)];
}

GLenum GlStencilOp(StencilOp op) {
    static const GLenum map[] = {GL_KEEP, GL_ZERO, GL_REPLACE, GL_INCR, GL_DECR, GL_INVERT, GL_INCR_WRAP, GL_DECR_WRAP};
    return map[static_cast<int>(op)];
}

GLenum GlBlend(BlendFactor f) {
    static const GLenum map[] = {GL_ZERO, GL_ONE, GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, GL_SRC_ALPHA,
                                 GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA, GL_DST_COLOR,
                                 GL_ONE_MINUS_DST_COLOR};
    return map[static_cast<int>(f)];
}

bool Ready() {
    if (!DisplayReady()) return false;
    if (gl.program && gl.generation == DisplayGeneration()) return true;
    return InitRenderDevice();
}

void Colour(uint32_t argb, float* out) {
    out[0] = ((argb >> 16) & 0xFF) / 255.0f;
    out[1] = ((argb >> 8) & 0xFF) / 255.0f;
    out[2] = (argb & 0xFF) / 255.0f;
    out[3] = ((argb >> 24) & 0xFF) / 255.0f;
}

void ApplyShading(int vertexMode);
void ApplyFixedStates(bool keepsColour);

// After a draw: colour writes back on for whoever draws next with GL directly.
void EndDraw() {
    glBindVertexArray(0);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

// Applies every state to GL and the program; returns false when nothing can draw.
bool Apply(int vertexMode) {
    if (!Ready()) return false;
    const DisplayObjects& o = GetDisplayObjects();
    glBindFramebuffer(GL_FRAMEBUFFER, o.backFramebuffer);
    glViewport(0, 0, kScreenWidth, kScreenHeight);
    // A blend that keeps the destination as it is writes no colour: without an alpha test
    // deciding which pixels count, only the positions matter and the lean program draws.
    const bool keepsColour =
        state.blend && state.blendSource == BlendFactor::Zero && state.blendDestination == BlendFactor::One;
    if (keepsColour && !state.alphaTest) {
        glUseProgram(gl.depthStencilProgram);
        const int* D = gl.depthStencilLoc;
        glUniformMatrix4fv(D[0], 1, GL_FALSE, state.world);
        glUniformMatrix4fv(D[1], 1, GL_FALSE, state.view);
        glUniformMatrix4fv(D[2], 1, GL_FALSE, state.projection);
        glUniform1i(D[3], vertexMode);
        glUniform1i(D[4], gl.clipZeroToOne);
    } else {
        ApplyShading(vertexMode);
    }
    ApplyFixedStates(keepsColour);
    glBindVertexArray(gl.vao);
    return true;
}

// The full program and its uniforms: transform, lighting, texture, fog, alpha test.
void ApplyShading(int vertexMode) {
    glUseProgram(state.alphaTest ? gl.alphaTestProgram : gl.program);
    const int* L = state.alphaTest ? gl.alphaTestLoc : gl.loc;
    glUniformMatrix4fv(L[kWorld], 1, GL_FALSE, state.world);
    glUniformMatrix4fv(L[kView], 1, GL_FALSE, state.view);
    glUniformMatrix4fv(L[kProjection], 1, GL_FALSE, state.projection);
    glUniform1i(L[kVertexMode], vertexMode);
    glUniform1i(L[kClip], gl.clipZeroToOne);
    const bool lit = state.lighting && vertexMode != 2;
    glUniform1i(L[kLighting], lit);
    glUniform1i(L[kNormalize], state.normalizeNormals);
    float ambient[4];
    Colour(state.ambient, ambient);
    glUniform4fv(L[kAmbient], 1, ambient);
    glUniform4fv(L[kMatDiffuse], 1, state.material.diffuse);
    glUniform4fv(L[kMatAmbient], 1, state.material.ambient);
    glUniform4fv(L[kMatEmissive], 1, state.material.emissive);
    float pos[kMaxLights * 3], dif[kMaxLights * 4], range[kMaxLights], att[kMaxLights * 3];
    int n = 0;
    for (int i = 0; i < kMaxLights; ++i) {
        if (!state.lightOn[i]) continue;
        std::memcpy(pos + 3 * n, state.lights[i].position, 12);
        std::memcpy(dif + 4 * n, state.lights[i].diffuse, 16);
        range[n] = state.lights[i].range;
        std::memcpy(att + 3 * n, state.lights[i].attenuation, 12);
        ++n;
    }
    glUniform1i(L[kLightCount], n);
    if (n) {
        glUniform3fv(L[kLightPosition], n, pos);
        glUniform4fv(L[kLightDiffuse], n, dif);
        glUniform1fv(L[kLightRange], n, range);
        glUniform3fv(L[kLightAttenuation], n, att);
    }
    const bool fog = state.fog && vertexMode != 2;
    glUniform1i(L[kFog], fog);
    glUniform1f(L[kFogStart], state.fogStart);
    glUniform1f(L[kFogEnd], state.fogEnd);
    float fogColour[4];
    Colour(state.fogColour, fogColour);
    glUniform3fv(L[kFogColour], 1, fogColour);

    const bool textured = state.texture && state.texture->id && vertexMode != 3;
    glUniform1i(L[kTextured], textured);
    glActiveTexture(GL_TEXTURE0);
    glUniform1i(L[kPicture], 0);
    if (textured) {
        glBindTexture(GL_TEXTURE_2D, state.texture->id);
        const bool mip = state.texture->mipmapped;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, state.linear ? GL_LINEAR : GL_NEAREST);
        GLint min = state.linear ? GL_LINEAR : GL_NEAREST;
        if (mip) min = state.linear ? (state.mipLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST)
                                    : (state.mipLinear ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min);
        const GLint wrap = state.clamp ? GL_CLAMP_TO_EDGE : GL_REPEAT;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    }
    glUniform1i(L[kColourOp], static_cast<int>(state.colourOp));
    glUniform1i(L[kAlphaFromDiffuse], state.alphaFromDiffuse);
    glUniform1i(L[kFlat], state.shading == Shading::Flat);
    glUniform1i(L[kAlphaTest], state.alphaTest);
    glUniform1i(L[kAlphaFunction], static_cast<int>(state.alphaFunction));
    glUniform1f(L[kAlphaReference], static_cast<float>(state.alphaReference));
}

// Depth, stencil, blend, colour writes and culling.
void ApplyFixedStates(bool keepsColour) {
    // A depth test that lets farther fragments through may write depths beyond the bound.
    const Compare f = state.depthFunction;
    if (state.depthTest && state.depthWrite && f != Compare::Never && f != Compare::Less && f != Compare::Equal &&
        f != Compare::LessEqual)
        BoundBackDepthBy(1.0f);
    if (state.depthTest) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GlCompare(state.depthFunction));
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glDepthMask(state.depthWrite ? GL_TRUE : GL_FALSE);
    if (state.stencil) {
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(GlCompare(state.stencilFunction), state.stencilReference, state.stencilMask);
        glStencilMask(state.stencilWriteMask);
        if (state.twoSidedStencil) {
            // Clockwise faces on the screen are GL's front faces (see the culling below).
            glStencilOpSeparate(GL_FRONT, GlStencilOp(state.stencilFail), GlStencilOp(state.stencilDepthFail),
                                GlStencilOp(state.stencilPass));
            glStencilOpSeparate(GL_BACK, GlStencilOp(state.ccwFail), GlStencilOp(state.ccwDepthFail),
                                GlStencilOp(state.ccwPass));
        } else {
            glStencilOp(GlStencilOp(state.stencilFail), GlStencilOp(state.stencilDepthFail),
                        GlStencilOp(state.stencilPass));
        }
    } else {
        glDisable(GL_STENCIL_TEST);
        glStencilMask(0xFFFFFFFF);
    }
    glColorMask(!keepsColour, !keepsColour, !keepsColour, !keepsColour);
    if (state.blend && !keepsColour) {
        glEnable(GL_BLEND);
        glBlendFunc(GlBlend(state.blendSource), GlBlend(state.blendDestination));
    } else {
        glDisable(GL_BLEND);
    }
    // The game names the winding it culls as seen on its screen. The back buffer is
    // never flipped on the way (it is presented and read back the right way up), so
    // the winding seen on the screen is GL's window winding: culling clockwise faces
    // means counter-clockwise ones are front.
    if (state.stencil && state.twoSidedStencil) {
        glDisable(GL_CULL_FACE);
        glFrontFace(GL_CW);
    } else if (state.cull == Cull::None) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(state.cull == Cull::Clockwise ? GL_CCW : GL_CW);
    }
}

void Upload(const void* vertices, size_t bytes, const uint16_t* indices, size_t indexCount) {
    glBindBuffer(GL_ARRAY_BUFFER, gl.vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), vertices, GL_STREAM_DRAW);
    if (indices) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gl.ibo);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexCount * 2), indices, GL_STREAM_DRAW);
    }
}

void Attributes(int mode) {
    for (int i = 0; i < 4; ++i) glDisableVertexAttribArray(i);
    glVertexAttrib4f(1, 0, 0, 0, 0);
    glVertexAttrib4f(2, 1, 1, 1, 1);
    glVertexAttrib4f(3, 0, 0, 0, 0);
    switch (mode) {
    case 0: {
        const GLsizei stride = sizeof(VertexPNT);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(12));
        glEnableVertexAttribArray(3);
        glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(24));
        break;
    }
    case 1: {
        const GLsizei stride = sizeof(VertexPCT);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(12));
        glEnableVertexAttribArray(3);
        glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(16));
        break;
    }
    case 2: {
        const GLsizei stride = sizeof(VertexScreen);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, nullptr);
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(16));
        glEnableVertexAttribArray(3);
        glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(20));
        break;
    }
    default:
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 12, nullptr);
    }
}

void DrawQuadList(int quadCount) {
    // The shared quad index list holds 1366 quads; longer runs draw in batches.
    const DisplayObjects& o = GetDisplayObjects();
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, o.quadIndexBuffer);
    for (int first = 0; first < quadCount; first += kQuadIndexQuads) {
        const int count = std::min(kQuadIndexQuads, quadCount - first);
        glDrawElementsBaseVertex(GL_TRIANGLES, count * 6, GL_UNSIGNED_SHORT, nullptr, first * 4);
    }
}

}  // namespace

bool InitRenderDevice() {
    if (!DisplayReady()) return false;
    const std::string plain = std::string("#version 330 core\n") + kFragmentShader;
    const std::string withAlphaTest = std::string("#version 330 core\n#define ALPHA_TEST\n") + kFragmentShader;
    const unsigned program = BuildGlProgram(kVertexShader, plain.c_str(), "render device");
    const unsigned alphaTest = BuildGlProgram(kVertexShader, withAlphaTest.c_str(), "render device, alpha test");
    const unsigned depthStencil = BuildGlProgram(kVertexDepthStencil, kFragmentDepthStencil, "depth and stencil");
    if (!program || !alphaTest || !depthStencil) {
        for (unsigned p : {program, alphaTest, depthStencil})
            if (p) glDeleteProgram(p);
        return false;
    }
    gl = GlObjects{};
    gl.program = program;
    gl.alphaTestProgram = alphaTest;
    for (int i = 0; i < kLocCount; ++i) {
        gl.loc[i] = glGetUniformLocation(program, kLocNames[i]);
        gl.alphaTestLoc[i] = glGetUniformLocation(alphaTest, kLocNames[i]);
    }
    gl.depthStencilProgram = depthStencil;
    const char* leanNames[5] = {"world", "view", "projection", "vertexMode", "clipZeroToOne"};
    for (int i = 0; i < 5; ++i) gl.depthStencilLoc[i] = glGetUniformLocation(depthStencil, leanNames[i]);
    glGenVertexArrays(1, &gl.vao);
    glGenBuffers(1, &gl.vbo);
    glGenBuffers(1, &gl.ibo);
    // The display sets clip control where GL has it; otherwise the shader maps depth.
    gl.clipZeroToOne = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    gl.generation = DisplayGeneration();
    return true;
}

void ReleaseRenderDevice() {
    if (gl.program && DisplayReady() && gl.generation == DisplayGeneration()) {
        glDeleteProgram(gl.program);
        glDeleteProgram(gl.alphaTestProgram);
        glDeleteProgram(gl.depthStencilProgram);
        glDeleteVertexArrays(1, &gl.vao);
        glDeleteBuffers(1, &gl.vbo);
        glDeleteBuffers(1, &gl.ibo);
    }
    gl = GlObjects{};
}

void SetWorld(const float* m) { std::memcpy(state.world, m, sizeof state.world); }
void SetView(const float* m) { std::memcpy(state.view, m, sizeof state.view); }
void SetProjection(const float* m) { std::memcpy(state.projection, m, sizeof state.projection); }

void SetLight(int index, const Light& light) {
    if (index >= 0 && index < kMaxLights) state.lights[index] = light;
}
void EnableLight(int index, bool on) {
    if (index >= 0 && index < kMaxLights) state.lightOn[index] = on;
}
void SetAmbient(uint32_t argb) { state.ambient = argb; }
void SetMaterial(const Material& material) { state.material = material; }
void SetLighting(bool on) { state.lighting = on; }
void SetNormalizeNormals(bool on) { state.normalizeNormals = on; }
void SetTexture(const Texture* texture) { state.texture = texture; }
void SetTextureOp(TextureOp op) { state.colourOp = op; }
void SetAlphaFromDiffuse(bool on) { state.alphaFromDiffuse = on; }
void SetTextureFilter(bool linear, bool mipLinear) {
    state.linear = linear;
    state.mipLinear = mipLinear;
}
void SetTextureClamp(bool clamp) { state.clamp = clamp; }
void SetFog(bool on) { state.fog = on; }
void SetFogRange(float start, float end, uint32_t rgb) {
    state.fogStart = start;
    state.fogEnd = end;
    state.fogColour = rgb;
}
void SetAlphaTest(bool on, int reference, Compare function) {
    state.alphaTest = on;
    state.alphaReference = reference;
    state.alphaFunction = function;
}
void SetStencil(bool on) { state.stencil = on; }
void SetStencilFunction(Compare function, int reference, uint32_t mask, uint32_t writeMask) {
    state.stencilFunction = function;
    state.stencilReference = reference;
    state.stencilMask = mask;
    state.stencilWriteMask = writeMask;
}
void SetStencilOps(StencilOp fail, StencilOp depthFail, StencilOp pass) {
    state.stencilFail = fail;
    state.stencilDepthFail = depthFail;
    state.stencilPass = pass;
}
void SetTwoSidedStencil(bool on) { state.twoSidedStencil = on; }
void SetCounterClockwiseStencilOps(StencilOp fail, StencilOp depthFail, StencilOp pass) {
    state.ccwFail = fail;
    state.ccwDepthFail = depthFail;
    state.ccwPass = pass;
}
void SetBlend(bool on) { state.blend = on; }
void SetBlendFactors(BlendFactor source, BlendFactor destination) {
    state.blendSource = source;
    state.blendDestination = destination;
}
void SetCull(Cull cull) { state.cull = cull; }
void SetDepthTest(bool on, Compare function) {
    state.depthTest = on;
    state.depthFunction = function;
}
void SetDepthWrite(bool on) { state.depthWrite = on; }
void SetShading(Shading shading) { state.shading = shading; }

void ResetRenderStates() {
    state.depthTest = true;
    state.depthFunction = Compare::LessEqual;
    state.depthWrite = true;
    state.blend = false;
    state.stencil = false;
    state.twoSidedStencil = false;
    state.alphaTest = false;
    state.cull = Cull::CounterClockwise;
    state.shading = Shading::Gouraud;
    state.colourOp = TextureOp::Modulate;
    state.alphaFromDiffuse = false;
    state.linear = state.mipLinear = true;
    state.clamp = false;
}

namespace {

struct ScreenBounds {
    int left = kScreenWidth, top = kScreenHeight, right = 0, bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
    void Join(int l, int t, int r, int b) {
        left = std::min(left, l), top = std::min(top, t), right = std::max(right, r), bottom = std::max(bottom, b);
    }
};
ScreenBounds stencilBounds;

bool ChangesStencil() {
    const auto changes = [](StencilOp fail, StencilOp depthFail, StencilOp pass) {
        return fail != StencilOp::Keep || depthFail != StencilOp::Keep || pass != StencilOp::Keep;
    };
    return state.stencil && state.stencilWriteMask != 0 &&
           (changes(state.stencilFail, state.stencilDepthFail, state.stencilPass) ||
            (state.twoSidedStencil && changes(state.ccwFail, state.ccwDepthFail, state.ccwPass)));
}

// Row vector times a row-major 4 x 4 matrix (the device's matrices, as the shader applies them).
void Transform(const float in[4], const float* m, float out[4]) {
    for (int c = 0; c < 4; ++c) out[c] = in[0] * m[c] + in[1] * m[4 + c] + in[2] * m[8 + c] + in[3] * m[12 + c];
}

// The rectangle drawing is kept inside while `drawingLimited` (BeginDrawingLimit), gathered
// before from the meshes to be drawn.
ScreenBounds drawingLimit;
bool drawingLimited = false;

// The scissor of the drawing limit, or none.
void ApplyDrawingLimit() {
    if (!drawingLimited) return glDisable(GL_SCISSOR_TEST);
    glEnable(GL_SCISSOR_TEST);
    const ScreenBounds& b = drawingLimit;
    glScissor(b.left, kScreenHeight - b.bottom, std::max(0, b.right - b.left), std::max(0, b.bottom - b.top));
}

// A screen point (and the pixels around it) joins the bounds.
void AddScreenPoint(ScreenBounds& b, float sx, float sy) {
    const float w = static_cast<float>(kScreenWidth), h = static_cast<float>(kScreenHeight);
    b.left = std::min(b.left, static_cast<int>(std::clamp(std::floor(sx) - 1.0f, 0.0f, w)));
    b.right = std::max(b.right, static_cast<int>(std::clamp(std::ceil(sx) + 1.0f, 0.0f, w)));
    b.top = std::min(b.top, static_cast<int>(std::clamp(std::floor(sy) - 1.0f, 0.0f, h)));
    b.bottom = std::max(b.bottom, static_cast<int>(std::clamp(std::ceil(sy) + 1.0f, 0.0f, h)));
}

// Vertices whose first three floats are a position, `stride` bytes apart: the projected
// corners bound a triangle that lies wholly in front of the eye; otherwise the whole screen.
void AddProjectedBounds(ScreenBounds& bounds, const void* vertices, size_t stride, int vertexCount) {
    // World, view and projection as one matrix; the screen's extent of the corners is
    // gathered first and joins the bounds once.
    float wv[16], m[16];
    for (int r = 0; r < 4; ++r) Transform(&state.world[r * 4], state.view, &wv[r * 4]);
    for (int r = 0; r < 4; ++r) Transform(&wv[r * 4], state.projection, &m[r * 4]);
    const auto* bytes = static_cast<const uint8_t*>(vertices);
    float minX = HUGE_VALF, minY = HUGE_VALF, maxX = -HUGE_VALF, maxY = -HUGE_VALF;
    for (int i = 0; i < vertexCount; ++i) {
        float xyz[3];
        std::memcpy(xyz, bytes + stride * static_cast<size_t>(i), sizeof xyz);
        const float v[4] = {xyz[0], xyz[1], xyz[2], 1.0f};
        float p[4];
        Transform(v, m, p);
        if (!(p[3] > 1e-6f)) {
            bounds = {0, 0, kScreenWidth, kScreenHeight};
            return;
        }
        const float sx = (p[0] / p[3] + 1.0f) * (kScreenWidth / 2.0f), sy = (1.0f - p[1] / p[3]) * (kScreenHeight / 2.0f);
        minX = std::min(minX, sx), maxX = std::max(maxX, sx);
        minY = std::min(minY, sy), maxY = std::max(maxY, sy);
    }
    if (vertexCount <= 0) return;
    AddScreenPoint(bounds, minX, minY);
    AddScreenPoint(bounds, maxX, maxY);
}

bool WritesDepthOrStencil() { return (state.depthTest && state.depthWrite) || ChangesStencil(); }

// What a draw may have written, `b`: a draw that changes the stencil joins the stencil's
// bounds; one that writes depth or stencil tells the back buffer's depth what changed
// (inside the drawing limit while one is kept, as the scissor keeps it).
void NoteWritten(const ScreenBounds& b) {
    if (b.Empty()) return;
    if (ChangesStencil()) stencilBounds.Join(b.left, b.top, b.right, b.bottom);
    if (!WritesDepthOrStencil()) return;
    if (drawingLimited)
        MarkBackDepthChanged(std::max(b.left, drawingLimit.left), std::max(b.top, drawingLimit.top),
                             std::min(b.right, drawingLimit.right), std::min(b.bottom, drawingLimit.bottom));
    else
        MarkBackDepthChanged(b.left, b.top, b.right, b.bottom);
}

// The same for a draw of projected vertices, which are only projected when it writes.
void NoteWrittenVertices(const void* vertices, size_t stride, int vertexCount) {
    if (!WritesDepthOrStencil()) return;
    ScreenBounds b;
    AddProjectedBounds(b, vertices, stride, vertexCount);
    NoteWritten(b);
}

// Whether every effect of a draw (on the stencil, on the depth) falls on pixels where its
// fragments pass a "less" or "equal" depth test: then it cannot change a pixel whose depth
// lies nearer than all of its fragments there.
bool OnlyWhereDepthPasses() {
    const bool keepsColour =
        state.blend && state.blendSource == BlendFactor::Zero && state.blendDestination == BlendFactor::One;
    const Compare f = state.depthFunction;
    if (!keepsColour || !state.depthTest || (f != Compare::Less && f != Compare::LessEqual && f != Compare::Equal))
        return false;
    if (!state.stencil) return true;
    const auto keptUnlessPassed = [](StencilOp fail, StencilOp depthFail) {
        return fail == StencilOp::Keep && depthFail == StencilOp::Keep;
    };
    return keptUnlessPassed(state.stencilFail, state.stencilDepthFail) &&
           (!state.twoSidedStencil || keptUnlessPassed(state.ccwFail, state.ccwDepthFail));
}

struct ClipPoint {
    double x, y, z, w;
};

// The pixels of one triangle's screen polygon (corners in pixels, window depth 0 .. 1)
// that lie in tiles whose depth bound does not hide it join `reach`. The rasteriser snaps
// corners to a fraction of a pixel and the device computes in single precision: two
// pixels and a margin of depth make up for both.
void AddReachOfPolygon(ScreenBounds& reach, const float* bound, const double* sx, const double* sy, const double* sz,
                       int n) {
    constexpr double kSlack = 2.0, kDepthMargin = 1e-4;
    double minX = sx[0], maxX = sx[0], minY = sy[0], maxY = sy[0], nearest = sz[0];
    for (int i = 1; i < n; ++i) {
        minX = std::min(minX, sx[i]), maxX = std::max(maxX, sx[i]);
        minY = std::min(minY, sy[i]), maxY = std::max(maxY, sy[i]);
        nearest = std::min(nearest, sz[i]);
    }
    const auto pixel = [](double v, int limit) { return static_cast<int>(std::clamp(v, 0.0, double(limit))); };
    const int top = pixel(std::floor(minY - kSlack), kScreenHeight), bottom = pixel(std::ceil(maxY + kSlack), kScreenHeight);
    const int left = pixel(std::floor(minX - kSlack), kScreenWidth), right = pixel(std::ceil(maxX + kSlack), kScreenWidth);
    if (left >= right || top >= bottom) return;
    const auto inside = [&reach](int x0, int y0, int x1, int y1) {
        return x0 >= reach.left && x1 <= reach.right && y0 >= reach.top && y1 <= reach.bottom;
    };
    if (inside(left, top, right, bottom)) return;
    // The polygon is flat: window depth is A x + B y + C across it on the screen.
    const double area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
    const bool flat = std::fabs(area) > 1.0;
    double A = 0, B = 0, C = 0;
    if (flat) {
        A = ((sz[1] - sz[0]) * (sy[2] - sy[0]) - (sz[2] - sz[0]) * (sy[1] - sy[0])) / area;
        B = ((sx[1] - sx[0]) * (sz[2] - sz[0]) - (sx[2] - sx[0]) * (sz[1] - sz[0])) / area;
        C = sz[0] - A * sx[0] - B * sy[0];
    }
    for (int ty = top / kDepthTileSize; ty * kDepthTileSize < bottom; ++ty) {
        const int y0 = std::max(ty * kDepthTileSize, top), y1 = std::min((ty + 1) * kDepthTileSize, bottom);
        // Where the polygon crosses this band of rows: its corners in it and its edges at the band's lines.
        const double bandTop = y0 - kSlack, bandBottom = y1 + kSlack;
        double spanLeft = HUGE_VAL, spanRight = -HUGE_VAL;
        for (int i = 0; i < n; ++i) {
            const int j = (i + 1) % n;
            if (sy[i] >= bandTop && sy[i] <= bandBottom) spanLeft = std::min(spanLeft, sx[i]), spanRight = std::max(spanRight, sx[i]);
            for (const double line : {bandTop, bandBottom})
                if ((sy[i] - line) * (sy[j] - line) < 0) {
                    const double x = sx[i] + (sx[j] - sx[i]) * (line - sy[i]) / (sy[j] - sy[i]);
                    spanLeft = std::min(spanLeft, x), spanRight = std::max(spanRight, x);
                }
        }
        if (spanLeft > spanRight) continue;
        const int x0 = std::max(left, pixel(std::floor(spanLeft - kSlack), kScreenWidth));
        const int x1 = std::min(right, pixel(std::ceil(spanRight + kSlack), kScreenWidth));
        if (inside(x0, y0, x1, y1)) continue;
        for (int tx = x0 / kDepthTileSize; tx * kDepthTileSize < x1; ++tx) {
            const int px0 = std::max(tx * kDepthTileSize, x0), px1 = std::min((tx + 1) * kDepthTileSize, x1);
            if (inside(px0, y0, px1, y1)) continue;
            double lowest = nearest;
            if (flat)
                lowest = std::max(lowest, C + A * (A > 0 ? px0 - kSlack : px1 + kSlack) +
                                              B * (B > 0 ? y0 - kSlack : y1 + kSlack));
            if (lowest - kDepthMargin > (bound ? bound[ty * kDepthTilesAcross + tx] : 1.0f)) continue;
            reach.Join(px0, y0, px1, y1);
        }
    }
}

// The rectangle outside which a draw of the triangles of `xyz` (by `indices` when given)
// cannot pass the depth test against the back buffer's depth bound; the whole screen when
// a corner cannot be placed on it.
ScreenBounds DepthPassReach(const float* xyz, int vertexCount, const uint16_t* indices, int indexCount) {
    const ScreenBounds screen{0, 0, kScreenWidth, kScreenHeight};
    double m[16], wv[16];
    const auto multiply = [](const double* a, const float* b, double* out) {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                out[r * 4 + c] = a[r * 4] * b[c] + a[r * 4 + 1] * b[4 + c] + a[r * 4 + 2] * b[8 + c] + a[r * 4 + 3] * b[12 + c];
    };
    double world[16];
    for (int i = 0; i < 16; ++i) world[i] = state.world[i];
    multiply(world, state.view, wv);
    multiply(wv, state.projection, m);
    ScreenBounds reach;
    const float* bound = BackDepthBoundTiles();
    const int triangles = (indices ? indexCount : vertexCount) / 3;
    for (int t = 0; t < triangles; ++t) {
        ClipPoint corner[3];
        for (int k = 0; k < 3; ++k) {
            const int i = indices ? indices[t * 3 + k] : t * 3 + k;
            if (i >= vertexCount) return screen;
            const double p[3] = {xyz[i * 3], xyz[i * 3 + 1], xyz[i * 3 + 2]};
            double c[4];
            for (int j = 0; j < 4; ++j) c[j] = p[0] * m[j] + p[1] * m[4 + j] + p[2] * m[8 + j] + m[12 + j];
            if (!std::isfinite(c[0]) || !std::isfinite(c[1]) || !std::isfinite(c[2]) || !std::isfinite(c[3])) return screen;
            corner[k] = {c[0], c[1], c[2], c[3]};
        }
        // What lies before the near plane (z < 0 in clip space) is clipped away.
        ClipPoint polygon[4];
        int n = 0;
        for (int k = 0; k < 3; ++k) {
            const ClipPoint &a = corner[k], &b = corner[(k + 1) % 3];
            if (a.z >= 0) polygon[n++] = a;
            if ((a.z >= 0) != (b.z >= 0)) {
                const double s = a.z / (a.z - b.z);
                polygon[n++] = {a.x + (b.x - a.x) * s, a.y + (b.y - a.y) * s, a.z + (b.z - a.z) * s, a.w + (b.w - a.w) * s};
            }
        }
        if (n < 3) continue;
        double sx[4], sy[4], sz[4];
        for (int k = 0; k < n; ++k) {
            if (!(polygon[k].w > 1e-6)) return screen;
            sx[k] = (polygon[k].x / polygon[k].w + 1.0) * (kScreenWidth / 2.0);
            sy[k] = (1.0 - polygon[k].y / polygon[k].w) * (kScreenHeight / 2.0);
            sz[k] = std::max(polygon[k].z / polygon[k].w, 0.0);
        }
        AddReachOfPolygon(reach, bound, sx, sy, sz, n);
    }
    return reach;
}

}  // namespace

bool StencilBounds(int& left, int& top, int& right, int& bottom) {
    if (stencilBounds.Empty()) return false;
    left = stencilBounds.left;
    top = stencilBounds.top;
    right = stencilBounds.right;
    bottom = stencilBounds.bottom;
    return true;
}

void ResetStencilBounds() { stencilBounds = ScreenBounds{}; }

void DrawMesh(const VertexPNT* vertices, int vertexCount, const uint16_t* indices, int indexCount) {
    if (!vertices || vertexCount <= 0 || !indices || indexCount < 3 || !Apply(0)) return;
    NoteWrittenVertices(vertices, sizeof(VertexPNT), vertexCount);
    Upload(vertices, sizeof(VertexPNT) * vertexCount, indices, indexCount);
    Attributes(0);
    glDrawElements(GL_TRIANGLES, indexCount - indexCount % 3, GL_UNSIGNED_SHORT, nullptr);
    EndDraw();
}

namespace {

// Sends `count` items to `buffer` when they differ from the copy the device holds.
template <typename T>
void Refresh(GLenum target, unsigned buffer, std::vector<T>& held, const T* data, int count) {
    glBindBuffer(target, buffer);
    const size_t bytes = sizeof(T) * static_cast<size_t>(count);
    if (held.size() == static_cast<size_t>(count)) {
        if (std::memcmp(held.data(), data, bytes) == 0) return;
        glBufferSubData(target, 0, static_cast<GLsizeiptr>(bytes), data);
    } else {
        glBufferData(target, static_cast<GLsizeiptr>(bytes), data, GL_DYNAMIC_DRAW);
    }
    held.assign(data, data + count);
}

}  // namespace

void DrawKeptMesh(KeptMesh& mesh, const VertexPNT* vertices, int vertexCount, const uint16_t* indices,
                  int indexCount) {
    if (!vertices || vertexCount <= 0 || !indices || indexCount < 3 || !Apply(0)) return;
    NoteWrittenVertices(vertices, sizeof(VertexPNT), vertexCount);
    if (mesh.generation != gl.generation || !mesh.vbo) {
        // A new display: the old names died with its context.
        mesh = KeptMesh{};
        glGenBuffers(1, &mesh.vbo);
        glGenBuffers(1, &mesh.ibo);
        mesh.generation = gl.generation;
    }
    Refresh(GL_ARRAY_BUFFER, mesh.vbo, mesh.vertices, vertices, vertexCount);
    // The vertex array keeps the element buffer bound to it.
    Refresh(GL_ELEMENT_ARRAY_BUFFER, mesh.ibo, mesh.indices, indices, indexCount);
    Attributes(0);
    glDrawElements(GL_TRIANGLES, indexCount - indexCount % 3, GL_UNSIGNED_SHORT, nullptr);
    EndDraw();
}

void ReleaseKeptMesh(KeptMesh& mesh) {
    if (mesh.vbo && DisplayReady() && mesh.generation == gl.generation) {
        glDeleteBuffers(1, &mesh.vbo);
        glDeleteBuffers(1, &mesh.ibo);
    }
    mesh = KeptMesh{};
}

void DrawPositions(const float* xyz, int vertexCount, const uint16_t* indices, int indexCount) {
    if (!xyz || vertexCount <= 0 || !Apply(3)) return;
    // An invisible pass (the shadow volumes) is cut to where it can pass the depth test:
    // its volumes reach far past what the scenery lets through, and the fill is what costs.
    const bool limited = OnlyWhereDepthPasses();
    const ScreenBounds reach = limited ? DepthPassReach(xyz, vertexCount, indices, indexCount)
                                       : ScreenBounds{0, 0, kScreenWidth, kScreenHeight};
    if (reach.Empty()) return EndDraw();
    if (limited)
        NoteWritten(reach);
    else
        NoteWrittenVertices(xyz, sizeof(float) * 3, vertexCount);
    Upload(xyz, sizeof(float) * 3 * vertexCount, indices, indices ? indexCount : 0);
    Attributes(3);
    if (limited) {
        // Inside the drawing limit too, when one is kept.
        ScreenBounds cut = reach;
        if (drawingLimited)
            cut = {std::max(cut.left, drawingLimit.left), std::max(cut.top, drawingLimit.top),
                   std::min(cut.right, drawingLimit.right), std::min(cut.bottom, drawingLimit.bottom)};
        if (cut.Empty()) return EndDraw();
        glEnable(GL_SCISSOR_TEST);
        glScissor(cut.left, kScreenHeight - cut.bottom, cut.right - cut.left, cut.bottom - cut.top);
    }
    if (indices)
        glDrawElements(GL_TRIANGLES, indexCount - indexCount % 3, GL_UNSIGNED_SHORT, nullptr);
    else
        glDrawArrays(GL_TRIANGLES, 0, vertexCount - vertexCount % 3);
    ApplyDrawingLimit();
    EndDraw();
}

void DrawColouredQuads(const VertexPCT* vertices, int quadCount) {
    if (!vertices || quadCount <= 0 || !Apply(1)) return;
    NoteWrittenVertices(vertices, sizeof(VertexPCT), 4 * quadCount);
    Upload(vertices, sizeof(VertexPCT) * 4 * quadCount, nullptr, 0);
    Attributes(1);
    DrawQuadList(quadCount);
    EndDraw();
}

void DrawScreenQuads(const VertexScreen* vertices, int quadCount) {
    if (!vertices || quadCount <= 0 || !Apply(2)) return;
    if (WritesDepthOrStencil()) {
        ScreenBounds b;
        for (int i = 0; i < 4 * quadCount; ++i) AddScreenPoint(b, vertices[i].x, vertices[i].y);
        NoteWritten(b);
    }
    Upload(vertices, sizeof(VertexScreen) * 4 * quadCount, nullptr, 0);
    Attributes(2);
    DrawQuadList(quadCount);
    EndDraw();
}

void GatherDrawingLimit(const void* vertices, size_t stride, int vertexCount) {
    if (vertices && vertexCount > 0) AddProjectedBounds(drawingLimit, vertices, stride, vertexCount);
}

namespace {

// A clear keeps inside the drawing limit, like any draw.
void NoteCleared() {
    if (drawingLimited)
        MarkBackDepthChanged(drawingLimit.left, drawingLimit.top, drawingLimit.right, drawingLimit.bottom);
    else
        MarkBackDepthChangedEverywhere();
}

}  // namespace

void BeginDrawingLimit() {
    drawingLimited = true;
    if (Ready()) ApplyDrawingLimit();
}

void EndDrawingLimit() {
    drawingLimited = false;
    drawingLimit = ScreenBounds{};
    if (Ready()) ApplyDrawingLimit();
}

void ClearDepth(float depth) {
    if (!Ready()) return;
    glBindFramebuffer(GL_FRAMEBUFFER, GetDisplayObjects().backFramebuffer);
    glDepthMask(GL_TRUE);
    glClearDepth(depth);
    glClear(GL_DEPTH_BUFFER_BIT);
    BoundBackDepthBy(depth);
    NoteCleared();
}

void ClearStencil(int value) {
    ResetStencilBounds();
    if (!Ready()) return;
    glBindFramebuffer(GL_FRAMEBUFFER, GetDisplayObjects().backFramebuffer);
    glStencilMask(0xFFFFFFFF);
    glClearStencil(value);
    glClear(GL_STENCIL_BUFFER_BIT);
    NoteCleared();
}

float ReadDepth(int x, int y) {
    if (!Ready() || x < 0 || y < 0 || x >= kScreenWidth || y >= kScreenHeight) return 1.0f;
    float d = 1.0f;
    glBindFramebuffer(GL_FRAMEBUFFER, GetDisplayObjects().backFramebuffer);
    glReadPixels(x, kScreenHeight - 1 - y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &d);
    return d;
}

int ReadStencil(int x, int y) {
    if (!Ready() || x < 0 || y < 0 || x >= kScreenWidth || y >= kScreenHeight) return 0;
    uint8_t s = 0;
    glBindFramebuffer(GL_FRAMEBUFFER, GetDisplayObjects().backFramebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, kScreenHeight - 1 - y, 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, &s);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return s;
}

}  // namespace tarvex::device
