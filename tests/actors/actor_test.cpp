#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "model/actor.h"
#include "model/model_file.h"
#include "platform/random.h"
#include "scene/scene_description.h"
#include "scene/scene_load.h"
#include "scene/walk_mask.h"
#include "shell/globals.h"
#include "support/test_support.h"
#include "world/model_writer.h"
#include "world/world_test_util.h"

namespace tarvex {
namespace {

constexpr float kDegree = 0.01745329f;

// A biped-ish test model: one bone, a quad, the walk and turn motions.
test::ModelSpec WalkerSpec() {
    test::ModelSpec s;
    s.points = {{-20, 0, 0}, {20, 0, 0}, {-20, 100, 0}, {20, 100, 0}};
    s.normals = {{0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, 0, -1}};
    s.uvs = {{0, 1}, {1, 1}, {0, 0}, {1, 0}};
    s.pointVertices = {{0}, {1}, {2}, {3}};
    s.triangles = {{0, 2, 1}, {1, 2, 3}};
    s.poses = {{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}};
    s.frameCount = 1;
    s.bones = {{"Bip01", {0, 1, 2, 3}, {0}}, {"Bip01 Neck", {}, {0}}};
    s.motions[0] = {0, 30, 0, 1.0f, 0};
    s.motions[8] = {0, 24, 0, 1.0f, 8};
    s.motions[12] = {0, 10, -1, 1.0f, 0};
    s.motions[13] = {0, 10, -1, 1.0f, 0};
    s.motions[20] = {0, 20, 10, 1.0f, 0};
    s.motions[21] = {0, 4, -1, 1.0f, 99};  // goes on to an undefined motion
    return s;
}

// A camera looking down at the floor y = 0, the whole mask free, the floor depth of
// every pixel where its ray meets the floor.
void MakeFloorScene() {
    sceneCamera.eye = {0, 500, -800};
    sceneCamera.target = {0, 0, 0};
    MatLookAt(sceneCamera.viewMatrix, sceneCamera.eye, sceneCamera.target, Vec3{0, 1, 0});
    MatPerspectiveFov(sceneCamera.projectionMatrix, 45.0f * kDegree, 0.75f, 100.0f, 10000.0f);
    std::memset(walkMask, 0, sizeof walkMask);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const Vec3 far = ScreenToWorld(x, y, 1.0f);
            // The unprojection is eye - d * ray; the floor lies where its height is 0.
            const float rayY = sceneCamera.eye.y - far.y;
            floorDepth[y * 800 + x] = rayY < 0 ? sceneCamera.eye.y / rayY : -200000.0f;
        }
}

Vec3 FloorUnder(int x, int y) { return ScreenToWorld(x, y, FloorDepthAt(x, y)); }

class ActorTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetEngine();
        ResetActors();
        ResetModels();
        folder = std::make_unique<test::GameFolder>("actors");
        test::WriteFile("models/walker.md", test::WriteModel(WalkerSpec()));
        test::WriteFile("models/prop.md", test::WriteModel(WalkerSpec()));
        MakeFloorScene();
        synch = 1.0f;
        currentScene = 5;
        idleVariantLock[5] = 1;
    }
    void TearDown() override {
        ResetActors();
        ResetModels();
        folder.reset();
    }
    void Frame(int actor) {
        ResetPathSearchBudget();
        UpdateActor(actor);
    }
    std::unique_ptr<test::GameFolder> folder;
};

TEST_F(ActorTest, CreationTakesFreeSlotsAndPropsReplaceEachOther) {
    const int hero = LoadActor("models/walker.md", FloorUnder(400, 400), 1.0f);
    ASSERT_EQ(hero, 0);
    EXPECT_EQ(actors[0].visible, 1);
    EXPECT_EQ(actors[0].attachments.size(), 2u);
    EXPECT_EQ(LoadActor("models/missing.md", Vec3{}, 0), -1);
    EXPECT_EQ(AttachActor("models/prop.md", "Bip01 Head", hero), -1);  // no such bone
    const int head = AttachActor("models/prop.md", "Bip01 Neck", hero);
    ASSERT_GT(head, 0);
    EXPECT_EQ(actors[head].attached, 1);
    EXPECT_EQ(actors[head].visible, 0);
    EXPECT_EQ(actors[hero].attachments[1], head);
    const int other = AttachActor("models/prop.md", "Bip01 Neck", hero);
    EXPECT_EQ(actors[hero].attachments[1], other);
    EXPECT_EQ(actorCount, 3);
    // A restored game's hero place replaces the new hero's once.
    ResetActors();
    SetRestoredHeroPlace(Vec3{1, 2, 3}, 2.5f);
    LoadActor("models/walker.md", Vec3{}, 0);
    EXPECT_EQ(actors[0].position.y, 2.0f);
    EXPECT_EQ(actors[0].heading, 2.5f);
    ResetActors();
    LoadActor("models/walker.md", Vec3{}, 0);
    EXPECT_EQ(actors[0].heading, 0.0f);
}

