#include "render/actor_render.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "base/display_values.h"
#include "base/globals.h"
#include "model/actor.h"
#include "model/model_file.h"
#include "platform/depth_buffer.h"
#include "platform/display.h"
#include "platform/render_device.h"
#include "render/frame_description.h"
#include "render/frame_render.h"
#include "scene/scene_description.h"
#include "scene/scene_load.h"

namespace tarvex {

namespace {

using namespace device;

Mat4 WorldMatrix;
Mat4 MirrorMatrix;
int normalPass = 1;

float shadowBuffer[kShadowVertexCapacity * 3];
uint16_t silhouette[kSilhouetteEdgeCapacity][2];

struct Identity {
    Identity() {
        MatIdentity(WorldMatrix);
        MatIdentity(MirrorMatrix);
    }
} identityInit;

// The model's cull mode as the device takes it; the mirror pass reverses the winding.
Cull CullFor(int mode) {
    if (mode == 1) return normalPass ? Cull::Clockwise : Cull::CounterClockwise;
    if (mode == 2) return normalPass ? Cull::CounterClockwise : Cull::Clockwise;
    return Cull::None;
}

// The model's render vertices are the device's mesh vertices, field for field.
static_assert(sizeof(RenderVertex) == sizeof(VertexPNT) && offsetof(RenderVertex, normal) == offsetof(VertexPNT, nx) &&
                  offsetof(RenderVertex, u) == offsetof(VertexPNT, u),
              "render vertices are mesh vertices");

// Each model's mesh on the device, kept between frames.
KeptMesh keptMeshes[kMaxModels];

void DrawModelMesh(int model, const ModelRecord& m) {
    if (model < 0 || model >= kMaxModels) return;
    DrawKeptMesh(keptMeshes[model], reinterpret_cast<const VertexPNT*>(m.renderVertices.data()),
                 static_cast<int>(m.renderVertices.size()), m.triangles.data(), static_cast<int>(m.triangles.size()));
}

const ModelRecord* ModelOf(const FrameDescription& frame, int model) {
    if (model < 0 || static_cast<size_t>(model) >= frame.models.size() || !frame.models[model].loaded) return nullptr;
    return &frame.models[model];
}

void DrawShadow(const FrameDescription& frame, int model, bool castsShadow) {
    if (!frame.stencilShadows || !castsShadow || normalPass != 1) return;
    SetFog(false);
    Mat4 inverse;
    float det = 0;
    MatInverse(inverse, &det, WorldMatrix);
    Vec3 light;
    Vec3TransformCoord(light, frame.shadowLight, inverse);
    const ModelRecord* m = ModelOf(frame, model);
    const int count = m ? BuildShadowVolume(*m, light, frame.shadowLength) : 0;
    if (count <= 0) return;
    SetLighting(false);
    SetTexture(nullptr);
    SetDepthWrite(false);
    SetStencil(true);
    SetShading(Shading::Flat);
    SetStencilFunction(Compare::Always, 1, 0xFFFFFFFF, 0xFFFFFFFF);
    // One draw counts both sides: faces toward the eye (clockwise on the screen) up,
    // faces away down, wrapping, so that the order of the faces does not matter.
    SetTwoSidedStencil(true);
    SetStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Increment);
    SetCounterClockwiseStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Decrement);
    SetBlend(true);
    SetBlendFactors(BlendFactor::Zero, BlendFactor::One);
    DrawPositions(shadowBuffer, count);
    SetTwoSidedStencil(false);
    SetShading(Shading::Gouraud);
    SetCull(Cull::CounterClockwise);
    SetDepthWrite(true);
    SetStencil(false);
    SetBlend(false);
    SetStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Zero);
}

// Where an actor's props lie in the frame's list: [first, end).
std::pair<int, int> PropRange(const FrameDescription& frame, const ActorDraw& a) {
    return {std::max(a.firstProp, 0), std::min(a.firstProp + a.propCount, static_cast<int>(frame.props.size()))};
}

bool MirrorDrawn(const FrameDescription& frame) { return frame.mirror.mirrorEnabled && frame.stencilAvailable; }

void DrawActor(const FrameDescription& frame, const ActorDraw& a) {
    const ModelRecord* m = ModelOf(frame, a.model);
    if (!m || m->pointCount == 0) return;
    if (frame.fog) SetFog(true);
    // In a mirror scene both passes draw the vertices skinned before the mirror pass.
    if (!MirrorDrawn(frame)) SkinModel(a.model, a.frame);
    MatMultiply(WorldMatrix, a.world, MirrorMatrix);
    SetWorld(WorldMatrix.m);
    SetTexture(a.texture);
    SetTextureOp(TextureOp::Modulate);
    SetNormalizeNormals(true);
    SetLighting(true);
    SetCull(CullFor(m->cullMode));
    if (m->alphaTest) SetAlphaTest(true, 240, Compare::GreaterEqual);
    DrawModelMesh(a.model, *m);
    SetAlphaTest(false, 0, Compare::Always);
    DrawShadow(frame, a.model, a.castsShadow);
    SetCull(Cull::CounterClockwise);
    SetLighting(false);
}

