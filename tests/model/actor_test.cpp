#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "actor_fixture.h"
#include "base/globals.h"
#include "model/actor.h"
#include "model/model_file.h"
#include "platform/random.h"
#include "scene/walk_mask.h"
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
    std::memset(walkTables.walkMask, 0, sizeof walkTables.walkMask);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) walkTables.floorDepth[y * 800 + x] = test::FloorRayDepth(x, y);
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
        framePace.synch = 1.0f;
        loop.currentScene = 5;
        actorTable.idleVariantLock[5] = 1;
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
    EXPECT_EQ(std::tuple(actorTable.actors[0].visible, actorTable.actors[0].attachments.size()), std::tuple(1, size_t{2}));
    EXPECT_EQ(LoadActor("models/missing.md", Vec3{}, 0), -1);
    EXPECT_EQ(AttachActor("models/walker.md", "Bip01 Head", hero), -1);  // no such bone
    const int head = AttachActor("models/walker.md", "Bip01 Neck", hero);
    ASSERT_GT(head, 0);
    EXPECT_EQ(std::tuple(actorTable.actors[head].attached, actorTable.actors[head].visible, actorTable.actors[hero].attachments[1]),
              std::tuple(1, 0, head));
    const int other = AttachActor("models/walker.md", "Bip01 Neck", hero);
    EXPECT_EQ(actorTable.actors[hero].attachments[1], other);
    EXPECT_EQ(actorTable.actorCount, 3);
    // A restored game's hero place replaces the new hero's once.
    ResetActors();
    SetRestoredHeroPlace(Vec3{1, 2, 3}, 2.5f);
    LoadActor("models/walker.md", Vec3{}, 0);
    EXPECT_EQ(std::tuple(actorTable.actors[0].position.y, actorTable.actors[0].heading), std::tuple(2.0f, 2.5f));
    ResetActors();
    LoadActor("models/walker.md", Vec3{}, 0);
    EXPECT_EQ(actorTable.actors[0].heading, 0.0f);
}

TEST_F(ActorTest, MotionsScaleWithSynchLoopAndFallBack) {
    const int a = LoadActor("models/walker.md", FloorUnder(400, 400), 0);
    framePace.synch = 2.0f;
    Frame(a);
    EXPECT_EQ(std::tuple(actorTable.actors[a].frame, actorTable.actors[a].frameNow, actorTable.actors[a].frameNext), std::tuple(2.0f, 0, 2));
    framePace.synch = 1.0f;
    actorTable.actors[a].motion = 20;
    actorTable.actors[a].frame = 19.6f;
    Frame(a);
    EXPECT_EQ(std::tuple(actorTable.actors[a].frame, actorTable.actors[a].frameNext), std::tuple(10.0f, 20));
    // An undefined next motion becomes 0; an undefined current one falls back at once.
    actorTable.actors[a].motion = 21;
    actorTable.actors[a].frame = 3.5f;
    Frame(a);
    EXPECT_EQ(actorTable.actors[a].motion, 0);
    actorTable.actors[a].motion = 77;
    Frame(a);
    EXPECT_EQ(actorTable.actors[a].motion, 0);
}

// Where the picture has no floor (here a hole in it; a view without walk area has none at
// all) a walk is refused like one without a route: the actor neither moves nor ever
// arrives, and a walk on the floor still works.
TEST_F(ActorTest, APointWithoutFloorIsNeverWalkedTo) {
    for (int y = 100; y < 140; ++y)
        for (int x = 380; x < 420; ++x) walkTables.floorDepth[y * 800 + x] = -200000.0f;
    const Vec3 start = FloorUnder(400, 400);
    const int a = LoadActor("models/walker.md", start, 0);
    actorTable.actors[a].walkSpeed = 3.0f;
    ASSERT_FALSE(HasFloor(400, 120));
    WalkTo(a, 400, 120, 10.0f);
    for (int i = 0; i < 200; ++i) Frame(a);
    EXPECT_EQ(std::tuple(actorTable.actors[a].walking, std::memcmp(&actorTable.actors[a].position, &start, sizeof start)), std::tuple(0, 0));
    EXPECT_EQ(TurnToFinalHeading(a), 0);
    // A short walk (two cells) places the actor at once; there is no final heading to turn to.
    WalkTo(a, 404, 400, 10.0f);
    Frame(a);
    EXPECT_EQ(std::tuple(actorTable.actors[a].walking, TurnToFinalHeading(a)), std::tuple(0, 1));
    EXPECT_NEAR(actorTable.actors[a].position.x, FloorUnder(404, 400).x, 0.01f);
}