TEST_F(ActorTest, MotionsScaleWithSynchLoopAndFallBack) {
    const int a = LoadActor("models/walker.md", FloorUnder(400, 400), 0);
    synch = 2.0f;
    Frame(a);
    EXPECT_FLOAT_EQ(actors[a].frame, 2.0f);
    EXPECT_EQ(actors[a].frameNow, 0);
    EXPECT_EQ(actors[a].frameNext, 2);
    synch = 1.0f;
    actors[a].motion = 20;
    actors[a].frame = 19.6f;
    Frame(a);
    EXPECT_FLOAT_EQ(actors[a].frame, 10.0f);
    EXPECT_EQ(actors[a].frameNext, 20);
    // An undefined next motion becomes 0; an undefined current one falls back at once.
    actors[a].motion = 21;
    actors[a].frame = 3.5f;
    Frame(a);
    EXPECT_EQ(actors[a].motion, 0);
    actors[a].motion = 77;
    Frame(a);
    EXPECT_EQ(actors[a].motion, 0);
}

TEST_F(ActorTest, ShortWalksPlaceTheActorLongOnesWalk) {
    const int a = LoadActor("models/walker.md", FloorUnder(400, 400), 0);
    actors[a].walkSpeed = 3.0f;
    WalkTo(a, 404, 400, 10.0f);  // two cells away
    Frame(a);
    EXPECT_EQ(actors[a].walking, 0);
    EXPECT_NEAR(actors[a].position.x, FloorUnder(404, 400).x, 0.01f);
    EXPECT_EQ(TurnToFinalHeading(a), 1);  // no final heading (above 2 pi)
    WalkTo(a, 460, 400, 10.0f);
    Frame(a);
    EXPECT_EQ(actors[a].walking, 1);
    EXPECT_EQ(actors[a].motion == 8 || actors[a].motion == 12 || actors[a].motion == 13, true);
    EXPECT_EQ(TurnToFinalHeading(a), 0);
    int frames = 0;
    while (actors[a].walking && frames < 2000) {
        Frame(a);
        ++frames;
    }
    EXPECT_EQ(actors[a].walking, 0);
    EXPECT_NEAR(actors[a].position.x, FloorUnder(460, 400).x, 0.01f);
    EXPECT_NEAR(actors[a].position.z, FloorUnder(460, 400).z, 0.01f);
    EXPECT_EQ(actors[a].reachedCell[0], 460);
    EXPECT_GT(frames, 5);
}

// Where the picture has no floor (here a hole in it; a view without walk area has none at
// all) a walk is refused like one without a route: the actor neither moves nor ever
// arrives, and a walk on the floor still works.
TEST_F(ActorTest, APointWithoutFloorIsNeverWalkedTo) {
    for (int y = 100; y < 140; ++y)
        for (int x = 380; x < 420; ++x) floorDepth[y * 800 + x] = -200000.0f;
    const Vec3 start = FloorUnder(400, 400);
    const int a = LoadActor("models/walker.md", start, 0);
    actors[a].walkSpeed = 3.0f;
    ASSERT_FALSE(HasFloor(400, 120));
    WalkTo(a, 400, 120, 10.0f);
    for (int i = 0; i < 200; ++i) Frame(a);
    EXPECT_EQ(actors[a].walking, 0);
    EXPECT_EQ(actors[a].position.x, start.x);
    EXPECT_EQ(actors[a].position.y, start.y);
    EXPECT_EQ(actors[a].position.z, start.z);
    EXPECT_EQ(TurnToFinalHeading(a), 0);
    WalkTo(a, 404, 400, 10.0f);
    Frame(a);
    EXPECT_EQ(TurnToFinalHeading(a), 1);
    EXPECT_NEAR(actors[a].position.x, FloorUnder(404, 400).x, 0.01f);
}

