// The package tool and the picture commands, run as separate programs.
#include <gtest/gtest.h>

#include "platform/png_io.h"
#include "resources/res_fixtures.h"
#include "resources/game_file.h"
#include "support/test_support.h"

namespace tarvex {
namespace {

using test::Bytes;
using test::Capture;
using test::CurrentDir;
using test::ReadBytes;
using test::WriteBytes;

std::string Tool(const char* name) { return std::string(TARVEX_BINARY_DIR) + "/" + name; }

TEST(PackageTool, PackListVerifyExtractRoundTrip) {
    std::string dir = test::TempDir("tool_roundtrip");
    CurrentDir here(dir);
    WriteBytes("game/texts/dialog.txt", Bytes("hello"));
    WriteBytes("game/texts/A.txt", Bytes(""));
    WriteBytes("game/texts/sub/b.bin", Bytes(std::string("\0\1\2", 3)));
    WriteBytes("game/gfx/not-packed.bmp", Bytes("x"));
    int status = -1;
    Capture(Tool("tarvex-res") + " pack game/texts.res game texts", &status);
    ASSERT_EQ(status, 0);

    std::string list = Capture(Tool("tarvex-res") + " list game/texts.res", &status);
    EXPECT_EQ(status, 0);
    const size_t data = 4 + 3 * 136;
    EXPECT_EQ(list, "texts/A.txt\t" + std::to_string(data) + "\t0\n" + "texts/dialog.txt\t" + std::to_string(data) +
                        "\t5\n" + "texts/sub/b.bin\t" + std::to_string(data + 5) + "\t3\n");
    Capture(Tool("tarvex-res") + " verify game/texts.res", &status);
    EXPECT_EQ(status, 0);

    Capture(Tool("tarvex-res") + " extract game/texts.res out", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes("out/texts/dialog.txt"), Bytes("hello"));
    EXPECT_EQ(ReadBytes("out/texts/sub/b.bin"), Bytes(std::string("\0\1\2", 3)));

    // The engine reads what the tool packed.
    std::filesystem::remove_all("game/texts");
    CurrentDir game("game");
    std::vector<uint8_t> out;
    GameFileSource source;
    ASSERT_TRUE(ReadGameFile("texts/Sub/B.bin", out, 0, &source));
    EXPECT_EQ(source, GameFileSource::Package);
    EXPECT_EQ(out.size(), 3u);
}

TEST(PackageTool, RefusesLongNamesEscapesAndBrokenDirectories) {
    std::string dir = test::TempDir("tool_refusals");
    CurrentDir here(dir);
    WriteBytes("game/data/" + std::string(123, 'n'), Bytes("x"));
    int status = -1;
    Capture(Tool("tarvex-res") + " pack data.res game data 2>/dev/null", &status);
    EXPECT_EQ(status, 1);
    EXPECT_FALSE(std::filesystem::exists("data.res"));

    WriteBytes("evil.res", test::BuildPackage({{"../escaped.txt", Bytes("no")},
                                               {"/tmp/absolute.txt", Bytes("no")},
                                               {"a/ok.txt", Bytes("first")},
                                               {"A/OK.txt", Bytes("second")}}));
    Capture(Tool("tarvex-res") + " extract evil.res out 2>/dev/null", &status);
    EXPECT_EQ(status, 1);
    EXPECT_FALSE(std::filesystem::exists("escaped.txt"));
    EXPECT_EQ(ReadBytes("out/a/ok.txt"), Bytes("first"));
    EXPECT_FALSE(std::filesystem::exists("out/A/OK.txt"));

    test::FixtureEntry outside{"a/b", Bytes("x")};
    outside.sizeOverride = 1000;
    WriteBytes("broken.res", test::BuildPackage({outside, {std::string(128, 'u'), Bytes("y")}}, 5));
    std::string report = Capture(Tool("tarvex-res") + " verify broken.res", &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 3);  // count, data outside, name
}

TEST(PackageTool, ExtractionLosesNoEntryAndNeverFillsTheDisk) {
    std::string dir = test::TempDir("tool_extract");
    CurrentDir here(dir);
    int status = -1;
    // An entry named like another's temporary file, written first.
    WriteBytes("clash.res", test::BuildPackage({{"dir/a.tmp", Bytes("first")}, {"dir/a", Bytes("second")}}));
    Capture(Tool("tarvex-res") + " extract clash.res out", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes("out/dir/a.tmp"), Bytes("first"));
    EXPECT_EQ(ReadBytes("out/dir/a"), Bytes("second"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("out/dir"), {}), 2);

    // Entries that share their data: each is named by verify.
    test::FixtureEntry second{"t/b", Bytes("")}, third{"t/c", Bytes("")};
    second.offsetOverride = third.offsetOverride = 4 + 3 * 136 + 3 + 2;
    second.sizeOverride = third.sizeOverride = 3;
    WriteBytes("shared.res", test::BuildPackage({{"t/a", Bytes("12345")}, second, third}));
    std::string report = Capture(Tool("tarvex-res") + " verify shared.res", &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 2);
    EXPECT_NE(report.find("entry 1 (t/b): data at 417 size 3 overlap entry 0 (t/a)"), std::string::npos) << report;

    // 3,000 entries that each take the same 4 GiB of a sparse package: 12 TB that no disk
    // here holds. Nothing is written.
    constexpr uint32_t kEntries = 3000;
    const uint32_t offset = 4 + kEntries * 136;
    std::vector<uint8_t> directory(offset, 0);
    test::PutU32(directory, 0, kEntries);
    for (uint32_t i = 0; i < kEntries; ++i) {
        const std::string name = "big/e" + std::to_string(i);
        std::memcpy(&directory[4 + i * 136], name.data(), name.size());
        test::PutU32(directory, 4 + i * 136 + 128, offset);
        test::PutU32(directory, 4 + i * 136 + 132, UINT32_MAX - offset);
    }
    WriteBytes("bomb.res", directory);
    std::filesystem::resize_file("bomb.res", UINT32_MAX);
    std::string said = Capture(Tool("tarvex-res") + " extract bomb.res bomb 2>&1", &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(said.find("nothing extracted"), std::string::npos) << said;
    EXPECT_FALSE(std::filesystem::exists("bomb"));
}

TEST(ToolCommands, ImageAndFramesReportWhatLoads) {
    std::string dir = test::TempDir("tool_image");
    CurrentDir here(dir);
    std::filesystem::create_directories("game/gfx");
    std::filesystem::create_directories("tmp");
    ASSERT_TRUE(test::Magick("-size 7x5 xc:'rgb(200,100,50)' -type TrueColor BMP3:game/gfx/Main.bmp"));
    ASSERT_TRUE(test::Magick("-size 4x3 xc:'rgb(10,20,30)' -type TrueColor -depth 8 -compress none tmp/f.tif"));
    WriteBytes("game/animgfx.res", test::BuildPackage({{"animgfx/m/clock000.tif", ReadBytes("tmp/f.tif")},
                                                       {"animgfx/m/clock001.tif", ReadBytes("tmp/f.tif")}}));
    int status = -1;
    std::string out = Capture(Tool("tarvex-tool") + " image gfx/main.BMP --game game --depth 16 --png shot.png", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "{\"width\":7,\"height\":5,\"depth\":16,\"source\":\"loose\"}\n");
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(ReadPngRgb("shot.png", w, h, rgb));
    EXPECT_EQ(w, 7);
    // 16-bit channels widened by shifting: 200 -> 200 or 208 by dithering, and so on.
    EXPECT_EQ(rgb[0] & 7, 0);
    EXPECT_NEAR(rgb[0], 200, 8);

    out = Capture(Tool("tarvex-tool") + " image animgfx/m/clock001.tif --game game", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "{\"width\":4,\"height\":3,\"depth\":32,\"source\":\"package\"}\n");
    out = Capture(Tool("tarvex-tool") + " image gfx/none.tif --game game", &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("\"error\""), std::string::npos);

    out = Capture(Tool("tarvex-tool") + " frames animgfx/m/clock000.tif --game game", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "{\"frameCount\":2,\"loaded\":true}\n");
    Capture(Tool("tarvex-tool") + " frames animgfx/m/none000.tif --game game", &status);
    EXPECT_EQ(status, 1);
}

}  // namespace
}  // namespace tarvex
