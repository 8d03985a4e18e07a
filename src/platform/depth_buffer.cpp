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
    // The staged depth: its values, the spare depth buffer they are drawn into, and how far.
    unsigned stagedTexture = 0;
    unsigned spareRenderbuffer = 0;
    unsigned spareFramebuffer = 0;
    int stagedRows = 0;
    bool stagedDrawn = false;
};
DepthPass pass;

unsigned MakeValueTexture() {
    unsigned texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R32F, kScreenWidth, kScreenHeight, 0, GL_RED, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

bool EnsurePass() {
    SDL_GLContext current = SDL_GL_GetCurrentContext();
    if (pass.program && pass.context == current) return true;
    pass = DepthPass{};  // a new display: the old names died with its context
    const unsigned program = BuildGlProgram(kVertexDepth, kFragmentDepth, "depth");
    if (!program) return false;
    pass.program = program;
    pass.locValues = glGetUniformLocation(program, "depthValues");
    glGenVertexArrays(1, &pass.vao);
    pass.texture = MakeValueTexture();
    pass.context = current;
    return glGetError() == GL_NO_ERROR;
}

// The render states a pass outside the frame touches, given back as they were.
class KeptStates {
public:
    KeptStates() {
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer_);
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer_);
        glGetIntegerv(GL_CURRENT_PROGRAM, &program_);
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vao_);
        glGetIntegerv(GL_VIEWPORT, viewport_);
        glGetBooleanv(GL_COLOR_WRITEMASK, colourMask_);
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask_);
        glGetIntegerv(GL_STENCIL_WRITEMASK, &stencilMask_);
        glGetIntegerv(GL_STENCIL_BACK_WRITEMASK, &stencilBackMask_);
        glGetIntegerv(GL_DEPTH_FUNC, &depthFunc_);
        glGetFloatv(GL_DEPTH_CLEAR_VALUE, &clearDepth_);
        glGetIntegerv(GL_STENCIL_CLEAR_VALUE, &clearStencil_);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture_);
        glActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture0_);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment_);
        for (int i = 0; i < kEnables; ++i) enabled_[i] = glIsEnabled(kEnable[i]);
    }
    ~KeptStates() {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer_));
        glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer_));
        glUseProgram(static_cast<GLuint>(program_));
        glBindVertexArray(static_cast<GLuint>(vao_));
        glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
        glColorMask(colourMask_[0], colourMask_[1], colourMask_[2], colourMask_[3]);
        glDepthMask(depthMask_);
        glStencilMaskSeparate(GL_FRONT, static_cast<GLuint>(stencilMask_));
        glStencilMaskSeparate(GL_BACK, static_cast<GLuint>(stencilBackMask_));
        glDepthFunc(static_cast<GLenum>(depthFunc_));
        glClearDepth(clearDepth_);
        glClearStencil(clearStencil_);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture0_));
        glActiveTexture(static_cast<GLenum>(activeTexture_));
        glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment_);
        for (int i = 0; i < kEnables; ++i) (enabled_[i] ? glEnable : glDisable)(kEnable[i]);
    }
    KeptStates(const KeptStates&) = delete;
    KeptStates& operator=(const KeptStates&) = delete;

private:
    static constexpr int kEnables = 4;
    static constexpr GLenum kEnable[kEnables] = {GL_DEPTH_TEST, GL_STENCIL_TEST, GL_CULL_FACE, GL_BLEND};
    GLint drawFramebuffer_ = 0, readFramebuffer_ = 0, program_ = 0, vao_ = 0, viewport_[4] = {};
    GLboolean colourMask_[4] = {}, depthMask_ = GL_TRUE, enabled_[kEnables] = {};
    GLint stencilMask_ = 0, stencilBackMask_ = 0, depthFunc_ = 0, clearStencil_ = 0, activeTexture_ = 0;
    GLint texture0_ = 0, unpackAlignment_ = 4;
    GLfloat clearDepth_ = 1.0f;
};

// The spare depth buffer, of the back buffer's format, and its framebuffer.
bool EnsureSpare() {
    if (pass.spareFramebuffer) return true;
    return CreateDepthFramebuffer(pass.spareRenderbuffer, pass.spareFramebuffer, GetDisplayObjects().stencilBits > 0);
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
    MarkBackDepthChangedEverywhere();
}

GLbitfield CopyBits() {
    return GL_DEPTH_BUFFER_BIT | (GetDisplayObjects().stencilBits > 0 ? GL_STENCIL_BUFFER_BIT : 0);
}