TEST_F(ActorTest, WalkingCoversTwiceTheDistanceAtHalfTheFrameRate) {
    auto travelled = [&](float s) {
        ResetActors();
        const int a = LoadActor("models/walker.md", FloorUnder(200, 400), 0);
        actors[a].walkSpeed = 2.0f;
        actors[a].heading = HeadingTowards(1, 0);
        WalkTo(a, 600, 400, 10.0f);
        synch = s;
        const Vec3 start = actors[a].position;
        for (int i = 0; i < 20; ++i) Frame(a);
        return std::fabs(actors[a].position.x - start.x);
    };
    const float normal = travelled(1.0f);
    const float slow = travelled(2.0f);
    EXPECT_GT(normal, 0.0f);
    EXPECT_NEAR(slow / normal, 2.0f, 0.2f);
}

TEST_F(ActorTest, AWalkStartsAtPathIndexZeroWithPointOneAsWaypoint) {
    // Facing away from the target: the walk starts with a turn, so the frame shows the
    // walk's start before any walking step moved along the route.
    const int a = LoadActor("models/walker.md", FloorUnder(200, 400), 0.0f);
    WalkTo(a, 600, 400, 10.0f);
    Frame(a);
    ASSERT_GT(actors[a].path.pathLength, 3);
    ASSERT_TRUE(actors[a].motion == 12 || actors[a].motion == 13);
    EXPECT_EQ(actors[a].path.pathIndex, 0);
    const int32_t* first = actors[a].path.pathPoints[1];
    const Vec3 expected = FloorUnder(first[0], first[1]);
    EXPECT_NEAR(actors[a].waypoint.x, expected.x, 0.01f);
    EXPECT_NEAR(actors[a].waypoint.z, expected.z, 0.01f);
}

TEST_F(ActorTest, ThirtyDegreesTurnAtOnceThirtyOneDegreesPlayTheTurn) {
    const int a = LoadActor("models/walker.md", FloorUnder(400, 400), 1.0f);
    actors[a].reachedCell[0] = actors[a].requestedCell[0] = 400;
    actors[a].finalHeading = 1.0f + 30.0f * kDegree;
    EXPECT_EQ(TurnToFinalHeading(a), 1);
    EXPECT_FLOAT_EQ(actors[a].heading, 1.0f + 30.0f * kDegree);
    actors[a].heading = 1.0f;
    actors[a].finalHeading = 1.0f + 31.0f * kDegree;
    EXPECT_EQ(TurnToFinalHeading(a), 0);
    EXPECT_EQ(actors[a].motion, 13);  // the heading must grow
    int frames = 0;
    while (actors[a].motion == 13 && frames < 100) {
        Frame(a);
        ++frames;
    }
    EXPECT_EQ(frames, 10);  // the turn motion's length: 10 frames at speed 1
    EXPECT_FLOAT_EQ(actors[a].heading, 1.0f + 31.0f * kDegree);
    EXPECT_EQ(TurnToFinalHeading(a), 1);
    // The other way round uses motion 12.
    actors[a].finalHeading = 1.0f - 40.0f * kDegree;
    EXPECT_EQ(TurnToFinalHeading(a), 0);
    EXPECT_EQ(actors[a].motion, 12);
    EXPECT_LT(actors[a].turnRate, 0.0f);
}

TEST_F(ActorTest, OneRouteSearchAFrameForAllActors) {
    const int a = LoadActor("models/walker.md", FloorUnder(300, 400), 0);
    const int b = LoadActor("models/walker.md", FloorUnder(300, 300), 0);
    WalkTo(a, 500, 400, 10.0f);
    WalkTo(b, 500, 300, 10.0f);
    ResetPathSearchBudget();
    UpdateActor(a);
    UpdateActor(b);
    EXPECT_EQ(actors[a].walking, 1);
    EXPECT_EQ(actors[b].walking, 0);
    EXPECT_EQ(actors[b].walkRequest, 1);
    ResetPathSearchBudget();
    UpdateActor(a);
    UpdateActor(b);
    EXPECT_EQ(actors[b].walking, 1);
}

TEST_F(ActorTest, HeadingTowardsFollowsTheQuadrants) {
    EXPECT_FLOAT_EQ(HeadingTowards(0, 1), kPi / 2);
    EXPECT_FLOAT_EQ(HeadingTowards(0, -1), 3 * kPi / 2);
    EXPECT_FLOAT_EQ(HeadingTowards(1, 0), kPi);
    EXPECT_FLOAT_EQ(HeadingTowards(-1, 0), 0.0f);
    EXPECT_NEAR(HeadingTowards(1, 1), kPi / 4 + kPi / 2, 1e-5f);
    EXPECT_NEAR(HeadingTowards(1, -1), -kPi / 4 + kPi / 2 + kPi, 1e-5f);
}

