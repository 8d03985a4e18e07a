#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>

#include "actor_fixture.h"
#include "model/actor.h"
#include "model/model_file.h"
#include "platform/random.h"
#include "scene/walk_mask.h"
#include "shell/globals.h"
#include "support/world_test_util.h"

namespace tarvex {
namespace {

// The quad with the walk (8), turn (12, 13) and two test motions.
test::ModelSpec WalkerSpec() {
    test::ModelSpec s = test::QuadSpec(20, 0, 100);
    s.motions[0] = {0, 30, 0, 1.0f, 0};
    s.motions[8] = {0, 24, 0, 1.0f, 8};
    s.motions[12] = s.motions[13] = {0, 10, -1, 1.0f, 0};
    s.motions[20] = {0, 20, 10, 1.0f, 0};
    s.motions[21] = {0, 4, -1, 1.0f, 99};  // goes on to an undefined motion
    return s;
}

// The whole mask free, the floor depth of every pixel where its ray meets the floor.
void MakeFloorScene() {
    test::LookDownAtFloor();
    std::memset(walkMask, 0, sizeof walkMask);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) floorDepth[y * 800 + x] = test::FloorRayDepth(x, y);
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
        MakeFloorScene();
        synch = 1.0f;
        currentScene = 5;
        idleVariantLock[5] = 1;
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
    EXPECT_EQ(std::tuple(actors[0].visible, actors[0].attachments.size()), std::tuple(1, size_t{2}));
    EXPECT_EQ(LoadActor("models/missing.md", Vec3{}, 0), -1);
    EXPECT_EQ(AttachActor("models/walker.md", "Bip01 Head", hero), -1);  // no such bone
    const int head = AttachActor("models/walker.md", "Bip01 Neck", hero);
    ASSERT_GT(head, 0);
    EXPECT_EQ(std::tuple(actors[head].attached, actors[head].visible, actors[hero].attachments[1]),
              std::tuple(1, 0, head));
    const int other = AttachActor("models/walker.md", "Bip01 Neck", hero);
    EXPECT_EQ(actors[hero].attachments[1], other);
    EXPECT_EQ(actorCount, 3);
    // A restored game's hero place replaces the new hero's once.
    ResetActors();
    SetRestoredHeroPlace(Vec3{1, 2, 3}, 2.5f);
    LoadActor("models/walker.md", Vec3{}, 0);
    EXPECT_EQ(std::tuple(actors[0].position.y, actors[0].heading), std::tuple(2.0f, 2.5f));
    ResetActors();
    LoadActor("models/walker.md", Vec3{}, 0);
    EXPECT_EQ(actors[0].heading, 0.0f);
}

TEST_F(ActorTest, MotionsScaleWithSynchLoopAndFallBack) {
    const int a = LoadActor("models/walker.md", FloorUnder(400, 400), 0);
    synch = 2.0f;
    Frame(a);
    EXPECT_EQ(std::tuple(actors[a].frame, actors[a].frameNow, actors[a].frameNext), std::tuple(2.0f, 0, 2));
    synch = 1.0f;
    actors[a].motion = 20;
    actors[a].frame = 19.6f;
    Frame(a);
    EXPECT_EQ(std::tuple(actors[a].frame, actors[a].frameNext), std::tuple(10.0f, 20));
    // An undefined next motion becomes 0; an undefined current one falls back at once.
    actors[a].motion = 21;
    actors[a].frame = 3.5f;
    Frame(a);
    EXPECT_EQ(actors[a].motion, 0);
    actors[a].motion = 77;
    Frame(a);
    EXPECT_EQ(actors[a].motion, 0);
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
    EXPECT_EQ(std::tuple(actors[a].walking, std::memcmp(&actors[a].position, &start, sizeof start)), std::tuple(0, 0));
    EXPECT_EQ(TurnToFinalHeading(a), 0);
    // A short walk (two cells) places the actor at once; there is no final heading to turn to.
    WalkTo(a, 404, 400, 10.0f);
    Frame(a);
    EXPECT_EQ(std::tuple(actors[a].walking, TurnToFinalHeading(a)), std::tuple(0, 1));
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
    ASSERT_GT(normal, 0.0f);
    EXPECT_NEAR(travelled(2.0f) / normal, 2.0f, 0.2f);
}

// A long walk to its end is played in the demo scene test (tests/integration).
TEST_F(ActorTest, AWalkStartsAtPathIndexZeroWithPointOneAsWaypoint) {
    // Facing away from the target: the walk starts with a turn, so the frame shows the
    // walk's start before any walking step moved along the route.
    const int a = LoadActor("models/walker.md", FloorUnder(200, 400), 0.0f);
    WalkTo(a, 600, 400, 10.0f);
    Frame(a);
    ASSERT_GT(actors[a].path.pathLength, 3);
    ASSERT_TRUE(actors[a].motion == 12 || actors[a].motion == 13);
    EXPECT_EQ(std::tuple(actors[a].walking, actors[a].path.pathIndex, TurnToFinalHeading(a)), std::tuple(1, 0, 0));
    const Vec3 expected = FloorUnder(actors[a].path.pathPoints[1][0], actors[a].path.pathPoints[1][1]);
    EXPECT_NEAR(actors[a].waypoint.x, expected.x, 0.01f);
    EXPECT_NEAR(actors[a].waypoint.z, expected.z, 0.01f);
}

TEST_F(ActorTest, ThirtyDegreesTurnAtOnceThirtyOneDegreesPlayTheTurn) {
    const int a = LoadActor("models/walker.md", FloorUnder(400, 400), 1.0f);
    actors[a].reachedCell[0] = actors[a].requestedCell[0] = 400;
    actors[a].finalHeading = 1.0f + 30.0f * kDegreesToRadians;
    EXPECT_EQ(TurnToFinalHeading(a), 1);
    EXPECT_FLOAT_EQ(actors[a].heading, 1.0f + 30.0f * kDegreesToRadians);
    actors[a].heading = 1.0f;
    actors[a].finalHeading = 1.0f + 31.0f * kDegreesToRadians;
    EXPECT_EQ(std::tuple(TurnToFinalHeading(a), actors[a].motion), std::tuple(0, 13));  // the heading must grow
    int frames = 0;
    while (actors[a].motion == 13 && frames < 100) {
        Frame(a);
        ++frames;
    }
    EXPECT_EQ(frames, 10);  // the turn motion's length: 10 frames at speed 1
    EXPECT_FLOAT_EQ(actors[a].heading, 1.0f + 31.0f * kDegreesToRadians);
    EXPECT_EQ(TurnToFinalHeading(a), 1);
    // The other way round uses motion 12.
    actors[a].finalHeading = 1.0f - 40.0f * kDegreesToRadians;
    EXPECT_EQ(std::tuple(TurnToFinalHeading(a), actors[a].motion), std::tuple(0, 12));
    EXPECT_LT(actors[a].turnRate, 0.0f);
}

TEST_F(ActorTest, OneRouteSearchAFrameForAllActors) {
    const int a = LoadActor("models/walker.md", FloorUnder(300, 400), 0);
    const int b = LoadActor("models/walker.md", FloorUnder(300, 300), 0);
    WalkTo(a, 500, 400, 10.0f);
    WalkTo(b, 500, 300, 10.0f);
    for (int frame = 0; frame < 2; ++frame) {
        ResetPathSearchBudget();
        UpdateActor(a);
        UpdateActor(b);
        EXPECT_EQ(std::tuple(actors[a].walking, actors[b].walking, actors[b].walkRequest),
                  std::tuple(1, frame, 1 - frame)) << frame;
    }
}

TEST_F(ActorTest, HeadingTowardsFollowsTheQuadrants) {
    const float cases[][3] = {{0, 1, kPi / 2}, {0, -1, 3 * kPi / 2}, {1, 0, kPi},
                              {-1, 0, 0}, {1, 1, 3 * kPi / 4}, {1, -1, 5 * kPi / 4}};
    for (const auto& c : cases) EXPECT_NEAR(HeadingTowards(c[0], c[1]), c[2], 1e-5f) << c[0] << ", " << c[1];
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
    auto x = [m](int vertex) { return models[m].renderVertices[vertex].position.x; };
    SkinModel(m, 1.5f);
    EXPECT_EQ(std::tuple(x(0), x(2), x(3)), std::tuple(-20.0f, 0.25f * -20.0f + 0.75f * -15.0f, 25.0f));
    SkinModel(m, 7.0f);  // past the frames: frame 0
    EXPECT_FLOAT_EQ(x(3), 20.0f);
    // Bone points: the origin through the pose and the actor's place.
    ActorRecord actor;
    actor.model = m;
    actor.position = {100, 0, 0};
    actor.heading = kPi;
    actor.frame = 1;
    EXPECT_NEAR(BoneWorldPoint(m, 1, actor).x, 105.0f, 1e-4f);
    EXPECT_EQ(BoneWorldPoint(m, 9, actor).x, 0.0f);
}

TEST_F(ActorTest, SavedImageKeepsTheRecordLayout) {
    ActorRecord a;
    a.position = {1.5f, 2.5f, 3.5f};
    a.heading = 0.75f;
    a.motion = 8;
    a.path.pathLength = 3;
    a.path.pathPoints[2][1] = 77;
    a.path.pathType = 2;
    a.shadowMode = 4;
    a.frameNext = 9;
    uint8_t image[kActorRecordSize];
    SerializeActor(a, image);
    auto at = [&image](size_t offset) {
        int32_t v;
        std::memcpy(&v, image + offset, 4);
        return v;
    };
    auto bits = [](float f) { return std::bit_cast<int32_t>(f); };
    const std::pair<size_t, int32_t> fields[] = {{12, bits(2.5f)}, {76, bits(0.75f)}, {92, 8}, {2792, 3},
                                                 {2800 + 2 * 8 + 4, 77}, {6896, 2}, {6944, 4}, {7080, 9}};
    for (auto [offset, value] : fields) EXPECT_EQ(at(offset), value) << "offset " << offset;
    // Out-of-range values from a file are made safe (saved games refuse them in actors in
    // use; records not in use are read all the same). The round trip is the saves tests'.
    const int32_t i = 100000;
    std::memcpy(image + 2792, &i, 4);
    std::memcpy(image + 6900, &i, 4);
    ActorRecord back;
    DeserializeActor(image, back);
    EXPECT_EQ(std::tuple(back.path.pathLength, back.path.pathIndex), std::tuple(kMaxPathPoints, 0));
}

}  // namespace
}  // namespace tarvex
