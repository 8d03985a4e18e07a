#include "model/actor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/globals.h"
#include "model/model_file.h"
#include "platform/random.h"
#include "scene/scene_description.h"
#include "scene/scene_load.h"
#include "scene/walk_mask.h"

namespace tarvex {

ActorTables actorTable;

namespace {

int pathSearchesThisFrame = 0;
bool heroRestorePending = false;
Vec3 heroRestorePosition;
float heroRestoreHeading = 0;

ModelRecord* ModelOf(const ActorRecord& a) {
    if (a.model < 0 || a.model >= kMaxModels || !modelTables.models[a.model].loaded) return nullptr;
    return &modelTables.models[a.model];
}

const MotionEntry& Motion(const ModelRecord& m, int motion) {
    if (motion < 0 || motion >= kMotionCount || !m.motions[motion].defined) return m.motions[0];
    return m.motions[motion];
}

bool Defined(const ModelRecord& m, int motion) {
    return motion >= 0 && motion < kMotionCount && m.motions[motion].defined;
}

bool Turning(const ActorRecord& a) { return a.motion == 12 || a.motion == 13; }

float Wrap(float heading) {
    float c = std::fmod(heading, kTwoPi);
    if (c < 0) c += kTwoPi;
    return c;
}

void Stop(ActorRecord& a) {
    a.walking = 0;
    a.motion = 0;
}

// Screen pixel with its floor depth to the world; false where there is no floor.
bool FloorPoint(int x, int y, Vec3& out) {
    if (x < 0 || y < 0 || x >= kFloorWidth || y >= kFloorHeight) return false;
    const float d = FloorDepthAt(x, y);
    if (d < kNoFloor) return false;
    out = ScreenToWorld(x, y, d);
    return true;
}

// Starts the turn towards heading h, or takes it at once when it is within 30 degrees.
void TurnTowards(ActorRecord& a, const ModelRecord& m, float h) {
    float diff = Wrap(a.heading) - h;
    int motion = diff >= 0 ? 12 : 13;
    if (diff > kPi) {
        diff = kTwoPi - diff;
        motion = 13;
    } else if (diff < -kPi) {
        diff = diff + kTwoPi;
        motion = 12;
    }
    if (std::fabs(diff) <= kTurnAtOnce) {
        a.heading = h;
        return;
    }
    const MotionEntry& turn = Motion(m, motion);
    const float ticks = turn.speed != 0.0f ? (turn.last - turn.first) / turn.speed : 0.0f;
    const float amount = std::fabs(diff);
    a.turnTarget = h;
    a.turnRate = ticks > 0.0f ? (motion == 12 ? -amount : amount) / ticks : 0.0f;
    a.motion = motion;
    a.frame = turn.first;
}

// The wrapped difference between the actor's heading and h, as the steering uses it.
float HeadingDifference(const ActorRecord& a, float h) {
    float diff = Wrap(a.heading) - h;
    if (diff > kPi) diff -= kTwoPi;
    if (diff < -kPi) diff += kTwoPi;
    return diff;
}

void StartWalk(ActorRecord& a, const ModelRecord& m) {
    int x = a.targetCell[0], y = a.targetCell[1];
    if (x < 0 || y < 0 || x >= kFloorWidth || y >= kFloorHeight) {
        a.walkRequest = 0;
        return;
    }
    if (MaskAtScreen(x, y) != 0) {
        const ScreenPoint p = NearestFreeCell(x, y);
        x = a.targetCell[0] = p.x;
        y = a.targetCell[1] = p.y;
    }
    a.walkRequest = 0;
    a.path.pathLength = -1;
    // A point without floor (a view with no walk area, the sky of a picture) has no place
    // in the world to walk to: as with no route, the actor stops where he stands.
    if (!HasFloor(x, y)) {
        a.path.pathIndex = 0;
        a.waypoint = a.position;
        Stop(a);
        return;
    }
    a.destination = ScreenToWorld(x, y, FloorDepthAt(x, y));
    Mat4 identity;
    MatIdentity(identity);
    FindPath(a.path, a.position, identity, sceneTables.sceneCamera.viewMatrix, sceneTables.sceneCamera.projectionMatrix, x, y);
    ++pathSearchesThisFrame;
    if (a.path.pathType == kPathOffScreen) {
        a.waypoint = a.destination;
        a.walking = 1;
        a.path.pathIndex = 0;
        a.motion = 8;
        a.heading = HeadingTowards(a.destination.x - a.position.x, a.destination.z - a.position.z);
        return;
    }
    a.walking = 1;
    a.path.pathIndex = 0;
    a.motion = 8;
    if (a.path.pathLength == -1) {
        a.waypoint = a.position;
        Stop(a);
        return;
    }
    if (a.path.pathLength == 0) {
        Stop(a);
        a.reachedCell[0] = a.targetCell[0];
        a.reachedCell[1] = a.targetCell[1];
        return;
    }
    if (a.path.pathLength <= 3) {
        a.position = a.destination;
        Stop(a);
        a.reachedCell[0] = a.targetCell[0];
        a.reachedCell[1] = a.targetCell[1];
        return;
    }
    if (!FloorPoint(a.path.pathPoints[1][0], a.path.pathPoints[1][1], a.waypoint)) {
        Stop(a);
        return;
    }
    // Look four cells ahead on a searched route (the last cell on a short one).
    Vec3 look = a.destination;
    if (a.path.pathType == kPathSearched) {
        const int ahead = std::min(4, a.path.pathLength - 1);
        if (!FloorPoint(a.path.pathPoints[ahead][0], a.path.pathPoints[ahead][1], look)) look = a.destination;
    }
    TurnTowards(a, m, HeadingTowards(look.x - a.position.x, look.z - a.position.z));
}

void Steer(ActorRecord& a) {
    if (!a.walking || a.path.pathType != kPathSearched || Turning(a)) return;
    const int ahead = a.path.pathIndex + 4;
    if (ahead >= a.path.pathLength) return;
    Vec3 p;
    if (!FloorPoint(a.path.pathPoints[ahead][0], a.path.pathPoints[ahead][1], p)) return;
    const float diff = HeadingDifference(a, HeadingTowards(p.x - a.position.x, p.z - a.position.z));
    a.heading = Wrap(a.heading) - diff / 2.0f;
}

void WalkStep(ActorRecord& a, const ModelRecord& m) {
    if ((a.motion != 8 && a.motion != 9) || !a.walking) return;
    float step = a.walkSpeed;
    if (a.frame < Motion(m, a.motion).first + 5.0f) step *= 0.5f;
    step *= framePace.synch;
    auto distance = [&a] {
        Vec3 d;
        Vec3Subtract(d, a.waypoint, a.position);
        return Vec3Length(d);
    };
    if (a.path.pathType == kPathOffScreen) {
        if (distance() < 10.0f) {
            a.position = a.waypoint;
            Stop(a);
            a.reachedCell[0] = a.targetCell[0];
            a.reachedCell[1] = a.targetCell[1];
            return;
        }
    } else {
        int k = 8;
        float d = distance();
        while (d < k * step) {
            if (a.path.pathIndex + 1 < a.path.pathLength) {
                ++a.path.pathIndex;
                const int32_t* cell = a.path.pathPoints[a.path.pathIndex];
                if (!FloorPoint(cell[0], cell[1], a.waypoint)) {
                    Stop(a);
                    return;
                }
                d = distance();
            } else if (--k == 0) {
                a.position = a.destination;
                a.reachedCell[0] = a.targetCell[0];
                a.reachedCell[1] = a.targetCell[1];
                Stop(a);
                return;
            }
        }
    }
    const float d = distance();
    if (d <= 0.0f) return;
    a.position.x += (a.waypoint.x - a.position.x) * step / d;
    a.position.y += (a.waypoint.y - a.position.y) * step / d;
    a.position.z += (a.waypoint.z - a.position.z) * step / d;
}

// The animation step; `update` marks the full actor update (fallbacks and turns).
void AnimationStep(ActorRecord& a, const ModelRecord& m, bool update) {
    const MotionEntry& e = Motion(m, a.motion);
    if (a.frame < e.first || a.frame > e.last) a.frame = e.first;
    a.frameNow = static_cast<int32_t>(a.frame);
    a.frame += framePace.synch * e.speed;
    a.frameNext = static_cast<int32_t>(a.frame);
    if (a.frame < e.last) return;
    a.frameNext = static_cast<int32_t>(e.last);
    if (e.loopTo != -1.0f) {
        a.frame = e.loopTo;
        return;
    }
    if (update && Turning(a)) {
        a.heading = a.turnTarget;
        a.motion = a.walking ? 8 : 0;
    } else {
        int next = static_cast<int>(e.next);
        if (update && !Defined(m, next)) next = 0;
        a.motion = next;
    }
    a.frame = Motion(m, a.motion).first;
}

}  // namespace

float HeadingTowards(float dx, float dz) {
    if (dx == 0.0f) return dz >= 0.0f ? kPi / 2.0f : 3.0f * kPi / 2.0f;
    if (dz == 0.0f) return dx > 0.0f ? kPi : 0.0f;
    float h = std::atan(dx / dz) + kPi / 2.0f;
    if (dz < 0.0f) h += kPi;
    return h;
}

void ClearRestoredHeroPlace() { heroRestorePending = false; }

void SetRestoredHeroPlace(const Vec3& position, float heading) {
    heroRestorePending = true;
    heroRestorePosition = position;
    heroRestoreHeading = heading;
}

// The first free slot, cleared and taken for `model` (texture, bones, scale set); -1 when full.
static int TakeActorSlot(int model) {
    int slot = -1;
    for (int i = 0; i < kActorCount && slot < 0; ++i)
        if (!actorTable.actors[i].inUse) slot = i;
    if (slot < 0) return -1;
    ++actorTable.actorCount;
    if (actorTable.actorCount > kActorCount) actorTable.actorCount = kActorCount;
    if (slot >= actorTable.actorCount) actorTable.actorCount = slot + 1;
    ActorRecord& a = actorTable.actors[slot];
    a = ActorRecord{};
    a.inUse = 1;
    a.model = model;
    a.texture = LoadTexture(ModelTexturePath(model));
    a.attachments.assign(modelTables.models[model].boneCount, -1);
    return slot;
}

int LoadActor(const char* path, const Vec3& position, float heading) {
    const int model = LoadModel(path ? path : "");
    if (model < 0) return -1;
    const int slot = TakeActorSlot(model);
    if (slot < 0) return -1;
    ActorRecord& a = actorTable.actors[slot];
    a.visible = 1;
    a.position = position;
    a.heading = heading;
    if (slot == 0 && heroRestorePending) {
        a.position = heroRestorePosition;
        a.heading = heroRestoreHeading;
        heroRestorePending = false;
    }
    return slot;
}

int AttachActor(const char* path, const char* boneName, int parent) {
    if (parent < 0 || parent >= kActorCount || !actorTable.actors[parent].inUse) return -1;
    const ModelRecord* pm = ModelOf(actorTable.actors[parent]);
    if (!pm || !boneName) return -1;
    int bone = -1;
    for (uint32_t b = 0; b < pm->boneCount && bone < 0; ++b)
        if (std::strcmp(pm->bones[b].name, boneName) == 0) bone = static_cast<int>(b);
    if (bone < 0) return -1;
    const int model = LoadModel(path ? path : "");
    if (model < 0) return -1;
    const int slot = TakeActorSlot(model);
    if (slot < 0) return -1;
    ActorRecord& a = actorTable.actors[slot];
    a.attached = 1;
    a.visible = 0;
    ActorRecord& p = actorTable.actors[parent];
    if (p.attachments.size() < pm->boneCount) p.attachments.resize(pm->boneCount, -1);
    p.attachments[bone] = slot;
    return slot;
}

void WalkTo(int actor, int x, int y, float finalHeading) {
    if (actor < 0 || actor >= kActorCount) return;
    ActorRecord& a = actorTable.actors[actor];
    a.targetCell[0] = a.requestedCell[0] = a.requestCopy[0] = x;
    a.targetCell[1] = a.requestedCell[1] = a.requestCopy[1] = y;
    a.finalHeading = finalHeading;
    a.walkRequest = 1;
}

int TurnToFinalHeading(int actor) {
    if (actor < 0 || actor >= kActorCount) return 1;
    ActorRecord& a = actorTable.actors[actor];
    if (a.reachedCell[0] != a.requestedCell[0] || a.reachedCell[1] != a.requestedCell[1] || a.walking) return 0;
    if (a.finalHeading > kTwoPi || a.finalHeading == a.heading) return 1;
    if (Turning(a)) return 0;
    const ModelRecord* m = ModelOf(a);
    if (!m) return 1;
    a.heading = Wrap(a.heading);
    TurnTowards(a, *m, a.finalHeading);
    if (Turning(a)) return 0;
    // Within 30 degrees the final heading was taken at once.
    a.motion = 0;
    return 1;
}

void UpdateActor(int index) {
    if (index < 0 || index >= kActorCount) return;
    ActorRecord& a = actorTable.actors[index];
    const ModelRecord* mp = ModelOf(a);
    if (!mp) return;
    const ModelRecord& m = *mp;
    if (!Defined(m, a.motion)) a.motion = 0;
    ++a.updateCounter;
    if (a.walkRequest && pathSearchesThisFrame == 0) StartWalk(a, m);
    Steer(a);
    WalkStep(a, m);
    if (Turning(a)) a.heading += framePace.synch * a.turnRate;
    AnimationStep(a, m, true);
    if (!a.walking && a.motion == a.idleMotion && Defined(m, a.idleMotion) &&
        a.frame == m.motions[a.idleMotion].first && loop.currentScene >= 0 && loop.currentScene < 1024 &&
        actorTable.idleVariantLock[loop.currentScene] == 0) {
        int r = static_cast<int>(static_cast<float>(Random15()) / 32767.0f * 32.0f);
        if (r > 7) r = 0;
        a.motion = a.idleMotion + r;
    }
}

void AdvanceAnimation(int index) {
    if (index < 0 || index >= kActorCount) return;
    ActorRecord& a = actorTable.actors[index];
    if (const ModelRecord* m = ModelOf(a)) AnimationStep(a, *m, false);
}

static void Skin(int modelIndex, float frame, const Mat4* attach) {
    if (modelIndex < 0 || modelIndex >= kMaxModels || !modelTables.models[modelIndex].loaded) return;
    ModelRecord& m = modelTables.models[modelIndex];
    int f = static_cast<int>(frame);
    if (f < 0 || static_cast<uint32_t>(f) >= m.frameCount) f = 0;
    auto pose = [&](uint32_t bone, Mat4& out) {
        const BoneRecord& b = m.bones[bone];
        const uint32_t p = static_cast<size_t>(f) < b.poseIndices.size() ? b.poseIndices[f] : 0;
        out = p < m.poses.size() ? m.poses[p] : Mat4{};
        if (attach) MatMultiply(out, out, *attach);
    };
    auto write = [&](uint32_t point, const Vec3& position, const Vec3& normal) {
        if (point >= m.pointVertexMap.size()) return;
        const PointVertices& pv = m.pointVertexMap[point];
        for (uint32_t k = 0; k < pv.count; ++k) {
            const size_t slot = pv.first + k;
            if (slot >= m.pointVertexIndices.size()) break;
            const uint16_t v = m.pointVertexIndices[slot];
            if (v >= m.renderVertices.size()) continue;
            m.renderVertices[v].position = position;
            m.renderVertices[v].normal = normal;
        }
    };
    Mat4 k;
    for (uint32_t b = 0; b < m.boneCount && b < m.bones.size(); ++b) {
        pose(b, k);
        for (uint16_t p : m.bones[b].points) {
            if (p >= m.points.size()) continue;
            Vec3 position, normal;
            Vec3TransformPoint(position, m.points[p], k);
            Vec3TransformNormal(normal, m.normals[p], k);
            write(p, position, normal);
        }
    }
    for (const BlendedPoint& bp : m.blendedPoints) {
        if (bp.point >= m.points.size() || bp.count == 0) continue;
        Vec3 position{0, 0, 0}, normal;
        for (uint16_t i = 0; i < bp.count && i < kMaxInfluences; ++i) {
            if (bp.bones[i] >= m.boneCount) continue;
            pose(bp.bones[i], k);
            if (i == 0) Vec3TransformNormal(normal, m.normals[bp.point], k);
            Vec3 q;
            Vec3TransformPoint(q, m.points[bp.point], k);
            position.x += bp.weights[i] * q.x;
            position.y += bp.weights[i] * q.y;
            position.z += bp.weights[i] * q.z;
        }
        write(bp.point, position, normal);
    }
}

void SkinModel(int model, float frame) { Skin(model, frame, nullptr); }
void SkinAttachedModel(int model, float frame, const Mat4& attach) { Skin(model, frame, &attach); }

Mat4 BoneAttachMatrix(int parentModel, int bone, float parentFrame) {
    Mat4 out;
    MatIdentity(out);
    if (parentModel < 0 || parentModel >= kMaxModels || !modelTables.models[parentModel].loaded) return out;
    const ModelRecord& m = modelTables.models[parentModel];
    if (bone < 0 || static_cast<uint32_t>(bone) >= m.boneCount || static_cast<size_t>(bone) >= m.bones.size()) return out;
    const BoneRecord& b = m.bones[bone];
    Mat4 rx, ry, rz, s, t, l;
    MatRotationX(rx, b.attachRotation.x * kDegreesToRadians);
    MatRotationY(ry, b.attachRotation.y * kDegreesToRadians);
    MatRotationZ(rz, b.attachRotation.z * kDegreesToRadians);
    MatScaling(s, b.attachScale.x * 0.01f, b.attachScale.y * 0.01f, b.attachScale.z * 0.01f);
    MatTranslation(t, b.attachOffset.x, b.attachOffset.y, b.attachOffset.z);
    MatMultiply(l, rx, ry);
    MatMultiply(l, l, rz);
    MatMultiply(l, l, s);
    MatMultiply(l, l, t);
    int f = static_cast<int>(parentFrame);
    if (f < 0 || static_cast<uint32_t>(f) >= m.frameCount) f = 0;
    const uint32_t p = static_cast<size_t>(f) < b.poseIndices.size() ? b.poseIndices[f] : 0;
    if (p < m.poses.size()) MatMultiply(out, l, m.poses[p]);
    else out = l;
    return out;
}

Vec3 BoneWorldPoint(int model, int bone, const ActorRecord& actor) {
    if (model < 0 || model >= kMaxModels || !modelTables.models[model].loaded || bone < 0 ||
        static_cast<uint32_t>(bone) >= modelTables.models[model].boneCount)
        return {0, 0, 0};
    Mat4 m = BoneAttachMatrix(model, bone, actor.frame), r, t;
    MatRotationY(r, actor.heading - kPi);
    MatTranslation(t, actor.position.x, actor.position.y, actor.position.z);
    MatMultiply(m, m, r);
    MatMultiply(m, m, t);
    Vec3 out;
    Vec3TransformCoord(out, Vec3{0, 0, 0}, m);
    return out;
}

namespace {

void (*actorPassDrawing)() = nullptr;

// A drawn actor's props take its motion and step their animation.
void StepProps(const ActorRecord& parent, const ModelRecord& pm) {
    for (size_t b = 0; b < parent.attachments.size() && b < pm.boneCount; ++b) {
        const int propIndex = parent.attachments[b];
        if (propIndex < 0 || propIndex >= kActorCount) continue;
        ActorRecord& prop = actorTable.actors[propIndex];
        if (!prop.inUse || !prop.attached || prop.model < 0 || prop.model >= kMaxModels) continue;
        ModelRecord& m = modelTables.models[prop.model];
        if (!m.loaded) continue;
        if (parent.motion != 0) prop.motion = parent.motion;
        AdvanceAnimation(propIndex);
        m.drawFrame = prop.frame;
    }
}

}  // namespace

void SetActorPassDrawing(void (*draw)()) { actorPassDrawing = draw; }

void PoseDrawnActors() {
    for (int i = 0; i < actorTable.actorCount && i < kActorCount; ++i) {
        ActorRecord& a = actorTable.actors[i];
        if (!a.inUse || !a.visible || a.model < 0 || a.model >= kMaxModels) continue;
        ModelRecord& m = modelTables.models[a.model];
        m.drawPosition = a.position;
        m.drawHeading = a.heading;
        m.drawFrame = a.frame;
        if (!m.loaded) continue;
        if (m.pointCount != 0)
            for (int k = 0; k < 4; ++k) a.trackedPoints[k] = BoneWorldPoint(a.model, static_cast<int>(m.trackedBones[k]), a);
        StepProps(a, m);
    }
}

void RunActorPass() {
    for (int i = 0; i < actorTable.actorCount && i < kActorCount; ++i)
        if (actorTable.actors[i].inUse && actorTable.actors[i].visible) UpdateActor(i);
    PoseDrawnActors();
    if (actorPassDrawing) actorPassDrawing();
}

void ResetPathSearchBudget() { pathSearchesThisFrame = 0; }

// The record's fields at their places in the saved image; one list serves both ways.
template <typename Record, typename Copy>
static void ActorFields(Record& a, Copy&& copy) {
    copy(0, &a.inUse, 1);
    copy(1, &a.visible, 1);
    copy(4, &a.attached, 1);
    copy(8, &a.position, 12);
    copy(20, &a.waypoint, 12);
    copy(44, &a.destination, 12);
    copy(68, &a.walkSpeed, 4);
    copy(72, &a.secondSpeed, 4);
    copy(76, &a.heading, 4);
    copy(80, &a.walking, 4);
    copy(84, &a.model, 4);
    copy(88, &a.texture, 4);
    copy(92, &a.motion, 4);
    copy(96, &a.idleMotion, 4);
    copy(100, &a.frame, 4);
    copy(2668, &a.updateCounter, 4);
    copy(2684, &a.clickable, 4);
    copy(2696, a.screenRect, 16);
    copy(2736, &a.scale, 12);
    copy(2748, a.targetCell, 8);
    copy(2756, a.requestedCell, 8);
    copy(2764, &a.finalHeading, 4);
    copy(2768, &a.walkRequest, 4);
    copy(2784, a.reachedCell, 8);
    copy(2792, &a.path.pathLength, 4);
    copy(2800, a.path.pathPoints, sizeof a.path.pathPoints);
    copy(6896, &a.path.pathType, 4);
    copy(6900, &a.path.pathIndex, 4);
    copy(6912, a.requestCopy, 8);
    copy(6932, &a.turnTarget, 4);
    copy(6936, &a.turnRate, 4);
    copy(6944, &a.shadowMode, 4);
    // 7024: the attachments table's address has no meaning in a file.
    copy(7028, a.trackedPoints, 48);
    copy(7076, &a.frameNow, 4);
    copy(7080, &a.frameNext, 4);
}

void SerializeActor(const ActorRecord& a, uint8_t* out) {
    std::memset(out, 0, kActorRecordSize);
    ActorFields(a, [out](size_t offset, const void* v, size_t n) { std::memcpy(out + offset, v, n); });
}

bool ActorImageSound(const uint8_t* in) {
    ActorRecord a;
    ActorFields(a, [in](size_t offset, void* v, size_t n) { std::memcpy(v, in + offset, n); });
    auto finite = [](const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); };
    return finite(a.position) && finite(a.waypoint) && finite(a.destination) && std::isfinite(a.heading) &&
           std::isfinite(a.frame) && std::isfinite(a.walkSpeed) && std::isfinite(a.secondSpeed) &&
           std::isfinite(a.finalHeading) && a.path.pathLength >= -1 && a.path.pathLength <= kMaxPathPoints &&
           a.path.pathIndex >= 0 && a.path.pathIndex < kMaxPathPoints && a.motion >= 0 && a.motion < kMotionCount;
}

void DeserializeActor(const uint8_t* in, ActorRecord& a) {
    a = ActorRecord{};
    ActorFields(a, [in](size_t offset, void* v, size_t n) { std::memcpy(v, in + offset, n); });
    // Values from a file are checked before anything indexes with them.
    if (a.path.pathLength > kMaxPathPoints) a.path.pathLength = kMaxPathPoints;
    if (a.path.pathIndex < 0 || a.path.pathIndex >= kMaxPathPoints) a.path.pathIndex = 0;
    if (a.motion < 0 || a.motion >= kMotionCount) a.motion = 0;
}

void ResetActors() {
    for (ActorRecord& a : actorTable.actors) a = ActorRecord{};
    actorTable.actorCount = 0;
}

}  // namespace tarvex