void DrawProps(const FrameDescription& frame, const ActorDraw& parent) {
    if (!ModelOf(frame, parent.model)) return;
    const auto [first, end] = PropRange(frame, parent);
    for (int i = first; i < end; ++i) {
        const PropDraw& prop = frame.props[i];
        const ModelRecord* m = ModelOf(frame, prop.model);
        if (!m) continue;
        SetCull(CullFor(prop.cullMode));
        // In a mirror scene both passes draw what was skinned before the mirror pass.
        if (!MirrorDrawn(frame)) SkinAttachedModel(prop.model, prop.frame, prop.attach);
        MatMultiply(WorldMatrix, parent.propWorld, MirrorMatrix);
        SetWorld(WorldMatrix.m);
        if (m->alphaTest) SetAlphaTest(true, 32, Compare::GreaterEqual);
        SetTexture(prop.texture);
        SetLighting(true);
        SetNormalizeNormals(true);
        if (frame.fog) SetFog(true);
        if (m->pointCount > 0) DrawModelMesh(prop.model, *m);
        SetAlphaTest(false, 0, Compare::Always);
        DrawShadow(frame, prop.model, parent.castsShadow);
    }
    SetLighting(false);
}

void DrawActorsOfPass(const FrameDescription& frame) {
    for (const ActorDraw& a : frame.actors) {
        DrawActor(frame, a);
        DrawProps(frame, a);
    }
}

// The reflection's matrix: through the mirror's plane, lifted by the mirror's value.
void SetReflection(const SceneMirror& mirror) {
    Plane plane;
    PlaneFromPoints(plane, mirror.corner0, mirror.corner1, mirror.corner2);
    Mat4 reflect, lift;
    MatReflect(reflect, plane);
    MatTranslation(lift, 0, mirror.mirrorValue, 0);
    MatMultiply(MirrorMatrix, reflect, lift);
}

// Skins the actors and their props for the mirror pass and gathers where their reflections
// land on the screen: nothing of the pass (the depth clear, the mark, the reflection) is
// needed outside, and the scenery's depth and a clear stencil are put back after it.
void GatherReflection(const FrameDescription& frame) {
    for (const ActorDraw& a : frame.actors) {
        const ModelRecord* m = ModelOf(frame, a.model);
        if (!m) continue;
        if (m->pointCount > 0) {
            SkinModel(a.model, a.frame);
            MatMultiply(WorldMatrix, a.world, MirrorMatrix);
            SetWorld(WorldMatrix.m);
            GatherDrawingLimit(m->renderVertices.data(), sizeof(RenderVertex), static_cast<int>(m->renderVertices.size()));
        }
        const auto [first, end] = PropRange(frame, a);
        for (int i = first; i < end; ++i) {
            const PropDraw& prop = frame.props[i];
            const ModelRecord* pm = ModelOf(frame, prop.model);
            if (!pm) continue;
            SkinAttachedModel(prop.model, prop.frame, prop.attach);
            MatMultiply(WorldMatrix, a.propWorld, MirrorMatrix);
            SetWorld(WorldMatrix.m);
            if (pm->pointCount > 0)
                GatherDrawingLimit(pm->renderVertices.data(), sizeof(RenderVertex), static_cast<int>(pm->renderVertices.size()));
        }
    }
}

// Marks the mirror's quadrilateral in the stencil, invisibly, then sets the reflection.
void MarkMirror(const SceneMirror& mirror) {
    ClearDepth(1.0f);
    SetStencil(true);
    SetStencilFunction(Compare::Always, 1, 0xFFFFFFFF, 0xFFFFFFFF);
    SetStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Increment);
    SetBlend(true);
    SetBlendFactors(BlendFactor::Zero, BlendFactor::One);
    SetDepthWrite(false);
    MatIdentity(WorldMatrix);
    SetWorld(WorldMatrix.m);
    SetCull(Cull::None);
    const Vec3 c[4] = {mirror.corner0, mirror.corner1, mirror.corner2, mirror.corner3};
    const float corners[12] = {c[0].x, c[0].y, c[0].z, c[1].x, c[1].y, c[1].z,
                               c[2].x, c[2].y, c[2].z, c[3].x, c[3].y, c[3].z};
    const uint16_t quad[6] = {0, 1, 2, 1, 2, 3};
    DrawPositions(corners, 4, quad, 6);
    // The reflection is drawn inside the mark.
    SetCull(Cull::CounterClockwise);
    SetDepthWrite(true);
    SetDepthTest(true, Compare::LessEqual);
    SetStencilFunction(Compare::NotEqual, 0, 0xFFFFFFFF, 0xFFFFFFFF);
    SetStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Keep);
    SetBlend(false);
}

}  // namespace