TEST_F(ActorTest, WalkingCoversTwiceTheDistanceAtHalfTheFrameRate) {
    auto travelled = [&](float s) {
        ResetActors();
        const int a = LoadActor("models/walker.md", FloorUnder(200, 400), 0);
        actorTable.actors[a].walkSpeed = 2.0f;
        actorTable.actors[a].heading = HeadingTowards(1, 0);
        WalkTo(a, 600, 400, 10.0f);
        framePace.synch = s;
        const Vec3 start = actorTable.actors[a].position;
        for (int i = 0; i < 20; ++i) Frame(a);
        return std::fabs(actorTable.actors[a].position.x - start.x);
    };
    const float normal = travelled(1.0f);
    ASSERT_GT(normal, 0.0f);
    EXPECT_NEAR(travelled(2.0f) / normal, 2.0f, 0.2f);
}

TEST_F(ActorTest, ThirtyDegreesTurnAtOnceThirtyOneDegreesPlayTheTurn) {
    const int a = LoadActor("models/walker.md", FloorUnder(400, 400), 1.0f);
    actorTable.actors[a].reachedCell[0] = actorTable.actors[a].requestedCell[0] = 400;
    actorTable.actors[a].finalHeading = 1.0f + 30.0f * kDegreesToRadians;
    EXPECT_EQ(TurnToFinalHeading(a), 1);
    EXPECT_FLOAT_EQ(actorTable.actors[a].heading, 1.0f + 30.0f * kDegreesToRadians);
    actorTable.actors[a].heading = 1.0f;
    actorTable.actors[a].finalHeading = 1.0f + 31.0f * kDegreesToRadians;
    EXPECT_EQ(std::tuple(TurnToFinalHeading(a), actorTable.actors[a].motion), std::tuple(0, 13));  // the heading must grow
    int frames = 0;
    while (actorTable.actors[a].motion == 13 && frames < 100) {
        Frame(a);
        ++frames;
    }
    EXPECT_EQ(frames, 10);  // the turn motion's length: 10 frames at speed 1
    EXPECT_FLOAT_EQ(actorTable.actors[a].heading, 1.0f + 31.0f * kDegreesToRadians);
    EXPECT_EQ(TurnToFinalHeading(a), 1);
    // The other way round uses motion 12.
    actorTable.actors[a].finalHeading = 1.0f - 40.0f * kDegreesToRadians;
    EXPECT_EQ(std::tuple(TurnToFinalHeading(a), actorTable.actors[a].motion), std::tuple(0, 12));
    EXPECT_LT(actorTable.actors[a].turnRate, 0.0f);
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
        EXPECT_EQ(std::tuple(actorTable.actors[a].walking, actorTable.actors[b].walking, actorTable.actors[b].walkRequest),
                  std::tuple(1, frame, 1 - frame)) << frame;
    }
}

TEST_F(ActorTest, IdleVariantsComeOneTimeInFour) {
    test::ModelSpec s = WalkerSpec();
    for (int m = 0; m < 8; ++m) s.motions[m] = {0, 1, -1, 1.0f, 0};
    test::WriteFile("models/idler.md", test::WriteModel(s));
    const int a = LoadActor("models/idler.md", FloorUnder(400, 400), 0);
    actorTable.idleVariantLock[5] = 0;
    SeedRandom(3);
    int variants = 0, rounds = 0;
    for (int i = 0; i < 4000; ++i) {
        Frame(a);
        if (actorTable.actors[a].frame == 0.0f) {
            ++rounds;
            variants += actorTable.actors[a].motion != 0;
        }
    }
    ASSERT_GT(rounds, 1000);
    EXPECT_NEAR(variants / static_cast<double>(rounds), 7.0 / 32.0, 0.04);
}

}  // namespace
}  // namespace tarvex
