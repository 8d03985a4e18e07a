// The actor table: placed instances of models (the hero, other characters, props on
// bones), their motions, walking along routes, turning, skinning and bone points.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/math.h"
#include "scene/path_finding.h"

namespace tarvex {

constexpr int kActorCount = 2048;
constexpr size_t kActorRecordSize = 7088;
constexpr float kTwoPi = 6.2831853f;
constexpr float kPi = 3.14159265f;
constexpr float kTurnAtOnce = 0.5235988f;  // 30 degrees: smaller turns need no motion

struct ActorRecord {
    uint8_t inUse = 0;
    uint8_t visible = 0;
    uint8_t attached = 0;
    Vec3 position;
    Vec3 waypoint;
    Vec3 destination;
    float walkSpeed = 0;
    float secondSpeed = 0;
    float heading = 0;
    int32_t walking = 0;
    int32_t model = -1;
    int32_t texture = -1;
    int32_t motion = 0;
    int32_t idleMotion = 0;
    float frame = 0;
    uint32_t updateCounter = 0;
    int32_t clickable = 0;
    int32_t screenRect[4] = {};
    Vec3 scale{1, 1, 1};
    int32_t targetCell[2] = {};
    int32_t requestedCell[2] = {};
    float finalHeading = 0;
    int32_t walkRequest = 0;
    int32_t reachedCell[2] = {};
    PathResult path;  // pathLength, pathPoints, pathType, pathIndex
    int32_t requestCopy[2] = {};
    float turnTarget = 0;
    float turnRate = 0;
    int32_t shadowMode = 0;
    std::vector<int32_t> attachments;  // one a bone: the prop hung there, -1 none
    Vec3 trackedPoints[4];
    int32_t frameNow = 0;
    int32_t frameNext = 0;
};

struct ActorTables {
    ActorRecord actors[kActorCount];
    int actorCount = 0;
    // Per-scene lock of the idle variants (scene scripts set it).
    uint32_t idleVariantLock[1024] = {};
};
extern ActorTables actorTable;

// The saved-game image of a record: the byte layout saved games store.
void SerializeActor(const ActorRecord& actor, uint8_t* out);
// Whether an image holds values the engine can place and walk with (finite positions and
// angles, a path and a motion inside their tables).
bool ActorImageSound(const uint8_t* image);
// Reads an image back; the attachments table is not part of it and comes back empty.
void DeserializeActor(const uint8_t* in, ActorRecord& actor);

// A restored game's hero place, applied once to the next actor 0 created.
void SetRestoredHeroPlace(const Vec3& position, float heading);
void ClearRestoredHeroPlace();

int LoadActor(const char* path, const Vec3& position, float heading);
int AttachActor(const char* path, const char* boneName, int parent);
void WalkTo(int actor, int x, int y, float finalHeading);
int TurnToFinalHeading(int actor);
void UpdateActor(int actor);
void AdvanceAnimation(int actor);
// Skinned positions and normals into the model's render vertices.
void SkinModel(int model, float frame);
void SkinAttachedModel(int model, float frame, const Mat4& attach);
Mat4 BoneAttachMatrix(int parentModel, int bone, float parentFrame);
Vec3 BoneWorldPoint(int model, int bone, const ActorRecord& actor);
// Heading (about y) that faces along (dx, dz).
float HeadingTowards(float dx, float dz);
// What drawing leaves in the table, once an actor pass: each visible actor's tracked bone
// points, and its props take its motion and step their animation.
void PoseDrawnActors();
// Updates every visible actor, poses them, then draws them through the drawing set below.
void RunActorPass();
// What draws the actors of a pass (nothing until one is set).
void SetActorPassDrawing(void (*draw)());
// The frame's budget of one route search for all actors.
void ResetPathSearchBudget();

// Frees and clears every actor record.
void ResetActors();

}  // namespace tarvex
