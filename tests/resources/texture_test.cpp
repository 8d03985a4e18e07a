#include <gtest/gtest.h>

#include "platform/display.h"
#include "platform/texture_upload.h"
#include "res_fixtures.h"
#include "resources/texture_file.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

using test::CurrentDir;
using test::Magick;
using test::Pattern;
using test::ReadBytes;

bool Decode(const std::string& path, DecodedTexture& out) {
    std::vector<uint8_t> data = ReadBytes(path);
    return DecodeTextureFile(data.data(), data.size(), out);
}

TEST(TextureFile, TgaRawAndRunLengthWithAlphaMatchTheSource) {
    std::string dir = test::TempDir("texture_tga");
    CurrentDir here(dir);
    const int w = 13, h = 9;
    std::vector<uint8_t> rgba = Pattern(w, h, 4, 11);
    // Runs for the run-length packets.
    for (int x = 0; x < 8; ++x) std::memcpy(&rgba[x * 4], &rgba[0], 4);
    test::WritePam("src.pam", w, h, rgba);
    // ffmpeg writes the origin bit as it orders the rows (ImageMagick 6 marks its
    // top-first rows as bottom-up, so it cannot serve as the reference here).
    const std::string ffmpeg = "ffmpeg -loglevel error -y -i src.pam ";
    ASSERT_EQ(test::Run(ffmpeg + "-pix_fmt bgra -rle 0 raw.tga"), 0);
    ASSERT_EQ(test::Run(ffmpeg + "-pix_fmt bgra -rle 1 rle.tga"), 0);
    ASSERT_EQ(test::Run(ffmpeg + "-pix_fmt bgr24 -rle 0 rgb.tga"), 0);
    for (const char* name : {"raw.tga", "rle.tga"}) {
        DecodedTexture t;
        ASSERT_TRUE(Decode(name, t)) << name;
        EXPECT_EQ(std::tuple(t.width, t.height, t.hasAlpha), std::tuple(w, h, true)) << name;
        EXPECT_EQ(t.levels[0], rgba) << name;
    }
    EXPECT_NE(ReadBytes("rle.tga").size(), ReadBytes("raw.tga").size());  // really run-length coded

    DecodedTexture rgb;
    ASSERT_TRUE(Decode("rgb.tga", rgb));
    EXPECT_EQ(std::tuple(rgb.hasAlpha, rgb.levels[0][4]), std::tuple(false, rgba[4]));

    // Top-down rows (descriptor bit 5), written here by hand: 2 x 2, 24-bit.
    std::vector<uint8_t> top = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0x20,
                                1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    DecodedTexture t;
    ASSERT_TRUE(DecodeTga(top.data(), top.size(), t));
    EXPECT_EQ(t.levels[0], (std::vector<uint8_t>{3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255, 12, 11, 10, 255}));
    top[17] = 0;  // the same bytes bottom-up
    ASSERT_TRUE(DecodeTga(top.data(), top.size(), t));
    EXPECT_EQ(t.levels[0][0], 9);
    // Cut data and a run that claims more than the file holds are refused.
    EXPECT_FALSE(DecodeTga(top.data(), top.size() - 1, t));
    std::vector<uint8_t> rle = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 32, 0, 0xFF, 1, 2, 3, 4};
    EXPECT_FALSE(DecodeTga(rle.data(), rle.size(), t));
}

TEST(TextureFile, DdsBlocksAndUncompressedMatchImageMagick) {
    std::string dir = test::TempDir("texture_dds");
    CurrentDir here(dir);
    const int w = 16, h = 12;
    std::vector<uint8_t> rgba = Pattern(w, h, 4, 5);
    test::WritePam("src.pam", w, h, rgba);
    ASSERT_TRUE(Magick("src.pam -define dds:compression=dxt1 -define dds:mipmaps=0 dxt1.dds"));
    ASSERT_TRUE(Magick("src.pam -define dds:compression=dxt5 dxt5.dds"));
    // ImageMagick writes a mip chain for sides that are powers of two.
    test::WritePam("square.pam", 16, 16, Pattern(16, 16, 4, 6));
    ASSERT_TRUE(Magick("square.pam -define dds:compression=dxt5 -define dds:mipmaps=4 square.dds"));
    ASSERT_TRUE(Magick("src.pam -define dds:compression=none -define dds:mipmaps=0 plain.dds"));

    for (auto [name, format] : {std::pair{"dxt1.dds", TextureFormat::Dxt1}, std::pair{"dxt5.dds", TextureFormat::Dxt5}}) {
        DecodedTexture t;
        ASSERT_TRUE(Decode(name, t)) << name;
        EXPECT_EQ(std::tuple(t.format, t.levels[0].size()), std::tuple(format, DxtLevelBytes(format, w, h)));
        std::vector<uint8_t> mine, theirs;
        ASSERT_TRUE(DecompressDxt(format, w, h, t.levels[0].data(), t.levels[0].size(), mine));
        ASSERT_TRUE(test::MagickRgba(name, w, h, theirs));
        int worst = 0;
        for (size_t i = 0; i < mine.size(); ++i) worst = std::max(worst, std::abs(mine[i] - theirs[i]));
        EXPECT_LE(worst, 2) << name;  // rounding of interpolated colours may differ
    }
    DecodedTexture five;
    ASSERT_TRUE(Decode("square.dds", five));
    ASSERT_EQ(std::tuple(five.format, five.levels.size()), std::tuple(TextureFormat::Dxt5, size_t{5}));  // 16x16 .. 1x1
    EXPECT_EQ(five.levels[4].size(), 16u);
    // A file cut inside its mip chain keeps the whole levels before the cut.
    std::vector<uint8_t> cut = ReadBytes("square.dds");
    cut.resize(128 + 256 + 64 + 3);
    ASSERT_TRUE(DecodeDds(cut.data(), cut.size(), five));
    EXPECT_EQ(five.levels.size(), 2u);
    cut.resize(128 + 255);
    EXPECT_FALSE(DecodeDds(cut.data(), cut.size(), five));

    DecodedTexture plain;
    ASSERT_TRUE(Decode("plain.dds", plain));
    EXPECT_EQ(std::tuple(plain.format, plain.levels[0]), std::tuple(TextureFormat::Rgba8, rgba));
}

}  // namespace
}  // namespace tarvex
