#include "render/actor_render.h"

#include <cmath>
#include <vector>

#include "base/display_values.h"
#include "base/globals.h"
#include "model/actor.h"
#include "model/model_file.h"
#include "platform/depth_buffer.h"
#include "platform/display.h"
#include "platform/render_device.h"
#include "render/frame_render.h"
#include "scene/scene_description.h"
#include "scene/scene_load.h"

namespace tarvex {

Mat4 WorldMatrix;
Mat4 MirrorMatrix;

namespace {

using namespace device;

float shadowBuffer[kShadowVertexCapacity * 3];
uint16_t silhouette[kSilhouetteEdgeCapacity][2];
bool firstPassOfFrame = true;
std::vector<VertexPNT> meshVertices;

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

void DrawModelMesh(const ModelRecord& m) {
    meshVertices.resize(m.renderVertices.size());
    for (size_t i = 0; i < m.renderVertices.size(); ++i) {
        const RenderVertex& r = m.renderVertices[i];
        meshVertices[i] = {r.position.x, r.position.y, r.position.z, r.normal.x, r.normal.y, r.normal.z, r.u, r.v};
    }
    DrawMesh(meshVertices.data(), static_cast<int>(meshVertices.size()), m.triangles.data(),
             static_cast<int>(m.triangles.size()));
}

void DrawShadow(int model, int shadowActorMode) {
    if (stencilShadows != 4 || shadowActorMode != 4 || normalPass != 1) return;
    SetFog(false);
    Mat4 inverse;
    float det = 0;
    MatInverse(inverse, &det, WorldMatrix);
    Vec3 light;
    Vec3TransformCoord(light, shadowLight, inverse);
    const int count = BuildShadowVolume(model, light);
    if (count <= 0) return;
    SetLighting(false);
    SetTexture(nullptr);
    SetDepthWrite(false);
    SetStencil(true);
    SetShading(Shading::Flat);
    SetStencilFunction(Compare::Always, 1, 0xFFFFFFFF, 0xFFFFFFFF);
    SetStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Increment);
    SetBlend(true);
    SetBlendFactors(BlendFactor::Zero, BlendFactor::One);
    SetCull(Cull::CounterClockwise);
    DrawPositions(shadowBuffer, count);
    SetCull(Cull::Clockwise);
    SetStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Decrement);
    DrawPositions(shadowBuffer, count);
    SetShading(Shading::Gouraud);
    SetCull(Cull::CounterClockwise);
    SetDepthWrite(true);
    SetStencil(false);
    SetBlend(false);
    SetStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Zero);
}

void DrawActorsOfPass() {
    for (int i = 0; i < actorCount && i < kActorCount; ++i) {
        const ActorRecord& a = actors[i];
        if (!a.inUse || !a.visible || a.model < 0 || a.model >= kMaxModels) continue;
        ModelRecord& m = models[a.model];
        m.drawPosition = a.position;
        m.drawHeading = a.heading;
        m.drawFrame = a.frame;
        DrawActor(i);
        DrawProps(i);
    }
}

}  // namespace

void RunActorPass() {
    for (int i = 0; i < actorCount && i < kActorCount; ++i)
        if (actors[i].inUse && actors[i].visible) UpdateActor(i);
    DrawActorPasses();
}

void DrawActorPasses() {
    ApplySceneToDevice();
    firstPassOfFrame = true;
    if (sceneMirror.mirrorEnabled && GetDisplayObjects().stencilBits > 0) {
        ClearDepth(1.0f);
        normalPass = 0;
        // Mark the mirror's quadrilateral in the stencil, invisibly.
        SetStencil(true);
        SetStencilFunction(Compare::Always, 1, 0xFFFFFFFF, 0xFFFFFFFF);
        SetStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Increment);
        SetBlend(true);
        SetBlendFactors(BlendFactor::Zero, BlendFactor::One);
        SetDepthWrite(false);
        MatIdentity(WorldMatrix);
        SetWorld(WorldMatrix.m);
        SetCull(Cull::None);
        const Vec3 c[4] = {sceneMirror.corner0, sceneMirror.corner1, sceneMirror.corner2, sceneMirror.corner3};
        const float corners[12] = {c[0].x, c[0].y, c[0].z, c[1].x, c[1].y, c[1].z,
                                   c[2].x, c[2].y, c[2].z, c[3].x, c[3].y, c[3].z};
        const uint16_t quad[6] = {0, 1, 2, 1, 2, 3};
        DrawPositions(corners, 4, quad, 6);
        // Draw the reflection inside the mark.
        SetCull(Cull::CounterClockwise);
        SetDepthWrite(true);
        SetDepthTest(true, Compare::LessEqual);
        SetStencilFunction(Compare::NotEqual, 0, 0xFFFFFFFF, 0xFFFFFFFF);
        SetStencilOps(StencilOp::Keep, StencilOp::Keep, StencilOp::Keep);
        Plane plane;
        PlaneFromPoints(plane, sceneMirror.corner0, sceneMirror.corner1, sceneMirror.corner2);
        Mat4 reflect, lift;
        MatReflect(reflect, plane);
        MatTranslation(lift, 0, sceneMirror.mirrorValue, 0);
        MatMultiply(MirrorMatrix, reflect, lift);
        SetBlend(false);
        DrawActorsOfPass();
        SetStencil(false);
        firstPassOfFrame = false;
    }
    MatIdentity(WorldMatrix);
    MatIdentity(MirrorMatrix);
    normalPass = 1;
    SetWorld(WorldMatrix.m);
    // The scenery depth (and a cleared stencil) back in the depth buffer.
    RestoreBackBufferDepth();
    device::ResetStencilBounds();
    DrawActorsOfPass();
    SetFog(false);
    ResetRenderStates();
}