TEST_F(ActorTest, IdleVariantsComeOneTimeInFour) {
    test::ModelSpec s = WalkerSpec();
    for (int m = 0; m < 8; ++m) s.motions[m] = {0, 1, -1, 1.0f, 0};
    test::WriteFile("models/idler.md", test::WriteModel(s));
    const int a = LoadActor("models/idler.md", FloorUnder(400, 400), 0);
    idleVariantLock[5] = 0;
    SeedRandom(3);
    int variants = 0, rounds = 0;
    for (int i = 0; i < 4000; ++i) {
        Frame(a);
        if (actors[a].frame == 0.0f) {
            ++rounds;
            variants += actors[a].motion != 0;
        }
    }
    ASSERT_GT(rounds, 1000);
    EXPECT_NEAR(variants / static_cast<double>(rounds), 7.0 / 32.0, 0.04);
}

TEST_F(ActorTest, SkinningMovesPointsByTheirBonesPoses) {
    test::ModelSpec s = WalkerSpec();
    s.poses = {{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}, {1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 0, 0}};
    s.frameCount = 2;
    s.bones = {{"Bip01", {0, 1}, {0, 0}}, {"Bip01 Neck", {}, {0, 1}}};
    s.blends = {{2, {0, 1}, {0.25f, 0.75f}}, {3, {1}, {1.0f}}};
    test::WriteFile("models/skin.md", test::WriteModel(s));
    const int m = LoadModel("models/skin.md");
    ASSERT_GE(m, 0);
    SkinModel(m, 1.5f);
    EXPECT_FLOAT_EQ(models[m].renderVertices[0].position.x, -20.0f);
    EXPECT_FLOAT_EQ(models[m].renderVertices[2].position.x, 0.25f * -20.0f + 0.75f * -15.0f);
    EXPECT_FLOAT_EQ(models[m].renderVertices[3].position.x, 25.0f);
    SkinModel(m, 7.0f);  // past the frames: frame 0
    EXPECT_FLOAT_EQ(models[m].renderVertices[3].position.x, 20.0f);
    // Bone points: the origin through the pose and the actor's place.
    ActorRecord actor;
    actor.model = m;
    actor.position = {100, 0, 0};
    actor.heading = kPi;
    actor.frame = 1;
    const Vec3 p = BoneWorldPoint(m, 1, actor);
    EXPECT_NEAR(p.x, 105.0f, 1e-4f);
    const Vec3 none = BoneWorldPoint(m, 9, actor);
    EXPECT_EQ(none.x, 0.0f);
}

TEST_F(ActorTest, SavedImageKeepsTheRecordLayout) {
    ActorRecord a;
    a.inUse = 1;
    a.position = {1.5f, 2.5f, 3.5f};
    a.heading = 0.75f;
    a.motion = 8;
    a.frame = 4.25f;
    a.path.pathLength = 3;
    a.path.pathPoints[2][1] = 77;
    a.path.pathType = 2;
    a.shadowMode = 4;
    a.frameNext = 9;
    uint8_t image[kActorRecordSize];
    SerializeActor(a, image);
    float f;
    int32_t i;
    std::memcpy(&f, image + 12, 4);
    EXPECT_EQ(f, 2.5f);
    std::memcpy(&f, image + 76, 4);
    EXPECT_EQ(f, 0.75f);
    std::memcpy(&i, image + 92, 4);
    EXPECT_EQ(i, 8);
    std::memcpy(&i, image + 2792, 4);
    EXPECT_EQ(i, 3);
    std::memcpy(&i, image + 2800 + 2 * 8 + 4, 4);
    EXPECT_EQ(i, 77);
    std::memcpy(&i, image + 6896, 4);
    EXPECT_EQ(i, 2);
    std::memcpy(&i, image + 6944, 4);
    EXPECT_EQ(i, 4);
    std::memcpy(&i, image + 7080, 4);
    EXPECT_EQ(i, 9);
    ActorRecord back;
    DeserializeActor(image, back);
    EXPECT_EQ(back.frame, 4.25f);
    EXPECT_EQ(back.path.pathPoints[2][1], 77);
    // Out-of-range values from a file are made safe.
    i = 100000;
    std::memcpy(image + 2792, &i, 4);
    std::memcpy(image + 6900, &i, 4);
    DeserializeActor(image, back);
    EXPECT_EQ(back.path.pathLength, kMaxPathPoints);
    EXPECT_EQ(back.path.pathIndex, 0);
}

}  // namespace
}  // namespace tarvex
