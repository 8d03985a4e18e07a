// What a hostile game folder's scene script can make the engine load: huge files loose
// and packaged, pictures larger than the screen, a picture on every tool, a call that
// spends its time inside the loaders. Each attack runs against the engine's scene script
// layer in a scratch game folder; no call may outlive its limit, memory stays bounded and
// a failed load is not tried again every frame.
#include <gtest/gtest.h>
#include <tiffio.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "base/config.h"
#include "base/globals.h"
#include "scripts/lua_fixture.h"
#include "media/sound.h"
#include "model/model_file.h"
#include "platform/surface.h"
#include "res_fixtures.h"
#include "resources/anim_slot.h"
#include "resources/frame_sequence.h"
#include "resources/picture.h"
#include "scripts/lua_api.h"

namespace tarvex {
namespace {

using Clock = std::chrono::steady_clock;
constexpr uint64_t kMiB = 1u << 20;

// Resident bytes of this process.
uint64_t Resident() {
    std::ifstream statm("/proc/self/statm");
    uint64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

// Time bounds are loose enough for a loaded machine and a slow build, and far below the seconds
// a frame or a visit took when these files were read whole.
constexpr double kFrameBound = 2000.0;
constexpr double kVisitsBound = 5000.0;

double Milliseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// A PCM WAV header (stereo, 44,100 Hz, 16 bits) that announces `dataBytes` of samples.
std::vector<uint8_t> WavHeader(uint32_t dataBytes) {
    std::vector<uint8_t> h = {'R', 'I', 'F', 'F', 0, 0,    0,    0, 'W',  'A',  'V', 'E', 'f', 'm', 't', ' ',
                              16,  0,   0,   0,   1, 0,    2,    0, 0x44, 0xAC, 0,   0,   0x10, 0xB1, 2, 0,
                              4,   0,   16,  0,   'd', 'a', 't', 'a', 0,  0,    0,   0};
    test::PutU32(h, 40, dataBytes);
    return h;
}

// A file of `size` bytes that starts with `head`; the rest is a hole that costs no disk.
void SparseFile(const std::string& path, const std::vector<uint8_t>& head, uint64_t size) {
    test::WriteBytes(path, head);
    std::filesystem::resize_file(path, size);
}

// A package whose one entry `name` holds `size` bytes starting with `head`, all but the
// head a hole.
void SparsePackage(const std::string& package, const std::string& name, const std::vector<uint8_t>& head,
                   uint64_t size) {
    test::FixtureEntry entry{name, head};
    entry.sizeOverride = static_cast<int64_t>(size);
    const std::vector<uint8_t> bytes = test::BuildPackage({entry});
    SparseFile(package, bytes, bytes.size() - head.size() + size);
}

// A 24-bit BMP of the size, every pixel grey.
std::vector<uint8_t> GreyBmp(int width, int height) {
    const uint32_t row = static_cast<uint32_t>(width) * 3 + static_cast<uint32_t>(width) % 4;
    std::vector<uint8_t> b(54 + static_cast<size_t>(row) * height, 0x80);
    std::fill(b.begin(), b.begin() + 54, 0);
    b[0] = 'B';
    b[1] = 'M';
    test::PutU32(b, 2, static_cast<uint32_t>(b.size()));
    test::PutU32(b, 10, 54);
    test::PutU32(b, 14, 40);
    test::PutU32(b, 18, static_cast<uint32_t>(width));
    test::PutU32(b, 22, static_cast<uint32_t>(height));
    b[26] = 1;
    b[28] = 24;
    return b;
}

// An RGB TIFF of the size, all black, deflate-compressed: a few dozen KB for any size.
void BlackTiff(const std::string& path, int width, int height) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    TIFF* t = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, height);
    std::vector<uint8_t> line(static_cast<size_t>(width) * 3, 0);
    for (int y = 0; y < height; ++y) TIFFWriteScanline(t, line.data(), static_cast<uint32_t>(y), 0);
    TIFFClose(t);
}

// The smallest model file: version, signature, a header of zero counts, reference vectors.
std::vector<uint8_t> EmptyModel() {
    std::vector<uint8_t> m(100, 0);
    test::PutU32(m, 0, 257);
    std::memcpy(m.data() + 4, kModelSignature, 13);
    return m;
}

class ScriptLoads : public test::LuaSceneTest {
protected:
    void SetUp() override {
        LuaSceneTest::SetUp();
        ResetSound();
        ResetModels();
        SetOfflineMixing(true);
        config.soundOn = 1;
        InitSound();
    }
    void TearDown() override {
        LuaSceneTest::TearDown();
        ResetSound();
        ResetModels();
    }
    // The slowest of `n` frames of the current scene, in milliseconds.
    double SlowestFrame(int n) {
        double slowest = 0;
        for (int i = 0; i < n; ++i) {
            const Clock::time_point start = Clock::now();
            Frame();
            slowest = std::max(slowest, Milliseconds(start));
        }
        return slowest;
    }
};

TEST_F(ScriptLoads, HugeModelsSoundsAndVideosFailAtOnceLooseOrPackagedAndAreNotRetriedInTheVisit) {
    constexpr uint64_t kGiB = 1ull << 30;
    SparseFile("models/huge.md", {}, kGiB);
    SparsePackage("models.res", "models/packed.md", {}, kGiB);
    SparseFile("sound/huge.wav", WavHeader(512 * kMiB), 512 * kMiB);
    // Within the cap of samples, but the file around them is 512 MiB.
    SparseFile("sound/long.wav", WavHeader(1024), 512 * kMiB);
    SparsePackage("sound.res", "sound/packed.wav", WavHeader(512 * kMiB), 512 * kMiB);
    SparsePackage("video.res", "video/packed.bik", {}, kGiB);
    Write("models/later.md", "not a model");
    Script(200, R"(
        function load() PlayVideo("video/packed.bik") end
        function run()
          for _, m in ipairs({"models/huge.md", "models/packed.md", "models/later.md"}) do
            if LoadActor(m, 0, 0, 0, 0) ~= -1 then error(m .. " loaded") end
          end
          LoadSound("sound/huge.wav", 1)
          LoadSound("sound/long.wav", 2)
          LoadSound("sound/packed.wav", 3)
          if IsSlotPlaying(1) then error("playing") end
        end)");
    const uint64_t before = Resident();
    const Clock::time_point start = Clock::now();
    Enter(200);
    EXPECT_LT(Milliseconds(start), kFrameBound);
    EXPECT_EQ(loop.playMode, 0);
    EXPECT_LT(SlowestFrame(30), kFrameBound);
    EXPECT_LT(Resident(), before + 64 * kMiB);
    EXPECT_EQ(Reported("loaded"), 0) << AllMessages();
    EXPECT_EQ(OpenLuaStates(), 1) << AllMessages();
    EXPECT_EQ(SoundSlotBytes(1) + SoundSlotBytes(3), 0u);
    EXPECT_EQ(SoundSlotBytes(2), 1024u);  // the samples the header describes, no more

    // A file that failed stays failed for the visit, even once it is a model; the next
    // visit reads it again.
    test::WriteBytes("models/later.md", EmptyModel());
    Frame();
    EXPECT_EQ(modelTables.modelCount, 0);
    EXPECT_EQ(OpenLuaStates(), 1) << AllMessages();
    Script(200, "function load() Game.EXE = LoadActor('models/later.md', 0, 0, 0, 0) end");
    Enter(200);
    EXPECT_GE(interaction.EXE, 0);
    EXPECT_EQ(modelTables.modelCount, 1);
}

TEST_F(ScriptLoads, AScriptFileLargerThanItsCapIsRefusedFromItsSizeLooseOrPackaged) {
    const std::string text = "function load() Game.EXE = 1 end -- ";
    SparsePackage("scripts.res", "scripts/scene200.lua", test::Bytes(text), 1536 * kMiB);
    SparseFile("scripts/scene201.lua", test::Bytes(text), 2 * kMiB);
    const uint64_t before = Resident();
    const Clock::time_point start = Clock::now();
    for (int visit = 0; visit < 3; ++visit) {
        Enter(200);
        Enter(201);
    }
    EXPECT_LT(Milliseconds(start), kVisitsBound);
    EXPECT_LT(Resident(), before + 32 * kMiB);
    EXPECT_EQ(interaction.EXE, 0);
    EXPECT_EQ(Reported("scripts/scene200.lua: the file is larger than 1 MiB (not read)"), 3) << AllMessages();
    EXPECT_EQ(Reported("scripts/scene201.lua: the file is larger than 1 MiB (not read)"), 3) << AllMessages();
}

TEST_F(ScriptLoads, PicturesLargerThanTheScreenAreRefused) {
    BlackTiff("gfx/bomb.tif", 4096, 4096);
    ASSERT_LT(std::filesystem::file_size("gfx/bomb.tif"), 256 * 1024u);
    BlackTiff("gfx/wide.tif", 801, 600);
    BlackTiff("gfx/screen.tif", 800, 600);
    test::WriteBytes("gfx/tall.bmp", GreyBmp(800, 601));
    test::WriteBytes("gfx/screen.bmp", GreyBmp(800, 600));
    for (const char* frame : {"animgfx/big000.tif", "animgfx/big001.tif"}) BlackTiff(frame, 800, 700);
    Script(200, R"(
        function load()
          local files = {"gfx/bomb.tif", "gfx/wide.tif", "gfx/tall.bmp", "gfx/screen.tif", "gfx/screen.bmp"}
          for tool, file in ipairs(files) do
            PlaceToolPicture(file, tool, 1, 1, 0, 0)
          end
          Game.EXE = LoadFrameSequence("animgfx/big000.tif", 3, 0, 0, 1, 1)
        end
        function run()
          PlaceToolPicture("gfx/bomb.tif", 10 + (Game.DIALOG % 900), 1, 1, 0, 0)
          Game.DIALOG = Game.DIALOG + 1
        end)");
    const uint64_t before = Resident();
    Enter(200);
    for (int tool : {1, 2, 3}) EXPECT_EQ(interaction.ToolTable[tool].scenePicture, nullptr) << tool;
    for (int tool : {4, 5}) {
        ASSERT_NE(interaction.ToolTable[tool].scenePicture, nullptr) << tool;
        EXPECT_EQ(interaction.ToolTable[tool].scenePicture->width, 800);
    }
    EXPECT_EQ(interaction.EXE, 0);
    EXPECT_EQ(animation.animSlots[3].frameCount, 0.0f);
    // One bomb a frame on a new tool: the picture is refused from its header each time.
    EXPECT_LT(SlowestFrame(40), kFrameBound);
    EXPECT_LT(Resident(), before + 64 * kMiB);
    EXPECT_EQ(OpenLuaStates(), 1) << AllMessages();
}

TEST_F(ScriptLoads, TheSceneResourcesHaveABudgetAndAScriptPastItFailsByName) {
    test::WriteBytes("gfx/screen.bmp", GreyBmp(800, 600));
    Script(200, R"(
        function run()
          PlaceToolPicture("gfx/screen.bmp", Game.DIALOG, 1, 0, 0, 0)
          PlaceToolPicture("gfx/screen.bmp", 999, 1, 0, 0, 0)  -- replacing a picture costs nothing
          Game.DIALOG = Game.DIALOG + 1
        end)");
    // A budget of 32 MiB keeps the test short; the default of 256 MiB works alike.
    ScriptLimits limits;
    limits.resourceBytes = 32 * kMiB;
    SetScriptLimits(limits);
    const uint64_t before = Resident();
    Enter(200);
    Frames(100);
    const uint64_t picture = interaction.ToolTable[999].scenePicture ? interaction.ToolTable[999].scenePicture->pixels.size() : 0;
    ASSERT_GT(picture, 0u);
    EXPECT_EQ(Reported("PlaceToolPicture: the scene's resources would pass their budget of 32 MiB"), 1)
        << AllMessages();
    EXPECT_EQ(OpenLuaStates(), 0);
    // The tools placed hold at most the budget, and the process grew by no more.
    EXPECT_LE(SceneResourceBytes(), 32 * kMiB);
    EXPECT_GT(SceneResourceBytes(), 32 * kMiB - 2 * picture);
    EXPECT_LT(Resident(), before + 32 * kMiB + 32 * kMiB);
}

TEST_F(ScriptLoads, TimeInsideEngineCallsCountsAgainstTheCallsLimit) {
    // 8 MiB of samples each time: the loads' time, not the script's instructions, runs out.
    SparseFile("sound/long.wav", WavHeader(8 * kMiB), 44 + 8 * kMiB);
    Script(200, R"(
        function load()
          pcall(function()
            for i = 1, 1000 do LoadSound("sound/long.wav", 5) end
          end)
          Game.EXE = 1
        end)");
    const Clock::time_point start = Clock::now();
    Enter(200);
    EXPECT_LT(Milliseconds(start), kVisitsBound);
    EXPECT_EQ(interaction.EXE, 0);  // pcall could not catch it
    EXPECT_EQ(Reported("scripts/scene200.lua:4: the call ran longer than 500 ms (load)"), 1) << AllMessages();
}

}  // namespace
}  // namespace tarvex