void ApplySceneToDevice(const FrameDescription& frame) {
    SetView(frame.view.m);
    SetProjection(frame.projection.m);
    for (int i = 0; i < kMaxPointLights; ++i) {
        const SceneLight s = static_cast<size_t>(i) < frame.lights.size() ? frame.lights[i] : SceneLight{};
        Light l;
        l.position[0] = s.position.x;
        l.position[1] = s.position.y;
        l.position[2] = s.position.z;
        for (int c = 0; c < 4; ++c) l.diffuse[c] = s.diffuse[c];
        l.range = s.range;
        l.attenuation[0] = s.attenuation0;
        l.attenuation[1] = s.attenuation1;
        l.attenuation[2] = s.attenuation2;
        SetLight(i, l);
        EnableLight(i, s.enabled);
    }
    SetAmbient(frame.ambient);
    Material material;
    for (int c = 0; c < 4; ++c) {
        material.diffuse[c] = frame.material.diffuse[c];
        material.ambient[c] = frame.material.ambient[c];
        material.emissive[c] = frame.material.emissive[c];
    }
    SetMaterial(material);
}

void DrawActorPasses(const FrameDescription& frame) {
    ApplySceneToDevice(frame);
    if (MirrorDrawn(frame)) {
        normalPass = 0;
        SetReflection(frame.mirror);
        GatherReflection(frame);
        BeginDrawingLimit();
        MarkMirror(frame.mirror);
        DrawActorsOfPass(frame);
        EndDrawingLimit();
        SetStencil(false);
    }
    MatIdentity(WorldMatrix);
    MatIdentity(MirrorMatrix);
    normalPass = 1;
    SetWorld(WorldMatrix.m);
    // The scenery depth (and a cleared stencil) back in the depth buffer.
    RestoreBackBufferDepth();
    device::ResetStencilBounds();
    DrawActorsOfPass(frame);
    SetFog(false);
    ResetRenderStates();
}

int BuildShadowVolume(const ModelRecord& m, const Vec3& light, float length) {
    int edges = 0;
    auto toggle = [&edges](uint16_t a, uint16_t b) {
        for (int i = 0; i < edges; ++i) {
            if ((silhouette[i][0] == a && silhouette[i][1] == b) || (silhouette[i][0] == b && silhouette[i][1] == a)) {
                silhouette[i][0] = silhouette[edges - 1][0];
                silhouette[i][1] = silhouette[edges - 1][1];
                --edges;
                return;
            }
        }
        // A mesh with more open edges than the list holds keeps the first ones.
        if (edges < kSilhouetteEdgeCapacity) {
            silhouette[edges][0] = a;
            silhouette[edges][1] = b;
            ++edges;
        }
    };
    const size_t n = m.weldedTriangles.size() / 3 * 3;
    for (size_t t = 0; t < n; t += 3) {
        const uint16_t ia = m.weldedTriangles[t], ib = m.weldedTriangles[t + 1], ic = m.weldedTriangles[t + 2];
        if (ia >= m.renderVertices.size() || ib >= m.renderVertices.size() || ic >= m.renderVertices.size()) continue;
        const Vec3 &a = m.renderVertices[ia].position, &b = m.renderVertices[ib].position,
                   &c = m.renderVertices[ic].position;
        Vec3 cb, ba, normal;
        Vec3Subtract(cb, c, b);
        Vec3Subtract(ba, b, a);
        Vec3Cross(normal, cb, ba);
        if (Vec3Dot(normal, light) >= 0.0f) {
            toggle(ia, ib);
            toggle(ib, ic);
            toggle(ic, ia);
        }
    }
    // Two triangles an edge, six vertices: the buffer holds 1365 edges.
    int count = 0;
    const Vec3 offset{light.x * length, light.y * length, light.z * length};
    for (int e = 0; e < edges && count + 6 <= kShadowVertexCapacity; ++e) {
        const Vec3& a = m.renderVertices[silhouette[e][0]].position;
        const Vec3& b = m.renderVertices[silhouette[e][1]].position;
        const Vec3 a2{a.x - offset.x, a.y - offset.y, a.z - offset.z};
        const Vec3 b2{b.x - offset.x, b.y - offset.y, b.z - offset.z};
        const Vec3 tri[6] = {a, b, a2, b, b2, a2};
        for (const Vec3& v : tri) {
            shadowBuffer[count * 3] = v.x;
            shadowBuffer[count * 3 + 1] = v.y;
            shadowBuffer[count * 3 + 2] = v.z;
            ++count;
        }
    }
    return count;
}

const float* ShadowVertices() { return shadowBuffer; }

}  // namespace tarvex
