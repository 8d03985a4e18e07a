// The 3-D device: OpenGL 3.3 core behind the render states the game sets, emulating
// a fixed-function pipeline (row-vector matrices, per-vertex point lights with range
// and three attenuation terms, ambient, material, linear vertex fog, alpha test,
// stencil, blend factors, culling named as seen on the y-down screen, flat or
// Gouraud shading, pre-transformed screen vertices) plus the scenery depth restore.
// Draws go into the back buffer of display.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvex {

struct Texture;

namespace device {

enum class Cull { None, Clockwise, CounterClockwise };
enum class Compare { Never, Less, Equal, LessEqual, Greater, NotEqual, GreaterEqual, Always };
enum class StencilOp { Keep, Zero, Replace, IncrementClamp, DecrementClamp, Invert, Increment, Decrement };
enum class BlendFactor {
    Zero, One, SourceColour, InverseSourceColour, SourceAlpha, InverseSourceAlpha,
    DestinationAlpha, InverseDestinationAlpha, DestinationColour, InverseDestinationColour
};
enum class TextureOp { Modulate, SelectTexture, SelectDiffuse };
enum class Shading { Flat, Gouraud };

constexpr int kMaxLights = 16;

struct Light {
    float position[3] = {0, 0, 0};
    float diffuse[4] = {1, 1, 1, 1};
    float range = 0;
    float attenuation[3] = {1, 0, 0};
};

struct Material {
    float diffuse[4] = {1, 1, 1, 1};
    float ambient[4] = {1, 1, 1, 1};
    float emissive[4] = {0, 0, 0, 0};
};

// Vertex formats.
struct VertexPNT {  // position, normal, texture coordinates (meshes)
    float x, y, z, nx, ny, nz, u, v;
};
struct VertexPCT {  // position, diffuse colour 0xAARRGGBB, texture coordinates (particles)
    float x, y, z;
    uint32_t colour;
    float u, v;
};
struct VertexScreen {  // pre-transformed: screen pixels (y down), depth z/w, 1/w
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};

// Matrices: 16 floats, row-major, row vectors (p' = p * M).
void SetWorld(const float* m);
void SetView(const float* m);
void SetProjection(const float* m);

void SetLight(int index, const Light& light);
void EnableLight(int index, bool on);
void SetAmbient(uint32_t argb);
void SetMaterial(const Material& material);
void SetLighting(bool on);
void SetNormalizeNormals(bool on);

void SetTexture(const Texture* texture);
void SetTextureOp(TextureOp colourOp);
// Alpha from the diffuse colour instead of the texture.
void SetAlphaFromDiffuse(bool on);
void SetTextureFilter(bool linear, bool mipLinear);
void SetTextureClamp(bool clamp);

void SetFog(bool on);
void SetFogRange(float start, float end, uint32_t rgb);
void SetAlphaTest(bool on, int reference, Compare function);
void SetStencil(bool on);
void SetStencilFunction(Compare function, int reference, uint32_t mask, uint32_t writeMask);
void SetStencilOps(StencilOp fail, StencilOp depthFail, StencilOp pass);
// Two-sided stencil: with it on, culling is off and faces wound clockwise on the screen
// take the operations of SetStencilOps, faces wound counter-clockwise these ones, in one
// draw. ResetRenderStates turns it off.
void SetTwoSidedStencil(bool on);
void SetCounterClockwiseStencilOps(StencilOp fail, StencilOp depthFail, StencilOp pass);
void SetBlend(bool on);
void SetBlendFactors(BlendFactor source, BlendFactor destination);
void SetCull(Cull cull);
void SetDepthTest(bool on, Compare function);
void SetDepthWrite(bool on);
void SetShading(Shading shading);

// The baseline every draw returns to: depth test less-or-equal with writes, no
// blending, no stencil, no alpha test, counter-clockwise culling, Gouraud shading,
// texture modulated by diffuse, linear filtering, wrap addressing.
void ResetRenderStates();

// Draws an indexed triangle list.
void DrawMesh(const VertexPNT* vertices, int vertexCount, const uint16_t* indices, int indexCount);

// A mesh kept on the device between draws: its vertices and indices are sent only when
// they differ from what the device holds (a skinned mesh sends its vertices when its pose
// changed, its indices once). The buffers live until ReleaseKeptMesh or the display's end.
struct KeptMesh {
    unsigned vbo = 0, ibo = 0, generation = 0;
    std::vector<VertexPNT> vertices;
    std::vector<uint16_t> indices;
};
void DrawKeptMesh(KeptMesh& mesh, const VertexPNT* vertices, int vertexCount, const uint16_t* indices,
                  int indexCount);
void ReleaseKeptMesh(KeptMesh& mesh);
// Draws positions as a triangle list (shadow volumes) or, with indices, indexed.
void DrawPositions(const float* xyz, int vertexCount, const uint16_t* indices = nullptr, int indexCount = 0);
// Draws quads (4 vertices each) through the shared quad index list.
void DrawColouredQuads(const VertexPCT* vertices, int quadCount);
void DrawScreenQuads(const VertexScreen* vertices, int quadCount);

// A pass that lands only inside known meshes: the screen rectangle the vertices cover under
// the current transforms (first three floats a position, `stride` bytes apart; the whole
// screen when one lies behind the eye) is gathered, then BeginDrawingLimit keeps every draw,
// clear and copy inside it until EndDrawingLimit, which also forgets what was gathered.
void GatherDrawingLimit(const void* vertices, size_t stride, int vertexCount);
void BeginDrawingLimit();
void EndDrawingLimit();

void ClearDepth(float depth);
void ClearStencil(int value);
// The screen rectangle that positions drawn with a stencil-changing operation have
// touched since the last reset (the whole screen when a vertex lies behind the eye).
// False when nothing has been drawn into the stencil.
bool StencilBounds(int& left, int& top, int& right, int& bottom);
void ResetStencilBounds();
// Reads the back buffer's depth (window depth 0..1) at a screen pixel (tests, tools).
float ReadDepth(int x, int y);
int ReadStencil(int x, int y);

// Builds the device's programs and buffers (called once the display is up).
bool InitRenderDevice();
void ReleaseRenderDevice();

}  // namespace device
}  // namespace tarvex
