// make-scene on a room rendered by the test itself: a floor plane y = 0 with a tall box
// standing on it. The picture, its depth pass and the walk area are traced here through the
// engine's camera; the scene made of them is read back by the engine's loaders and played.
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

namespace tarvex {
namespace {

namespace fs = std::filesystem;

struct P3 {
    double x, y, z;
};
P3 operator+(P3 a, P3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
P3 operator*(P3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }

// The room, engine coordinates (y up). The camera is given to make-scene in the scene file's
// coordinates: engine (x, y, z) is file (-x, -z, y).
const P3 kEye{0, 220, 650}, kTarget{0, 70, 0};
constexpr double kFov = 50;
const char* const kCameraOption = "--camera 0 -650 220 0 0 70 50";
const P3 kBoxLo{-250, 0, 100}, kBoxHi{-50, 230, 130};
constexpr double kWalkX = 300, kWalkNear = 400, kWalkFar = -300, kMargin = 30;

double Dot(P3 a, P3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
P3 Unit(P3 a) { return a * (1 / std::sqrt(Dot(a, a))); }

// The engine's scene camera: look-at with up y, vertical field of view, aspect 0.75.
struct Camera {
    P3 x, y, z;
    double p00, p11;
    Camera() {
        z = Unit({kTarget.x - kEye.x, kTarget.y - kEye.y, kTarget.z - kEye.z});
        x = Unit({z.z, 0, -z.x});  // up cross z
        y = {z.y * x.z - z.z * x.y, z.z * x.x - z.x * x.z, z.x * x.y - z.y * x.x};
        p11 = 1 / std::tan(kFov * 0.01745329 / 2), p00 = 0.75 * p11;
    }
    // The world direction whose view z is 1 through screen point (sx, sy).
    P3 Ray(double sx, double sy) const {
        return x * ((2 * sx / 800 - 1) / p00) + y * (-(2 * sy / 600 - 1) / p11) + z;
    }
    void Project(P3 p, int& sx, int& sy) const {
        const P3 d{p.x - kEye.x, p.y - kEye.y, p.z - kEye.z};
        sx = int((Dot(d, x) * p00 / Dot(d, z) + 1) * 400), sy = int((1 - Dot(d, y) * p11 / Dot(d, z)) * 300);
    }
};
const Camera kCamera;

double FloorHit(P3 d) { return d.y < 0 ? -kEye.y / d.y : INFINITY; }

double BoxHit(P3 d) {
    double t0 = 0, t1 = INFINITY;
    const double o[3] = {kEye.x, kEye.y, kEye.z}, v[3] = {d.x, d.y, d.z};
    const double lo[3] = {kBoxLo.x, kBoxLo.y, kBoxLo.z}, hi[3] = {kBoxHi.x, kBoxHi.y, kBoxHi.z};
    for (int a = 0; a < 3; ++a) {
        double ta = (lo[a] - o[a]) / v[a], tb = (hi[a] - o[a]) / v[a];
        if (ta > tb) std::swap(ta, tb);
        t0 = std::max(t0, ta), t1 = std::min(t1, tb);
    }
    return t0 <= t1 ? t0 : INFINITY;
}

// The walk area: a rectangle of the floor without the box and a margin around it (`slack`
// widens the area by that much).
bool Walkable(P3 p, double slack = 0) {
    const double m = kMargin - slack;
    const bool nearBox = p.x > kBoxLo.x - m && p.x < kBoxHi.x + m && p.z > kBoxLo.z - m && p.z < kBoxHi.z + m;
    return std::fabs(p.x) <= kWalkX + slack && p.z >= kWalkFar - slack && p.z <= kWalkNear + slack && !nearBox;
}

// What the camera sees at a screen point: 0 sky, 1 floor, 2 box; and the view depth.
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
    auto i32 = [&](int32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    auto attribute = [&](const char* name, const char* type, int size) {
        out += name, out += '\0', out += type, out += '\0', i32(size);
    };
    attribute("channels", "chlist", 19);
    out += std::string("Z\0", 2), i32(2), out += std::string(4, '\0'), i32(1), i32(1), out += '\0';
    attribute("compression", "compression", 1), out += '\0';
    for (const char* window : {"dataWindow", "displayWindow"}) attribute(window, "box2i", 16), i32(0), i32(0), i32(w - 1), i32(h - 1);
    attribute("lineOrder", "lineOrder", 1), out += '\0';
    const float one = 1, zero = 0;
    attribute("pixelAspectRatio", "float", 4), out.append(reinterpret_cast<const char*>(&one), 4);
    attribute("screenWindowCenter", "v2f", 8), out.append(reinterpret_cast<const char*>(&zero), 4),
        out.append(reinterpret_cast<const char*>(&zero), 4);
    attribute("screenWindowWidth", "float", 4), out.append(reinterpret_cast<const char*>(&one), 4);
    out += '\0';
    uint64_t offset = out.size() + 8 * uint64_t(h);
    for (int y = 0; y < h; ++y, offset += 8 + 4 * uint64_t(w)) out.append(reinterpret_cast<const char*>(&offset), 8);
    for (int y = 0; y < h; ++y) {
        i32(y), i32(4 * w);
        out.append(reinterpret_cast<const char*>(&values[size_t(y) * w]), 4 * size_t(w));
    }
    return out;
}

// The room's files at `scale` times 800 x 600: picture and walk area (PNG), depth pass (PFM,
// or OpenEXR) traced through the pixels' centres. Returns the walk area, 1 where floor.
std::vector<uint8_t> RenderRoom(const std::string& dir, int scale, bool exr) {
    const int w = 800 * scale, h = 600 * scale;
    std::vector<uint8_t> picture(size_t(w) * h * 3), walk(size_t(w) * h * 3, 0), floor(size_t(w) * h);
    std::vector<float> depths(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double depth;
            P3 p;
            const int what = Trace((x + 0.5) / scale, (y + 0.5) / scale, depth, p);
            const bool light = (int(std::floor(p.x / 50)) + int(std::floor(p.z / 50))) & 1;
            const uint8_t grey = light ? 170 : 120;
            const uint8_t rgb[3][3] = {{20, 30, 60}, {grey, grey, grey}, {200, 40, 40}};
            std::memcpy(&picture[(size_t(y) * w + x) * 3], rgb[what], 3);
            floor[size_t(y) * w + x] = what == 1 && Walkable(p);
            if (floor[size_t(y) * w + x]) std::memset(&walk[(size_t(y) * w + x) * 3], 255, 3);
            depths[size_t(y) * w + x] = what ? float(depth) : INFINITY;
        }
    EXPECT_TRUE(WritePngRgb(dir + "/picture.png", w, h, picture));
    EXPECT_TRUE(WritePngRgb(dir + "/walk.png", w, h, walk));
    std::ofstream file(dir + (exr ? "/depth.exr" : "/depth.pfm"), std::ios::binary);
    if (exr) {
        file << ExrDepth(w, h, depths);
    } else {
        file << "Pf\n" << w << " " << h << "\n-1.0\n";
        for (int y = h - 1; y >= 0; --y) file.write(reinterpret_cast<const char*>(&depths[size_t(y) * w]), 4 * size_t(w));
    }
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
    const std::vector<uint8_t> out = test::ReadFile(dir + "/out.txt"), err = test::ReadFile(dir + "/err.txt");
    r.out.assign(out.begin(), out.end());
    r.err.assign(err.begin(), err.end());
    return r;
}

// A game folder of the demo's files (linked) with a scenes folder of its own.
std::string LinkedDemo(const std::string& dir) {
    const std::string demo = test::GeneratedDemo("loose", true);
    if (demo.empty()) return "";
    const std::string game = dir + "/game";
    fs::create_directories(game + "/scenes");
    for (const auto& entry : fs::directory_iterator(demo))
        if (entry.path().filename() != "scenes" && entry.path().filename() != "scripts")
            fs::create_symlink(entry.path(), game + "/" + entry.path().filename().string());
    for (const auto& entry : fs::directory_iterator(demo + "/scenes"))
        fs::create_symlink(entry.path(), game + "/scenes/" + entry.path().filename().string());
    fs::create_directories(game + "/scripts");
    for (const auto& entry : fs::directory_iterator(demo + "/scripts"))
        fs::create_symlink(entry.path(), game + "/scripts/" + entry.path().filename().string());
    return game;
}

// The room made once as scene 30 of a linked demo folder, from a PFM depth pass.
struct MadeRoom {
    std::string dir, game;
    std::vector<uint8_t> floor;
    ToolRun made;
    nlohmann::json summary;
};

std::string Inputs(const std::string& dir, const std::string& depth = "depth.pfm") {
    return " --picture " + dir + "/picture.png --depth " + dir + "/" + depth + " --walk " + dir + "/walk.png ";
}

const MadeRoom& Room() {
    static const MadeRoom room = [] {
        MadeRoom r;
        r.dir = test::TempDir("make-scene");
        r.game = LinkedDemo(r.dir);
        r.floor = RenderRoom(r.dir, 1, false);
        // A light above and in front of the room, file coordinates.
        r.made = MakeScene("30 --game " + r.game + Inputs(r.dir) + kCameraOption +
                               " --light 0 -300 400 3000 1 0 0 255 255 255 --ambient 90 90 90",
                           r.dir);
        r.summary = nlohmann::json::parse(r.made.out, nullptr, false);
        return r;
    }();
    return room;
}

// The current folder for the life of the object.
struct InFolder {
    explicit InFolder(const std::string& dir) : previous(fs::current_path()) {
        fs::current_path(dir);
        ClearFileLookupCache();
    }
    ~InFolder() {
        fs::current_path(previous);
        ClearFileLookupCache();
    }
    fs::path previous;
};

// The scene read back by the engine's loaders, every pixel's floor checked against the room
// (`floor` at `scale` times the screen, the pixel's centre taken).
struct FloorCheck {
    long floorPixels = 0, mismatched = 0;
    double worst = 0, mean = 0;
};

FloorCheck CheckFloor(const std::string& game, int scene, const std::vector<uint8_t>& floor, int scale) {
    InFolder in(game);
    const std::string base = SceneFileBase(scene);
    LoadSceneDescription(base + ".txt");
    EXPECT_TRUE(LoadFloorDepth(base + "m.msk"));
    FloorCheck c;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const bool expected = floor[size_t(y * scale + scale / 2) * 800 * scale + x * scale + scale / 2];
            c.mismatched += HasFloor(x, y) != expected;
            if (!HasFloor(x, y)) continue;
            const Vec3 p = ScreenToWorld(x, y, FloorDepthAt(x, y));
            const P3 d = kCamera.Ray(x, y), q = kEye + d * FloorHit(d);
            const double err = std::sqrt((p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y) + (p.z - q.z) * (p.z - q.z));
            c.worst = std::max(c.worst, err), c.mean += err, ++c.floorPixels;
        }
    c.mean /= std::max(1L, c.floorPixels);
    return c;
}

TEST(MakeScene, ClicksOnTheFloorUnprojectToThePlaneTheDepthPassHolds) {
    const MadeRoom& room = Room();
    ASSERT_EQ(room.made.status, 0) << room.made.err;
    const FloorCheck c = CheckFloor(room.game, 30, room.floor, 1);
    EXPECT_EQ(c.mismatched, 0);
    EXPECT_LT(c.worst, 1.0);
    EXPECT_LT(c.mean, 0.05);
    EXPECT_EQ(room.summary["floorPixels"], c.floorPixels);
    // A cell of the walk mask is free exactly where its four pixels are floor.
    const std::vector<uint8_t> mask = test::ReadFile(room.game + "/scenes/scr_030m.raw");
    ASSERT_EQ(mask.size(), 120000u);
    long wrongCells = 0;
    for (int cy = 0; cy < 300; ++cy)
        for (int cx = 0; cx < 400; ++cx) {
            bool all = true;
            for (int k = 0; k < 4; ++k) all = all && room.floor[size_t(2 * cy + k / 2) * 800 + 2 * cx + k % 2];
            wrongCells += (mask[size_t(cy) * 400 + cx] == 0) != all;
        }
    EXPECT_EQ(wrongCells, 0);
    const nlohmann::json& bounds = room.summary["floorBounds"];
    EXPECT_NEAR(bounds["min"][0].get<double>(), -kWalkX, 3);
    EXPECT_NEAR(bounds["max"][0].get<double>(), kWalkX, 3);
    EXPECT_NEAR(bounds["max"][1].get<double>(), 0, 0.5);
    EXPECT_LE(bounds["max"][2].get<double>(), kWalkNear + 1);  // the near edge lies below the screen
    EXPECT_NEAR(bounds["min"][2].get<double>(), kWalkFar, 5);  // a pixel spans 4 units there
}

TEST(MakeScene, ANormalisedSixteenBitDepthGivesTheSameFloor) {
    const MadeRoom& room = Room();
    // The depth pass as 16-bit values over 0..2000 (sky at the top), written by ImageMagick.
    constexpr double kFar = 2000;
    std::vector<float> pfm(800 * 600);
    std::ifstream in(room.dir + "/depth.pfm", std::ios::binary);
    in.ignore(16);  // "Pf\n800 600\n-1.0\n"
    in.read(reinterpret_cast<char*>(pfm.data()), pfm.size() * 4);
    std::string samples;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const float z = pfm[size_t(599 - y) * 800 + x];
            const long v = std::isinf(z) ? 65535 : std::lround(std::min(1.0, z / kFar) * 65535);
            samples += char(v >> 8), samples += char(v & 255);
        }
    std::ofstream(room.dir + "/depth.gray", std::ios::binary) << samples;
    ASSERT_EQ(test::Run("/usr/bin/convert -size 800x600 -depth 16 -endian MSB gray:" + room.dir +
                        "/depth.gray -define png:bit-depth=16 " + room.dir + "/depth16.png"),
              0);
    const ToolRun made = MakeScene("32 --game " + room.game + Inputs(room.dir, "depth16.png") + kCameraOption +
                                       " --depth-range 0 2000",
                                   room.dir);
    ASSERT_EQ(made.status, 0) << made.err;
    const FloorCheck c = CheckFloor(room.game, 32, room.floor, 1);
    EXPECT_EQ(c.mismatched, 0);
    EXPECT_LT(c.worst, 1.0);
}

TEST(MakeScene, AFourThirdsRenderOfAnotherSizeIsFittedFromJpegTiffAndOpenExr) {
    const std::string dir = test::TempDir("make-scene-fit"), game = dir + "/game";
    fs::create_directories(game);
    const std::vector<uint8_t> floor = RenderRoom(dir, 2, true);
    ASSERT_EQ(test::Run("/usr/bin/convert " + dir + "/picture.png -quality 95 " + dir + "/picture.jpg && /usr/bin/convert " +
                        dir + "/walk.png -compress lzw " + dir + "/walk.tif"),
              0);
    const std::string inputs =
        " --picture " + dir + "/picture.jpg --depth " + dir + "/depth.exr --walk " + dir + "/walk.tif " + kCameraOption;
    const ToolRun refused = MakeScene("31 --game " + game + inputs, dir);
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.err.find("1600 x 1200 pixels, not 800 x 600"), std::string::npos) << refused.err;
    const ToolRun made = MakeScene("31 --fit --game " + game + inputs, dir);
    ASSERT_EQ(made.status, 0) << made.err;
    const FloorCheck c = CheckFloor(game, 31, floor, 2);
    EXPECT_LT(c.mismatched, c.floorPixels / 200);
    EXPECT_LT(c.worst, 1.0);
    // The picture is scaled to the engine's size: the box still red where it stands.
    const std::vector<uint8_t> tif = test::ReadFile(game + "/scenes/scr_031.tif");
    BgrPicture picture;
    ASSERT_TRUE(DecodeTiffPicture(tif.data(), tif.size(), picture));
    ASSERT_EQ(picture.width, 800);
    double depth;
    P3 p;
    int boxX = 0, boxY = 0;
    for (int y = 0; y < 600 && !boxY; ++y)
        for (int x = 0; x < 800 && !boxY; ++x)
            if (Trace(x + 0.5, y + 0.5, depth, p) == 2 && Trace(x - 2.5, y - 2.5, depth, p) == 2) boxX = x, boxY = y;
    const uint8_t* bgr = &picture.bgr[(size_t(boxY + 10) * 800 + boxX + 10) * 3];
    EXPECT_GT(bgr[2], 180);
    EXPECT_LT(bgr[1], 60);
}

TEST(MakeScene, RefusesBadInputsWithAMessageAndWritesNothing) {
    const MadeRoom& room = Room();
    const std::string dir = test::TempDir("make-scene-refusals"), game = dir + "/game";
    fs::create_directories(game);
    ASSERT_TRUE(WritePngRgb(dir + "/small.png", 640, 480, std::vector<uint8_t>(640 * 480 * 3, 90)));
    ASSERT_TRUE(WritePngRgb(dir + "/wide.png", 1000, 600, std::vector<uint8_t>(1000 * 600 * 3, 90)));
    ASSERT_TRUE(WritePngRgb(dir + "/black.png", 800, 600, std::vector<uint8_t>(800 * 600 * 3, 0)));
    ASSERT_TRUE(WritePngRgb(dir + "/eight.png", 800, 600, std::vector<uint8_t>(800 * 600 * 3, 200)));
    std::ofstream(dir + "/small.pfm", std::ios::binary) << "Pf\n400 300\n-1.0\n" << std::string(400 * 300 * 4, '\0');
    std::ofstream(dir + "/short.pfm", std::ios::binary) << "Pf\n800 600\n-1.0\n" << std::string(1000, '\0');
    std::vector<float> sky(800 * 600, INFINITY);
    std::ofstream(dir + "/sky.pfm", std::ios::binary)
        << "Pf\n800 600\n-1.0\n" << std::string(reinterpret_cast<const char*>(sky.data()), sky.size() * 4);
    const std::string r = room.dir;
    const std::pair<std::string, std::string> cases[] = {
        {"30 --picture " + dir + "/small.png --depth " + r + "/depth.pfm --walk " + r + "/walk.png", "640 x 480 pixels, not 800 x 600"},
        {"30 --fit --picture " + dir + "/wide.png --depth " + r + "/depth.pfm --walk " + r + "/walk.png", "not 4:3"},
        {"30" + Inputs(r, "../make-scene-refusals-x/none.pfm"), "cannot open"},
        {"30 --picture " + r + "/picture.png --depth " + dir + "/small.pfm --walk " + r + "/walk.png", "400 x 300 pixels, the picture 800 x 600"},
        {"30 --picture " + r + "/picture.png --depth " + dir + "/short.pfm --walk " + r + "/walk.png", "shorter than its pixels"},
        {"30 --picture " + r + "/picture.png --depth " + dir + "/eight.png --walk " + r + "/walk.png", "needs 16 bits"},
        {"30 --picture " + r + "/picture.png --depth " + r + "/picture.png --walk " + r + "/walk.png", "needs 16 bits"},
        {"30 --picture " + r + "/depth.pfm --depth " + r + "/depth.pfm --walk " + r + "/walk.png", "not a PNG, JPEG or TIFF"},
        {"30 --picture " + r + "/picture.png --depth " + r + "/depth.pfm --walk " + dir + "/black.png", "has no floor"},
        {"30 --picture " + r + "/picture.png --depth " + dir + "/sky.pfm --walk " + r + "/walk.png", "the camera sees no floor"},
        {"299" + Inputs(r), "outside the engine's scenes 0..298"},
        {"30" + Inputs(r) + " --scale 0", "scale"},
        {"30" + Inputs(r) + " --camera 0 0 900 0 0 0 50", "straight up or down"},
        {"30" + Inputs(r) + " --light 0 0 0 100 1 0 0 255 255", "--light takes 10 values"},
    };
    for (const auto& [arguments, message] : cases) {
        const bool ownCamera = arguments.find("--camera") != std::string::npos;
        const ToolRun run = MakeScene(arguments + " --game " + game + (ownCamera ? "" : std::string(" ") + kCameraOption), dir);
        EXPECT_EQ(run.status, 1) << arguments;
        EXPECT_NE(run.err.find(message), std::string::npos) << arguments << "\n" << run.err;
        EXPECT_NE(run.out.find("\"error\""), std::string::npos) << run.out;
        EXPECT_FALSE(fs::exists(game + "/scenes") && !fs::is_empty(game + "/scenes")) << arguments;
    }
}

// The screen rectangle of a standing character's bounds at a floor point.
struct Rect {
    int left = 800, top = 600, right = 0, bottom = 0;
};
Rect CharacterOnScreen(P3 at) {
    Rect r;
    for (int i = 0; i < 8; ++i) {
        int sx, sy;
        kCamera.Project({at.x + (i & 1 ? 35 : -35), at.y + (i & 2 ? 180 : 0), at.z + (i & 4 ? 30 : -30)}, sx, sy);
        r.left = std::min(r.left, sx), r.right = std::max(r.right, sx), r.top = std::min(r.top, sy), r.bottom = std::max(r.bottom, sy);
    }
    return r;
}

// The share of the box's pixels inside `r` that differ between two screenshots.
double BoxPixelsChanged(const test::Picture& a, const test::Picture& b, Rect r) {
    long box = 0, changed = 0;
    for (int y = std::max(0, r.top); y < std::min(600, r.bottom); ++y)
        for (int x = std::max(0, r.left); x < std::min(800, r.right); ++x) {
            double depth;
            P3 p;
            if (Trace(x + 0.5, y + 0.5, depth, p) != 2) continue;
            ++box;
            int most = 0;
            for (int c = 0; c < 3; ++c) most = std::max(most, std::abs(int(a.At(x, y)[c]) - int(b.At(x, y)[c])));
            changed += most > 24;
        }
    return box ? double(changed) / box : -1;
}

TEST(MakeScene, TheHeroWalksOnlyOnTheWalkAreaAndTheBoxHidesHim) {
    const MadeRoom& room = Room();
    ASSERT_EQ(room.made.status, 0) << room.made.err;
    const nlohmann::json& start = room.summary["start"]["world"];
    // The hero beside the box, behind it, in front of it, then back at the start for the walks.
    const P3 beside{200, 0, 200}, behind{-150, 0, 0}, before{-150, 0, 220};
    auto spot = [](P3 p) { return "{" + std::to_string(p.x) + ", 0, " + std::to_string(p.z) + "}"; };
    test::WriteText(room.game + "/scripts/scene030.lua",
                    "local frame = 0\n"
                    "local spots = {[50] = " + spot(behind) + ", [80] = " + spot(before) + ", [110] = {" +
                        std::to_string(start[0].get<double>()) + ", 0, " + std::to_string(start[2].get<double>()) +
                        "}}\n"
                        "function init() CreateHero(" + std::to_string(beside.x) + ", 0, " + std::to_string(beside.z) + ", 1.57) end\n"
                        "function run()\n"
                        "  frame = frame + 1\n"
                        "  local s = spots[frame]\n"
                        "  if s then SetPosition(0, s[1], s[2], s[3]) end\n"
                        "  DefaultRun({})\n"
                        "end\n");
    // A click on the floor of the walk area, then one on floor outside it, right of the area.
    const P3 inside{200, 0, -250}, outside{380, 0, 0};
    int ix, iy, ox, oy;
    kCamera.Project(inside, ix, iy);
    kCamera.Project(outside, ox, oy);
    test::WriteReplay(room.dir + "/walk.replay",
                      {"130 pointer " + std::to_string(ix) + " " + std::to_string(iy), "130 press left", "131 release left",
                       "300 pointer " + std::to_string(ox) + " " + std::to_string(oy), "300 press left", "301 release left"});
    std::string args = "--headless --fixed-fps 30 --seed 1 --scene 30 --frames 452 --path " + room.game + " --saves " +
                       room.dir + "/saves --replay " + room.dir + "/walk.replay";
    std::vector<int> dumps = {45, 75, 105};
    for (int f = 130; f <= 450; f += 10) dumps.push_back(f);
    for (int f : dumps) args += " --dump-state " + std::to_string(f) + ":" + room.dir + "/" + std::to_string(f) + ".json";
    for (int f : {45, 75, 105}) args += " --screenshot " + std::to_string(f) + ":" + room.dir + "/" + std::to_string(f) + ".png";
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
    EXPECT_LT(BoxPixelsChanged(clear, hidden, CharacterOnScreen(behind)), 0.01);
    EXPECT_GT(BoxPixelsChanged(clear, shown, CharacterOnScreen(before)), 0.2);

    // Every step stays on the walk area; the first click is reached where the floor was
    // clicked, the second, on floor right of the area, ends on the area's right edge.
    for (int f = 130; f <= 450; f += 10) {
        const P3 p = position(f);
        EXPECT_TRUE(Walkable(p, 3)) << "frame " << f << ": " << p.x << ", " << p.z;
    }
    EXPECT_NEAR(position(290).x, inside.x, 3);
    EXPECT_NEAR(position(290).z, inside.z, 3);
    EXPECT_NEAR(position(450).x, kWalkX, 6);
}

}  // namespace
}  // namespace tarvex
