#include "platform/depth_buffer.h"

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <cstring>

#include "platform/depth_bound.h"
#include "platform/display.h"
#include "platform/gl_program.h"

namespace tarvex {

namespace {

const char* kVertexDepth = R"(#version 330 core
void main() {
    // One triangle that covers the screen.
    vec2 p = vec2(float((gl_VertexID & 1) << 2) - 1.0, float((gl_VertexID & 2) << 1) - 1.0);
    gl_Position = vec4(p, 0.0, 1.0);
}
)";

const char* kFragmentDepth = R"(#version 330 core
uniform sampler2D depthValues;   // rows top-down, as on the screen
void main() {
    // The framebuffer's rows run bottom-up.
    ivec2 p = ivec2(gl_FragCoord.xy);
    p.y = textureSize(depthValues, 0).y - 1 - p.y;
    gl_FragDepth = texelFetch(depthValues, p, 0).r;
}
)";

struct DepthPass {
    SDL_GLContext context = nullptr;  // the objects belong to this context
    unsigned program = 0;
    unsigned vao = 0;
    unsigned texture = 0;
    int locValues = -1;
};
DepthPass pass;

bool EnsurePass() {
    SDL_GLContext current = SDL_GL_GetCurrentContext();
    if (pass.program && pass.context == current) return true;
    pass = DepthPass{};  // a new display: the old names died with its context
    const unsigned program = BuildGlProgram(kVertexDepth, kFragmentDepth, "depth");
    if (!program) return false;
    pass.program = program;
    pass.locValues = glGetUniformLocation(program, "depthValues");
    glGenVertexArrays(1, &pass.vao);
    glGenTextures(1, &pass.texture);
    glBindTexture(GL_TEXTURE_2D, pass.texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R32F, kScreenWidth, kScreenHeight, 0, GL_RED, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    pass.context = current;
    return glGetError() == GL_NO_ERROR;
}

void ClearDepth(bool clearStencil) {
    const DisplayObjects& o = GetDisplayObjects();
    glBindFramebuffer(GL_FRAMEBUFFER, o.backFramebuffer);
    glDepthMask(GL_TRUE);
    glClearDepth(1.0);
    GLbitfield bits = GL_DEPTH_BUFFER_BIT;
    if (clearStencil && o.stencilBits > 0) {
        glStencilMask(0xFF);
        glClearStencil(0);
        bits |= GL_STENCIL_BUFFER_BIT;
    }
    glClear(bits);
}

GLbitfield CopyBits() {
    return GL_DEPTH_BUFFER_BIT | (GetDisplayObjects().stencilBits > 0 ? GL_STENCIL_BUFFER_BIT : 0);
}

void Blit(unsigned from, unsigned to) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    glBlitFramebuffer(0, 0, kScreenWidth, kScreenHeight, 0, 0, kScreenWidth, kScreenHeight, CopyBits(), GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, GetDisplayObjects().backFramebuffer);
}

std::vector<float> ReadDepth(unsigned framebuffer) {
    std::vector<float> out(static_cast<size_t>(kScreenWidth) * kScreenHeight, 1.0f);
    if (!DisplayReady()) return out;
    std::vector<float> raw(out.size());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, kScreenWidth, kScreenHeight, GL_DEPTH_COMPONENT, GL_FLOAT, raw.data());
    glBindFramebuffer(GL_FRAMEBUFFER, GetDisplayObjects().backFramebuffer);
    for (int y = 0; y < kScreenHeight; ++y)
        std::memcpy(out.data() + static_cast<size_t>(y) * kScreenWidth,
                    raw.data() + static_cast<size_t>(kScreenHeight - 1 - y) * kScreenWidth, kScreenWidth * sizeof(float));
    return out;
}

}  // namespace

bool ClearBackBufferDepth(bool clearStencil) {
    if (!DisplayReady()) return false;
    ClearDepth(clearStencil);
    BoundBackDepthBy(1.0f);
    return true;
}

bool WriteBackBufferDepth(const float* depth, bool clearStencil) {
    if (!DisplayReady() || !depth || !EnsurePass()) return false;
    ClearDepth(clearStencil);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, pass.texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kScreenWidth, kScreenHeight, GL_RED, GL_FLOAT, depth);

    glViewport(0, 0, kScreenWidth, kScreenHeight);
    glUseProgram(pass.program);
    glUniform1i(pass.locValues, 0);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glDepthMask(GL_TRUE);
    glBindVertexArray(pass.vao);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glBindVertexArray(0);
    // Back to the baseline render states.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    const bool written = glGetError() == GL_NO_ERROR;
    if (written)
        BoundBackDepthByImage(depth);
    else
        BoundBackDepthBy(1.0f);
    return written;
}

void SaveBackBufferDepth() {
    if (!DisplayReady()) return;
    const DisplayObjects& o = GetDisplayObjects();
    Blit(o.backFramebuffer, o.savedFramebuffer);
    SaveBackDepthBound();
}

void RestoreBackBufferDepth() {
    if (!DisplayReady()) return;
    const DisplayObjects& o = GetDisplayObjects();
    Blit(o.savedFramebuffer, o.backFramebuffer);
    RestoreBackDepthBound();
}

std::vector<float> ReadBackBufferDepth() { return ReadDepth(GetDisplayObjects().backFramebuffer); }
std::vector<float> ReadSavedDepth() { return ReadDepth(GetDisplayObjects().savedFramebuffer); }

}  // namespace tarvex