// Copies depth and stencil of the rectangle (rows from the top, right and bottom excluded).
void Blit(unsigned from, unsigned to, int left = 0, int top = 0, int right = kScreenWidth, int bottom = kScreenHeight) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    const int y0 = kScreenHeight - bottom, y1 = kScreenHeight - top;
    glBlitFramebuffer(left, y0, right, y1, left, y0, right, y1, CopyBits(), GL_NEAREST);
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

namespace {

// The depth pass's states; with `draw`, the pass from the given values into the bound
// framebuffer. The states are left as the baseline after every pass.
void RunDepthPass(unsigned values, bool draw) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, values);
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
    if (draw) glDrawArrays(GL_TRIANGLES, 0, 3);
    glBindVertexArray(0);
    // Back to the baseline render states.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthFunc(GL_LEQUAL);
}

}  // namespace

bool WriteBackBufferDepth(const float* depth, bool clearStencil) {
    if (!DisplayReady() || !depth || !EnsurePass()) return false;
    ClearDepth(clearStencil);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, pass.texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kScreenWidth, kScreenHeight, GL_RED, GL_FLOAT, depth);
    RunDepthPass(pass.texture, true);
    const bool written = glGetError() == GL_NO_ERROR;
    if (written)
        BoundBackDepthByImage(depth);
    else
        BoundBackDepthBy(1.0f);
    return written;
}

bool StageDepthRows(const float* depth, int first, int count) {
    if (!DisplayReady() || !depth || first < 0 || count <= 0 || first + count > kScreenHeight || !EnsurePass())
        return false;
    const KeptStates kept;
    if (!pass.stagedTexture) pass.stagedTexture = MakeValueTexture();
    glBindTexture(GL_TEXTURE_2D, pass.stagedTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, first, kScreenWidth, count, GL_RED, GL_FLOAT,
                    depth + static_cast<size_t>(first) * kScreenWidth);
    pass.stagedRows = first == 0 ? count : pass.stagedRows + count;
    pass.stagedDrawn = false;
    BoundStagedDepthRows(depth, first, count);
    return glGetError() == GL_NO_ERROR;
}

bool DrawStagedDepth() {
    if (!DisplayReady() || !EnsurePass() || pass.stagedRows != kScreenHeight) return false;
    if (pass.stagedDrawn) return true;
    const KeptStates kept;
    if (!EnsureSpare()) return false;
    glBindFramebuffer(GL_FRAMEBUFFER, pass.spareFramebuffer);
    glDepthMask(GL_TRUE);
    glClearDepth(1.0);
    glStencilMask(0xFF);
    glClearStencil(0);
    glClear(CopyBits());
    RunDepthPass(pass.stagedTexture, true);
    pass.stagedDrawn = glGetError() == GL_NO_ERROR;
    return pass.stagedDrawn;
}

bool PutStagedDepth(bool clearStencil) {
    if (!DisplayReady() || !pass.stagedDrawn || pass.context != SDL_GL_GetCurrentContext()) return false;
    pass.stagedDrawn = false;
    pass.stagedRows = 0;
    const DisplayObjects& o = GetDisplayObjects();
    if (!clearStencil && o.stencilBits > 0) {
        // The stencil stays as it is: the pass draws the depth alone.
        ClearDepth(false);
        RunDepthPass(pass.stagedTexture, true);
    } else {
        // Depth and a cleared stencil, as drawn, copied over the whole buffer; the clear's
        // states are set as a clear would leave them.
        glDepthMask(GL_TRUE);
        glClearDepth(1.0);
        if (clearStencil && o.stencilBits > 0) {
            glStencilMask(0xFF);
            glClearStencil(0);
        }
        Blit(pass.spareFramebuffer, o.backFramebuffer);
        MarkBackDepthChangedEverywhere();
        RunDepthPass(pass.stagedTexture, false);
    }
    // The written path leaves its own values bound.
    glBindTexture(GL_TEXTURE_2D, pass.texture);
    BoundBackDepthByStaged();
    SaveBackBufferDepth();
    return glGetError() == GL_NO_ERROR;
}

void DropStagedDepth() {
    pass.stagedRows = 0;
    pass.stagedDrawn = false;
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
    // Only what draws and clears changed since the last copy needs copying back.
    int left = 0, top = 0, right = 0, bottom = 0;
    if (BackDepthChangedSinceCopy(left, top, right, bottom)) Blit(o.savedFramebuffer, o.backFramebuffer, left, top, right, bottom);
    RestoreBackDepthBound();
}

std::vector<float> ReadBackBufferDepth() { return ReadDepth(GetDisplayObjects().backFramebuffer); }
std::vector<float> ReadSavedDepth() { return ReadDepth(GetDisplayObjects().savedFramebuffer); }

}  // namespace tarvex
