// make-scene on a room traced by the test itself through the engine's camera: a floor plane
// y = 0 with a tall box standing on it. The scene made of its picture, depth pass and walk
// area is read back by the engine's loaders and played.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "platform/png_io.h"
#include "resources/picture.h"
#include "scene/scene_description.h"
#include "scene/scene_load.h"
#include "scene/walk_mask.h"
#include "support/engine_run.h"
#include "support/world_test_util.h"

// The folder's tests are compiled as one unit: the helpers live in a namespace of their own.
namespace tarvex::make_scene_test {
namespace {

namespace fs = std::filesystem;

struct P3 {
    double x, y, z;
};
P3 operator+(P3 a, P3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
P3 operator-(P3 a, P3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
P3 operator*(P3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(P3 a, P3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
P3 Unit(P3 a) { return a * (1 / std::sqrt(Dot(a, a))); }

// The room in engine coordinates; make-scene takes the camera in the scene file's, where
// engine (x, y, z) is (-x, -z, y).
const P3 kEye{0, 220, 650}, kTarget{0, 70, 0};
const char* const kCameraOption = " --camera 0 -650 220 0 0 70 50";
const P3 kBoxLo{-250, 0, 100}, kBoxHi{-50, 230, 130};
constexpr double kWalkX = 300, kWalkNear = 400, kWalkFar = -300, kMargin = 30;

// The engine's scene camera: look-at with up y, vertical field of view 50, aspect 0.75.
struct Camera {
    P3 z = Unit(kTarget - kEye), x = Unit({z.z, 0, -z.x});
    P3 y{z.y * x.z - z.z * x.y, z.z * x.x - z.x * x.z, z.x * x.y - z.y * x.x};
    double p11 = 1 / std::tan(50 * 0.01745329 / 2), p00 = 0.75 * p11;
    // The world direction whose view z is 1 through screen point (sx, sy).
    P3 Ray(double sx, double sy) const { return x * ((2 * sx / 800 - 1) / p00) + y * (-(2 * sy / 600 - 1) / p11) + z; }
    void Project(P3 p, int& sx, int& sy) const {
        const P3 d = p - kEye;
        sx = int((Dot(d, x) * p00 / Dot(d, z) + 1) * 400), sy = int((1 - Dot(d, y) * p11 / Dot(d, z)) * 300);
    }
};
const Camera kCamera;

double FloorHit(P3 d) { return d.y < 0 ? -kEye.y / d.y : INFINITY; }

double BoxHit(P3 d) {
    double t0 = 0, t1 = INFINITY;
    for (auto axis : {&P3::x, &P3::y, &P3::z}) {
        double ta = (kBoxLo.*axis - kEye.*axis) / d.*axis, tb = (kBoxHi.*axis - kEye.*axis) / d.*axis;
        t0 = std::max(t0, std::min(ta, tb)), t1 = std::min(t1, std::max(ta, tb));
    }
    return t0 <= t1 ? t0 : INFINITY;
}

// The walk area: a rectangle of the floor less the box with a margin (`slack` widens it).
bool Walkable(P3 p, double slack = 0) {
    const double m = kMargin - slack;
    const bool nearBox = p.x > kBoxLo.x - m && p.x < kBoxHi.x + m && p.z > kBoxLo.z - m && p.z < kBoxHi.z + m;
    return std::fabs(p.x) <= kWalkX + slack && p.z >= kWalkFar - slack && p.z <= kWalkNear + slack && !nearBox;
}

// What the camera sees through a screen point: 0 sky, 1 floor, 2 box; and the view depth.
int Trace(double sx, double sy, double& depth, P3& point) {
    const P3 d = kCamera.Ray(sx, sy);
    const double tf = FloorHit(d), tb = BoxHit(d);
    depth = std::min(tf, tb);
    point = kEye + d * depth;
    return std::isinf(depth) ? 0 : tb < tf ? 2 : 1;
}

// An OpenEXR file of one uncompressed FLOAT channel "Z", rows top-down.
std::string ExrDepth(int w, int h, const std::vector<float>& values) {
    std::string out("\x76\x2f\x31\x01\x02\0\0\0", 8);
    auto put = [&](auto v) { out.append(reinterpret_cast<const char*>(&v), sizeof v); };
    auto attribute = [&](const char* name, const char* type, int32_t size) {
        out += name, out += '\0', out += type, out += '\0', put(size);
    };
    attribute("channels", "chlist", 19), out += std::string("Z\0", 2), put(2), put(0), put(1), put(1), out += '\0';
    attribute("compression", "compression", 1), out += '\0';
    for (const char* window : {"dataWindow", "displayWindow"})
        attribute(window, "box2i", 16), put(0), put(0), put(w - 1), put(h - 1);
    attribute("lineOrder", "lineOrder", 1), out += '\0';
    attribute("pixelAspectRatio", "float", 4), put(1.0f);
    attribute("screenWindowCenter", "v2f", 8), put(0.0f), put(0.0f);
    attribute("screenWindowWidth", "float", 4), put(1.0f), out += '\0';
    for (int y = 0; y < h; ++y) put(uint64_t(out.size() + 8 * uint64_t(h - y) + y * (8 + 4 * uint64_t(w))));
    for (int y = 0; y < h; ++y)
        put(y), put(4 * w), out.append(reinterpret_cast<const char*>(&values[size_t(y) * w]), 4 * size_t(w));
    return out;
}

// The room's files at `scale` times 800 x 600, traced through the pixels' centres: picture
// and walk area (PNG), the depth pass as PFM, OpenEXR and a 16-bit PNG normalised over
// 0..2000. Returns the walk area, 1 where floor.
std::vector<uint8_t> RenderRoom(const std::string& dir, int scale) {
    const int w = 800 * scale, h = 600 * scale;
    std::vector<uint8_t> picture(size_t(w) * h * 3), walk(size_t(w) * h * 3, 0), floor(size_t(w) * h);
    std::vector<float> depths(size_t(w) * h);
    std::string pfm, gray;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double depth;
            P3 p;
            const size_t k = size_t(y) * w + x;
            const int what = Trace((x + 0.5) / scale, (y + 0.5) / scale, depth, p);
            const uint8_t grey = (int(std::floor(p.x / 50)) + int(std::floor(p.z / 50))) & 1 ? 170 : 120;
            const uint8_t rgb[3][3] = {{20, 30, 60}, {grey, grey, grey}, {200, 40, 40}};
            std::memcpy(&picture[k * 3], rgb[what], 3);
            floor[k] = what == 1 && Walkable(p);
            std::memset(&walk[k * 3], floor[k] ? 255 : 0, 3);
            depths[k] = what ? float(depth) : INFINITY;
            const long v = std::lround(std::min(1.0, depth / 2000) * 65535);
            gray += char(v >> 8), gray += char(v);
        }
    for (int y = h - 1; y >= 0; --y) pfm.append(reinterpret_cast<const char*>(&depths[size_t(y) * w]), 4 * size_t(w));
    EXPECT_TRUE(WritePngRgb(dir + "/picture.png", w, h, picture));
    EXPECT_TRUE(WritePngRgb(dir + "/walk.png", w, h, walk));
    std::ofstream(dir + "/depth.pfm", std::ios::binary) << "Pf\n" << w << " " << h << "\n-1.0\n" << pfm;
    std::ofstream(dir + "/depth.exr", std::ios::binary) << ExrDepth(w, h, depths);
    std::ofstream(dir + "/depth.gray", std::ios::binary) << gray;
    EXPECT_EQ(test::Run("/usr/bin/convert -size " + std::to_string(w) + "x" + std::to_string(h) + " -depth 16 -endian MSB gray:" +
                        dir + "/depth.gray -define png:bit-depth=16 " + dir + "/depth16.png"),
              0);
    return floor;
}

struct ToolRun {
    int status = -1;
    std::string out, err;
};

ToolRun MakeScene(const std::string& arguments, const std::string& dir) {
    ToolRun r;
    r.status = test::Run(std::string(TARVEX_BINARY_DIR) + "/tarvex-tool make-scene " + arguments + " >" + dir +
                         "/out.txt 2>" + dir + "/err.txt");
    for (auto [file, text] : {std::pair{"/out.txt", &r.out}, {"/err.txt", &r.err}}) {
        const std::vector<uint8_t> bytes = test::ReadFile(dir + file);
        text->assign(bytes.begin(), bytes.end());
    }
    return r;
}

std::string Inputs(const std::string& dir, const std::string& depth = "depth.pfm") {
    return " --picture " + dir + "/picture.png --depth " + dir + "/" + depth + " --walk " + dir + "/walk.png" + kCameraOption;
}

// The room made once as scene 30 of the demo's files (linked) with a light above it.
struct MadeRoom {
    std::string dir, game;
    std::vector<uint8_t> floor;
    ToolRun made;
    nlohmann::json summary;
};

const MadeRoom& Room() {
    static const MadeRoom room = [] {
        MadeRoom r;
        r.dir = test::TempDir("make-scene");
        r.game = r.dir + "/game";
        const std::string demo = test::GeneratedDemo("loose", true);
        for (const char* folder : {"/scenes", "/scripts", ""}) {
            fs::create_directories(r.game + folder);
            for (const auto& entry : fs::directory_iterator(demo + folder))
                if (!fs::exists(r.game + folder + "/" + entry.path().filename().string()))
                    fs::create_symlink(entry.path(), r.game + folder + "/" + entry.path().filename().string());
        }
        r.floor = RenderRoom(r.dir, 1);
        const std::string light = " --light 0 -300 400 3000 1 0 0 255 255 255 --ambient 90 90 90";
        r.made = MakeScene("30 --game " + r.game + Inputs(r.dir) + light, r.dir);
        r.summary = nlohmann::json::parse(r.made.out, nullptr, false);
        return r;
    }();
    return room;
}

// The scene read back by the engine's loaders, every pixel's floor checked against the room
// (`floor` at `scale` times the screen, read at the pixel's centre).
struct FloorCheck {
    long floorPixels = 0, mismatched = 0;
    double worst = 0;
};

FloorCheck CheckFloor(const std::string& game, int scene, const std::vector<uint8_t>& floor, int scale) {
    const fs::path previous = fs::current_path();
    fs::current_path(game);
    ClearFileLookupCache();
    LoadSceneDescription(SceneFileBase(scene) + ".txt");
    EXPECT_TRUE(LoadFloorDepth(SceneFileBase(scene) + "m.msk"));
    FloorCheck c;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            c.mismatched += HasFloor(x, y) != floor[size_t(y * scale + scale / 2) * 800 * scale + x * scale + scale / 2];
            if (!HasFloor(x, y)) continue;
            const Vec3 p = ScreenToWorld(x, y, FloorDepthAt(x, y));
            const P3 d = kCamera.Ray(x, y), e = kEye + d * FloorHit(d) - P3{p.x, p.y, p.z};
            c.worst = std::max(c.worst, std::sqrt(Dot(e, e))), ++c.floorPixels;
        }
    fs::current_path(previous);
    ClearFileLookupCache();
    return c;
}

TEST(MakeScene, ClicksOnTheFloorUnprojectToThePlaneFromPfmAndNormalisedPng) {
    const MadeRoom& room = Room();
    ASSERT_EQ(room.made.status, 0) << room.made.err;
    const ToolRun png =
        MakeScene("32 --game " + room.game + Inputs(room.dir, "depth16.png") + " --depth-range 0 2000", room.dir);
    ASSERT_EQ(png.status, 0) << png.err;
    for (int scene : {30, 32}) {
        const FloorCheck c = CheckFloor(room.game, scene, room.floor, 1);
        EXPECT_EQ(c.mismatched, 0) << scene;
        // Each pixel's own depth taken at the corner the engine unprojects through is off by
        // up to 3.4 units here.
        EXPECT_LT(c.worst, scene == 30 ? 0.1 : 1.0) << scene;
        EXPECT_EQ(room.summary["floorPixels"], c.floorPixels);
    }
    // A cell of the walk mask is free exactly where its four pixels are floor.
    const std::vector<uint8_t> mask = test::ReadFile(room.game + "/scenes/scr_030m.raw");
    ASSERT_EQ(mask.size(), 120000u);
    long wrongCells = 0;
    for (int cell = 0; cell < 120000; ++cell) {
        bool all = true;
        for (int k = 0; k < 4; ++k) all = all && room.floor[size_t(2 * (cell / 400) + k / 2) * 800 + 2 * (cell % 400) + k % 2];
        wrongCells += (mask[cell] == 0) != all;
    }
    EXPECT_EQ(wrongCells, 0);
    EXPECT_EQ(room.summary["warnings"], nlohmann::json::array());
    // The same pass read as fifteen times as deep puts the far floor out of the engine's reach.
    const ToolRun deep =
        MakeScene("33 --game " + room.game + Inputs(room.dir, "depth16.png") + " --depth-range 0 30000", room.dir);
    EXPECT_NE(deep.err.find("warning: part of the floor lies beyond the engine's far plane"), std::string::npos);
    const nlohmann::json& bounds = room.summary["floorBounds"];
    EXPECT_NEAR(bounds["min"][0].get<double>(), -kWalkX, 3);
    EXPECT_NEAR(bounds["max"][0].get<double>(), kWalkX, 3);
    EXPECT_NEAR(bounds["max"][1].get<double>(), 0, 0.1);
    EXPECT_NEAR(bounds["min"][2].get<double>(), kWalkFar, 5);  // a pixel spans 4 units there
}

TEST(MakeScene, AFourThirdsRenderOfAnotherSizeIsFittedFromJpegTiffAndOpenExr) {
    const std::string dir = test::TempDir("make-scene-fit"), game = dir + "/game";
    fs::create_directories(game);
    const std::vector<uint8_t> floor = RenderRoom(dir, 2);
    ASSERT_EQ(test::Run("/usr/bin/convert " + dir + "/picture.png -quality 95 " + dir + "/picture.jpg && /usr/bin/convert " +
                        dir + "/walk.png -compress lzw " + dir + "/walk.tif"),
              0);
    const std::string inputs =
        " --picture " + dir + "/picture.jpg --depth " + dir + "/depth.exr --walk " + dir + "/walk.tif" + kCameraOption;
    const ToolRun refused = MakeScene("31 --game " + game + inputs, dir);
    EXPECT_NE(refused.err.find("1600 x 1200 pixels, not 800 x 600"), std::string::npos) << refused.err;
    const ToolRun made = MakeScene("31 --fit --game " + game + inputs, dir);
    ASSERT_EQ(made.status, 0) << made.err;
    const FloorCheck c = CheckFloor(game, 31, floor, 2);
    EXPECT_LT(c.mismatched, c.floorPixels / 200);
    EXPECT_LT(c.worst, 1.0);
    const std::vector<uint8_t> tif = test::ReadFile(game + "/scenes/scr_031.tif");
    BgrPicture picture;
    ASSERT_TRUE(DecodeTiffPicture(tif.data(), tif.size(), picture));
    EXPECT_EQ(picture.width * 10000 + picture.height, 8000600);
}

TEST(MakeScene, RefusesBadInputsWithAMessageAndWritesNothing) {
    const std::string r = Room().dir, dir = test::TempDir("make-scene-refusals"), game = dir + "/game";
    fs::create_directories(game);
    ASSERT_TRUE(WritePngRgb(dir + "/small.png", 640, 480, std::vector<uint8_t>(640 * 480 * 3, 90)));
    ASSERT_TRUE(WritePngRgb(dir + "/wide.png", 1000, 600, std::vector<uint8_t>(1000 * 600 * 3, 90)));
    ASSERT_TRUE(WritePngRgb(dir + "/black.png", 800, 600, std::vector<uint8_t>(800 * 600 * 3, 0)));
    std::ofstream(dir + "/small.pfm", std::ios::binary) << "Pf\n400 300\n-1.0\n" << std::string(400 * 300 * 4, '\0');
    std::ofstream(dir + "/short.pfm", std::ios::binary) << "Pf\n800 600\n-1.0\n" << std::string(1000, '\0');
    std::ofstream(dir + "/sky.pfm", std::ios::binary) << "Pf\n800 600\n-1.0\n" << std::string(800 * 600 * 4, '\0');
    std::ofstream(dir + "/cut.exr", std::ios::binary) << "v/1\x01\xff";
    const std::string picture = " --picture " + r + "/picture.png", depth = " --depth " + r + "/depth.pfm",
                      walk = " --walk " + r + "/walk.png";
    const std::pair<std::string, std::string> cases[] = {
        {" --picture " + dir + "/small.png" + depth + walk, "640 x 480 pixels, not 800 x 600"},
        {" --fit --picture " + dir + "/wide.png" + depth + walk, "not 4:3"},
        {" --picture " + r + "/none.png" + depth + walk, "cannot open"},
        {picture + " --depth " + dir + "/small.pfm" + walk, "400 x 300 pixels, the picture 800 x 600"},
        {picture + " --depth " + dir + "/short.pfm" + walk, "shorter than its pixels"},
        {picture + " --depth " + r + "/picture.png" + walk, "needs 16 bits"},
        {picture + " --depth " + dir + "/cut.exr" + walk, "cut short in its header"},
        {picture + depth + " --walk " + dir + "/black.png", "has no floor"},
        {picture + " --depth " + dir + "/sky.pfm" + walk, "the camera sees no floor"},  // floor painted on sky
        {picture + depth + walk + " --scene-typo", "unexpected argument"},
        {picture + depth + walk + " --light 0 0 0 100 1 0 0 255 255", "--light takes 10 values"},
    };
    for (const auto& [arguments, message] : cases) {
        const ToolRun run = MakeScene("30 --game " + game + arguments + kCameraOption, dir);
        EXPECT_EQ(run.status, 1) << arguments;
        EXPECT_NE(run.err.find(message), std::string::npos) << arguments << "\n" << run.err;
        EXPECT_NE(run.out.find("\"error\""), std::string::npos) << run.out;
    }
    for (const auto& [arguments, message] : {std::pair<std::string, std::string>{"299" + Inputs(r), "scenes 0..298"},
                                             {"30" + Inputs(r) + " --camera 0 0 900 0 0 0 50", "straight up or down"}}) {
        const ToolRun run = MakeScene(arguments + " --game " + game, dir);
        EXPECT_NE(run.err.find(message), std::string::npos) << arguments << "\n" << run.err;
    }
    EXPECT_FALSE(fs::exists(game + "/scenes") && !fs::is_empty(game + "/scenes"));
}

// The share of the box's pixels that differ between two screenshots, inside the screen
// rectangle of a standing character's bounds at a floor point.
double BoxPixelsChanged(const test::Picture& a, const test::Picture& b, P3 at) {
    int left = 800, top = 600, right = 0, bottom = 0;
    for (int i = 0; i < 8; ++i) {
        int sx, sy;
        kCamera.Project({at.x + (i & 1 ? 35 : -35), at.y + (i & 2 ? 180 : 0), at.z + (i & 4 ? 30 : -30)}, sx, sy);
        left = std::min(left, sx), right = std::max(right, sx), top = std::min(top, sy), bottom = std::max(bottom, sy);
    }
    long box = 0, changed = 0;
    for (int y = std::max(0, top); y < std::min(600, bottom); ++y)
        for (int x = std::max(0, left); x < std::min(800, right); ++x) {
            double depth;
            P3 p;
            if (Trace(x + 0.5, y + 0.5, depth, p) != 2) continue;
            int most = 0;
            for (int c = 0; c < 3; ++c) most = std::max(most, std::abs(int(a.At(x, y)[c]) - int(b.At(x, y)[c])));
            ++box, changed += most > 24;
        }
    return box ? double(changed) / box : -1;
}

TEST(MakeScene, TheHeroWalksOnlyOnTheWalkAreaAndTheBoxHidesHim) {
    const MadeRoom& room = Room();
    ASSERT_EQ(room.made.status, 0) << room.made.err;
    // The hero beside the box, behind it, in front of it, then at the start point for the walks.
    const P3 beside{200, 0, 200}, behind{-150, 0, 0}, before{-150, 0, 220};
    const nlohmann::json& start = room.summary["start"]["world"];
    auto spot = [](P3 p) { return "{" + std::to_string(p.x) + ", 0, " + std::to_string(p.z) + "}"; };
    test::WriteText(room.game + "/scripts/scene030.lua",
                    "local frame, spots = 0, {[50] = " + spot(behind) + ", [80] = " + spot(before) + ", [110] = " +
                        spot({start[0].get<double>(), 0, start[2].get<double>()}) + "}\n"
                        "function init() CreateHero(" + std::to_string(beside.x) + ", 0, " + std::to_string(beside.z) + ", 1.57) end\n"
                        "function run()\n  frame = frame + 1\n  local s = spots[frame]\n"
                        "  if s then SetPosition(0, s[1], s[2], s[3]) end\n  DefaultRun({})\nend\n");
    // A click on the walk area's floor, then one on floor to the right of the area.
    const P3 inside{200, 0, -250}, outside{380, 0, 0};
    int ix, iy, ox, oy;
    kCamera.Project(inside, ix, iy);
    kCamera.Project(outside, ox, oy);
    test::WriteReplay(room.dir + "/walk.replay",
                      {"130 pointer " + std::to_string(ix) + " " + std::to_string(iy), "130 press left", "131 release left",
                       "300 pointer " + std::to_string(ox) + " " + std::to_string(oy), "300 press left", "301 release left"});
    std::string args = "--headless --fixed-fps 30 --seed 1 --scene 30 --frames 452 --path " + room.game + " --saves " +
                       room.dir + "/saves --replay " + room.dir + "/walk.replay";
    for (int f = 45; f <= 450; f += f < 105 ? 30 : f == 105 ? 25 : 10) {
        args += " --dump-state " + std::to_string(f) + ":" + room.dir + "/" + std::to_string(f) + ".json";
        if (f <= 105) args += " --screenshot " + std::to_string(f) + ":" + room.dir + "/" + std::to_string(f) + ".png";
    }
    ASSERT_EQ(test::RunEngine(args, room.dir + "/engine.log"), 0);
    auto position = [&](int frame) {
        const nlohmann::json dump = test::ReadJson(room.dir + "/" + std::to_string(frame) + ".json");
        const nlohmann::json& p = dump.at("actors").at(0).at("position");
        return P3{p[0].get<double>(), p[1].get<double>(), p[2].get<double>()};
    };
    ASSERT_NEAR(position(75).x, behind.x, 0.01);
    ASSERT_NEAR(position(105).z, before.z, 0.01);

    // Behind the box the hero leaves its pixels as they were; in front of it he covers them.
    const test::Picture clear = test::ReadPicture(room.dir + "/45.png"), hidden = test::ReadPicture(room.dir + "/75.png"),
                        shown = test::ReadPicture(room.dir + "/105.png");
    ASSERT_TRUE(clear.ok && hidden.ok && shown.ok);
    EXPECT_LT(BoxPixelsChanged(clear, hidden, behind), 0.01);
    EXPECT_GT(BoxPixelsChanged(clear, shown, before), 0.2);

    // Every step stays on the walk area; the first click is reached where the floor was
    // clicked, the second ends on the area's right edge.
    for (int f = 130; f <= 450; f += 10)
        EXPECT_TRUE(Walkable(position(f), 3)) << "frame " << f << ": " << position(f).x << ", " << position(f).z;
    EXPECT_NEAR(position(290).x, inside.x, 3);
    EXPECT_NEAR(position(290).z, inside.z, 3);
    EXPECT_NEAR(position(450).x, kWalkX, 6);
}

}  // namespace
}  // namespace tarvex::make_scene_test
