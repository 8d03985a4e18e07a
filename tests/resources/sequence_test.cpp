#include <gtest/gtest.h>

#include "platform/display.h"
#include "platform/surface.h"
#include "res_fixtures.h"
#include "resources/anim_slot.h"
#include "resources/frame_sequence.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

using test::CurrentDir;
using test::Magick;
using test::ReadBytes;

void MakeTiff(const std::string& path, int grey) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::string g = std::to_string(grey);
    ASSERT_TRUE(Magick("-size 6x4 xc:'rgb(" + g + ",0,0)' -type TrueColor -depth 8 -compress none " + path));
}

TEST(FrameSequence, NamesCountGapsAndVanish) {
    std::string dir = test::TempDir("sequence_tiff");
    CurrentDir here(dir);
    test::ResetEngine();
    std::string name;
    EXPECT_TRUE(FrameName("animgfx/scene000/Door000.Tif", 12, ".tif", name) && name == "animgfx/scene000/Door012.tif") << name;
    EXPECT_TRUE(FrameName("animgfx/scene000/Door000.Tif", 1000, ".tga", name) && name == "animgfx/scene000/Door1000.tga") << name;
    EXPECT_FALSE(FrameName("animgfx/door", 0, ".tif", name));
    EXPECT_FALSE(FrameName("ab.tif", 0, ".tif", name));  // no room for a counter

    for (int n : {0, 1, 2, 4}) MakeTiff("animgfx/scene000/door00" + std::to_string(n) + ".TIF", 10 * n);
    EXPECT_EQ(LoadFrameSequence("animgfx/scene000/Door000.Tif", 2, 125, 7, 0, 0.48f, 0, 0, 0, 0.3f, -1, 0), 3);
    const AnimSlot& s = animation.animSlots[2];
    EXPECT_EQ(std::tuple(s.frameCount, bool(s.loaded), bool(s.isTexture), s.x, s.y), std::tuple(3.0f, true, false, 125.0f, 7.0f));
    EXPECT_FLOAT_EQ(s.speed, 0.48f);
    EXPECT_STREQ(s.name, "animgfx/scene000/Door000.Tif");
    auto* frame1 = static_cast<Surface*>(s.frames[1]);
    ASSERT_NE(frame1, nullptr);
    EXPECT_EQ(std::tuple(frame1->width, GetPixel(*frame1, 0, 0)), std::tuple(6, static_cast<uint32_t>(10 << 16)));

    // Five frames with vanishAtEnd: one more, empty position; frames from the package.
    std::vector<test::FixtureEntry> packed;
    for (int n = 0; n < 5; ++n) {
        MakeTiff("tmp/f.tif", n);
        packed.push_back({"animgfx/scene012/lamp_00" + std::to_string(n) + ".tif", ReadBytes("tmp/f.tif")});
    }
    test::WriteBytes("animgfx.res", test::BuildPackage(packed));
    EXPECT_EQ(LoadFrameSequence("animgfx/scene012/lamp_000.Tif", 0, 169, 0, 1, 1.0f, 1, 1, 1, 0.3f, 0, 1), 5);
    const AnimSlot& lamp = animation.animSlots[0];
    EXPECT_EQ(std::tuple(lamp.frameCount, bool(lamp.vanishAtEnd), int(lamp.flicker), int(lamp.light)), std::tuple(6.0f, true, 1, 0));

    // A missing frame 0 empties the slot; the other fields keep their values.
    EXPECT_EQ(LoadFrameSequence("animgfx/scene012/none000.tif", 0, 1, 2, 1, 9.0f, 0, 0, 0, 0, -1, 0), 0);
    EXPECT_EQ(std::tuple(lamp.frameCount, lamp.frames == nullptr, lamp.x, bool(lamp.vanishAtEnd)), std::tuple(0.0f, true, 169.0f, false));

    // A frame that exists but is broken ends the sequence there.
    test::WriteBytes("animgfx/scene001/bad002.tif", test::Bytes("broken"));
    MakeTiff("animgfx/scene001/bad000.tif", 1);
    MakeTiff("animgfx/scene001/bad001.tif", 2);
    MakeTiff("animgfx/scene001/bad003.tif", 3);
    EXPECT_EQ(LoadFrameSequence("animgfx/scene001/bad000.tif", 5, 0, 0, 1, 1, 0, 1, 0, 0, -1, 0), 2);

    // The scene reset releases surface slots.
    ResetSceneSlots();
    EXPECT_EQ(std::tuple(s.frames == nullptr, s.frameCount), std::tuple(true, 0.0f));
}

}  // namespace
}  // namespace tarvex
