// Long play must not grow: the demo's rooms are entered over and over (a hundred switches,
// a thousand with TARVEX_LONG=1), and after each round the engine's own counts of what it
// holds come back to the level of the round before, and the heap in use stays where it
// settled.
#include "interaction/game_state.h"
#include "scripts/scene_dispatch.h"
#include "shell/engine_counts.h"
#include "base/json_writer.h"
#include "shell/scene_switch.h"
#include "support/game_harness.h"

namespace tarvex {
namespace {

// The rooms of the demo game, in a round that starts and ends in the hall.
constexpr int kRooms[] = {0, 23, 24, 25, 75, 98, 115, 131, 149, 250, 287};
constexpr int kRoomCount = sizeof kRooms / sizeof kRooms[0];

std::string Describe(const EngineCounts& c) {
    JsonWriter json;
    WriteEngineCounts(json, c);
    return json.Text();
}

TEST(LongPlay, SceneSwitchesBringEveryCountBack) {
    const int total = test::LongTests() ? 1000 : 100;
    const std::string demo = test::GeneratedDemo("packed", false);
    ASSERT_FALSE(demo.empty());
    test::GameHarness game;
    ASSERT_TRUE(game.Start(demo, 0));
    game.Frames(5);

    // A round through every room with a little play in each, the same in every round:
    // its script runs, a click and a right click.
    int switches = 0;
    auto round = [&](int number) {
        for (int i = 1; i <= kRoomCount; ++i) {
            const int scene = kRooms[i % kRoomCount];
            sceneSwitch.instantCut = 1;
            game.RequestScene(scene);
            ASSERT_TRUE(game.Until([scene] { return loop.currentScene == scene && sceneSwitch.fadeState == 0; }, 30))
                << "round " << number << ", scene " << scene;
            ++switches;
            game.Frames(2);
            game.Click(150 + (i * 37) % 500, 150 + (i * 53) % 300);
            game.Frames(2);
            game.Click(400, 300, "right");
            game.Frames(2);
        }
    };

    // The first rounds fill what is kept for the whole game (the texture cache, fonts,
    // the allocator's pools); from then on every round ends where the one before did. The
    // heap may still take a little while the driver's and allocator's caches fill (a few
    // hundred bytes a round, fewer each time): its level is taken half-way through.
    round(0);
    round(1);
    const EngineCounts settled = CollectEngineCounts();
    EXPECT_GT(settled.luaStates + settled.models + settled.surfaces, 0) << Describe(settled);
    size_t highest = settled.heapInUse, halfWay = 0;
    for (int number = 2; switches < total; ++number) {
        round(number);
        if (HasFatalFailure()) return;
        const EngineCounts now = CollectEngineCounts();
        ASSERT_TRUE(SameEngineObjects(settled, now))
            << "after round " << number << ": " << Describe(now) << "\nsettled: " << Describe(settled);
        highest = std::max(highest, now.heapInUse);
        if (halfWay == 0 && switches >= total / 2) halfWay = now.heapInUse;
    }
    // A leak of even a hundred bytes a switch would add 50 KiB over the second half of a
    // thousand switches; over a hundred the caches still fill by a few KiB, so the short
    // run holds the counts and the heap's bound only.
    const EngineCounts last = CollectEngineCounts();
    if (total >= 1000) {
        EXPECT_LT(static_cast<long long>(last.heapInUse) - static_cast<long long>(halfWay), 16 * 1024)
            << "half-way heap " << halfWay << "\nlast: " << Describe(last);
    }
    // Besides, the next view read ahead is held or not at any moment: its depth, picture (as
    // read and in the display's format) and floor of 800 x 600 four-byte values, and its mask.
    constexpr size_t kViewAhead = size_t{800} * 600 * 4 * 4 + 120000;
    EXPECT_LT(highest - settled.heapInUse, (size_t{4} << 20) + kViewAhead) << "highest heap " << highest;
    RecordProperty("switches", switches);
}

}  // namespace
}  // namespace tarvex
