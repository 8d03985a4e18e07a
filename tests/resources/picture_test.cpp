#include <gtest/gtest.h>

#include "platform/surface.h"
#include "res_fixtures.h"
#include "resources/file_lookup.h"
#include "resources/game_file.h"
#include "resources/package.h"
#include "resources/picture.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

using test::Bytes;
using test::CurrentDir;
using test::Magick;
using test::Pattern;
using test::ReadBytes;
using test::WriteBytes;
using test::WritePpm;

// Surfaces at 32 bits carry the source bytes unchanged: compare to the RGB pattern.
void ExpectSurfaceEquals(const Surface* s, int width, int height, const std::vector<uint8_t>& rgb) {
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(std::tuple(s->width, s->height, s->depth), std::tuple(width, height, 32));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            uint32_t expected = p[2] | (p[1] << 8) | (p[0] << 16);
            ASSERT_EQ(GetPixel(*s, x, y), expected) << "at " << x << "," << y << " width " << width;
        }
}

// Each test in a scratch folder of its own with "gfx" and "scenes", at a 32-bit display.
class Picture : public ::testing::Test {
protected:
    Picture()
        : here_(test::TempDir(std::string("picture-") + ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        std::filesystem::create_directories("gfx");
        std::filesystem::create_directories("scenes");
        surfaceFormat.displayPixelDepth = 32;
    }
    ~Picture() override { surfaceFormat.displayPixelDepth = savedDepth_; }
    int savedDepth_ = surfaceFormat.displayPixelDepth;
    CurrentDir here_;
};

TEST_F(Picture, BmpOfEveryRowPaddingLoadsLooseAndPackaged) {
    std::vector<test::FixtureEntry> packaged;
    for (int width : {1, 3, 4, 5}) {
        std::vector<uint8_t> rgb = Pattern(width, 3, 3, width);
        std::string name = "gfx/w" + std::to_string(width) + ".bmp";
        WritePpm("src.ppm", width, 3, rgb);
        ASSERT_TRUE(Magick("src.ppm -type TrueColor BMP3:" + name));
        packaged.push_back({"gfx/p" + std::to_string(width) + ".bmp", ReadBytes(name)});

        Surface* loose = nullptr;
        ASSERT_TRUE(LoadBmpSurface(loose, name));
        ExpectSurfaceEquals(loose, width, 3, rgb);
        ReleaseSurface(loose);

        // The 16-bit-lane buffer: rows top-down, 8 bytes a pixel.
        std::vector<uint8_t> wide(width * 3 * 8 + 8, 0xEE);
        ASSERT_TRUE(LoadBmpWide(wide.data(), width * 3 * 8, name));
        for (int i = 0; i < width * 3; ++i) {
            uint16_t lanes[4];
            std::memcpy(lanes, &wide[i * 8], 8);
            EXPECT_EQ(std::tuple(lanes[0], lanes[1], lanes[2]), std::tuple(rgb[i * 3 + 2], rgb[i * 3 + 1], rgb[i * 3]));
        }
        EXPECT_EQ(wide[width * 3 * 8], 0xEE);  // nothing written past the picture
        EXPECT_FALSE(LoadBmpWide(wide.data(), width * 3 * 8 - 1, name));  // a buffer too small is refused
    }
    WriteBytes("gfx.res", test::BuildPackage(packaged));
    for (int width : {1, 3, 4, 5}) {
        Surface* fromPackage = nullptr;
        ASSERT_TRUE(LoadBmpSurface(fromPackage, "GFX/P" + std::to_string(width) + ".BMP"));
        ExpectSurfaceEquals(fromPackage, width, 3, Pattern(width, 3, 3, width));
        ReleaseSurface(fromPackage);
    }
}

TEST_F(Picture, JpegCompressedTiffDecodesToRgb) {
    // A flat colour survives JPEG nearly unchanged; YCbCr data must come out as RGB.
    ASSERT_TRUE(Magick("-size 32x16 xc:'rgb(200,40,90)' -compress jpeg -quality 95 gfx/j.tif"));
    Surface* s = nullptr;
    ASSERT_TRUE(LoadTiffSurface(s, "gfx/j.tif"));
    uint8_t r, g, b;
    UnpackRgb(32, GetPixel(*s, 10, 10), r, g, b);
    EXPECT_NEAR(r, 200, 4);
    EXPECT_NEAR(g, 40, 4);
    EXPECT_NEAR(b, 90, 4);
    ReleaseSurface(s);
}

TEST_F(Picture, BrokenHeadersAreRefusedAndLeaveTheTarget) {
    std::vector<uint8_t> rgb = Pattern(8, 8, 3, 3);
    WritePpm("src.ppm", 8, 8, rgb);
    ASSERT_TRUE(Magick("src.ppm -type TrueColor BMP3:good.bmp"));
    ASSERT_TRUE(Magick("src.ppm -depth 8 -compress none good.tif"));
    std::vector<uint8_t> bmp = ReadBytes("good.bmp");

    auto variant = [&](const char* name, size_t at, uint32_t value, size_t cut = 0) {
        std::vector<uint8_t> b = bmp;
        if (at) test::PutU32(b, at, value);
        if (cut) b.resize(cut);
        WriteBytes(std::string("gfx/") + name, b);
    };
    variant("wide.bmp", 18, 0x40000000);
    variant("tall.bmp", 22, 0xFFFFFFF8);      // a top-down height read as unsigned
    variant("offset.bmp", 10, 0x7FFFFFFF);
    variant("short.bmp", 0, 0, bmp.size() - 5);
    variant("header.bmp", 0, 0, 20);
    std::vector<uint8_t> b32 = bmp;
    b32[28] = 32;
    WriteBytes("gfx/bits.bmp", b32);
    std::vector<uint8_t> tif = ReadBytes("good.tif");
    tif.resize(tif.size() / 2);
    WriteBytes("gfx/short.tif", tif);
    WriteBytes("gfx/text.tif", Bytes("not a picture at all"));

    Surface* kept = CreateSurface(2, 2);
    Surface* before = kept;
    for (const char* name : {"gfx/wide.bmp", "gfx/tall.bmp", "gfx/offset.bmp", "gfx/short.bmp", "gfx/header.bmp",
                             "gfx/bits.bmp", "gfx/missing.bmp"}) {
        EXPECT_FALSE(LoadBmpSurface(kept, name)) << name;
        EXPECT_EQ(kept, before);
    }
    for (const char* name : {"gfx/short.tif", "gfx/text.tif", "gfx/missing.tif", "gfx/wide.bmp"}) {
        EXPECT_FALSE(LoadTiffSurface(kept, name)) << name;
        EXPECT_EQ(kept, before);
    }
    EXPECT_EQ(kept->width, 2);
    ReleaseSurface(kept);
}

}  // namespace
}  // namespace tarvex