void DrawActor(int index) {
    if (index < 0 || index >= kActorCount) return;
    ActorRecord& a = actors[index];
    if (a.model < 0 || a.model >= kMaxModels || !models[a.model].loaded) return;
    ModelRecord& m = models[a.model];
    if (m.pointCount == 0) return;
    if (fogEnabled) SetFog(true);
    // In a mirror scene the normal pass reuses the vertices skinned in the mirror pass.
    if (!sceneMirror.mirrorEnabled || normalPass == 0 || GetDisplayObjects().stencilBits == 0)
        SkinModel(a.model, a.frame);
    Mat4 r, s, t;
    MatRotationY(r, a.heading + kPi);
    MatScaling(s, a.scale.x, a.scale.y, a.scale.z);
    MatTranslation(t, a.position.x, a.position.y, a.position.z);
    MatMultiply(WorldMatrix, r, s);
    MatMultiply(WorldMatrix, WorldMatrix, t);
    MatMultiply(WorldMatrix, WorldMatrix, MirrorMatrix);
    SetWorld(WorldMatrix.m);
    const Texture* texture = a.texture >= 0 && a.texture < kTextureCacheSize ? textureCache[a.texture].handle : nullptr;
    SetTexture(texture);
    SetTextureOp(TextureOp::Modulate);
    SetNormalizeNormals(true);
    SetLighting(true);
    SetCull(CullFor(m.cullMode));
    if (m.alphaTest) SetAlphaTest(true, 240, Compare::GreaterEqual);
    DrawModelMesh(m);
    SetAlphaTest(false, 0, Compare::Always);
    DrawShadow(a.model, a.shadowMode);
    SetCull(Cull::CounterClockwise);
    SetLighting(false);
    for (int i = 0; i < 4; ++i) a.trackedPoints[i] = BoneWorldPoint(a.model, static_cast<int>(m.trackedBones[i]), a);
}

void DrawProps(int parentIndex) {
    if (parentIndex < 0 || parentIndex >= kActorCount) return;
    ActorRecord& parent = actors[parentIndex];
    if (parent.model < 0 || parent.model >= kMaxModels || !models[parent.model].loaded) return;
    const ModelRecord& pm = models[parent.model];
    for (size_t b = 0; b < parent.attachments.size() && b < pm.boneCount; ++b) {
        const int propIndex = parent.attachments[b];
        if (propIndex < 0 || propIndex >= kActorCount) continue;
        ActorRecord& prop = actors[propIndex];
        if (!prop.inUse || !prop.attached || prop.model < 0 || prop.model >= kMaxModels) continue;
        ModelRecord& m = models[prop.model];
        if (!m.loaded) continue;
        if (parent.motion != 0) prop.motion = parent.motion;
        if (firstPassOfFrame) AdvanceAnimation(propIndex);
        m.drawFrame = prop.frame;
        // The bone's attachment cull mode, or the prop's own where the bone says 3.
        const int attachMode = pm.bones[b].attachCullMode;
        SetCull(CullFor(attachMode == 3 ? m.cullMode : attachMode));
        SkinAttachedModel(prop.model, prop.frame, BoneAttachMatrix(parent.model, static_cast<int>(b), parent.frame));
        Mat4 r, t;
        MatRotationY(r, parent.heading + kPi);
        MatTranslation(t, parent.position.x, parent.position.y, parent.position.z);
        MatMultiply(WorldMatrix, r, t);
        MatMultiply(WorldMatrix, WorldMatrix, MirrorMatrix);
        SetWorld(WorldMatrix.m);
        if (m.alphaTest) SetAlphaTest(true, 32, Compare::GreaterEqual);
        const Texture* texture =
            prop.texture >= 0 && prop.texture < kTextureCacheSize ? textureCache[prop.texture].handle : nullptr;
        SetTexture(texture);
        SetLighting(true);
        SetNormalizeNormals(true);
        if (fogEnabled) SetFog(true);
        if (m.pointCount > 0) DrawModelMesh(m);
        SetAlphaTest(false, 0, Compare::Always);
        DrawShadow(prop.model, parent.shadowMode);
    }
    SetLighting(false);
}

int BuildShadowVolume(int model, const Vec3& light) {
    if (model < 0 || model >= kMaxModels || !models[model].loaded) return 0;
    const ModelRecord& m = models[model];
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
    const Vec3 offset{light.x * shadowLength, light.y * shadowLength, light.z * shadowLength};
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
