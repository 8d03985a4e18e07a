#include "starter_game.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>
#include <vector>

#include "audio.h"
#include "fonts.h"
#include "formats/image.h"
#include "formats/output.h"
#include "formats/scene_files.h"
#include "formats/scene_maker.h"
#include "interface_art.h"
#include "models.h"
#include "platform/atomic_file.h"
#include "platform/png_io.h"
#include "raycast.h"
#include "rooms.h"
#include "texts.h"


namespace tarvex::tool {

namespace {

namespace fs = std::filesystem;
using namespace tarvex::formats;
using demo::BoxOnScreen;
using demo::FloorSpot;
using demo::HeadingAlong;
using demo::RenderResult;
using demo::Room;
using demo::RoomKit;
using demo::ScreenRect;
using demo::SpotNear;

const V3 kWarmLight{255, 236, 205};
const V3 kCoolLight{205, 222, 255};

// The room where a new game starts. The camera looks towards -z, so that +x is on the
// left of the picture. A door in the back wall leads to the storeroom; a book lies on
// the table on the right; a column stands in the room, a bookcase against the left wall.
constexpr double kTableTop = 74;
const V3 kBookLo{-196, kTableTop, 36}, kBookHi{-158, kTableTop + 7, 64};
const V3 kTableLo{-250, 0, 0}, kTableHi{-110, kTableTop, 110};
const V3 kColumn{130, 0, 60};

Room StudyRoom(bool withBook) {
    Room room;
    RoomKit k{room};
    int wall = k.Mat({0.72, 0.74, 0.62}, demo::kStripes, {0.64, 0.66, 0.54}, 30);
    int floor = k.Mat({0.58, 0.40, 0.24}, demo::kPlanks, {0.36, 0.22, 0.12}, 24);
    int ceiling = k.Mat({0.86, 0.86, 0.84});
    int door = k.Mat({0.40, 0.25, 0.14}, demo::kPanel, {0.28, 0.17, 0.09}, 55);
    int dark = k.Mat({0.33, 0.31, 0.28}, demo::kTiles, {0.2, 0.2, 0.2}, 30);
    int wood = k.Mat({0.45, 0.28, 0.15}, demo::kPlanks, {0.25, 0.15, 0.08}, 14);
    int books = k.Mat({0.32, 0.36, 0.52}, demo::kStripes, {0.58, 0.26, 0.20}, 9);
    int glow = k.Mat({1.0, 0.95, 0.8}, demo::kPlain, {}, 40, 1.2);
    int column = k.Mat({0.82, 0.80, 0.76});

    demo::Box& shell = k.Shell({-320, 0, -220}, {320, 290, 700}, wall, wall, floor, ceiling, wall, wall);
    shell.holes.push_back({4, -70, 0, 70, 225});  // the doorway: x -70..70, y 0..225
    k.Shell({-90, 0, -420}, {90, 250, -220}, dark, dark, dark, dark, dark, door);
    k.Block({-70, 0, -236}, {-66, 223, -222}, door, false);  // the door leaf stands open
    k.Lamp({0, 210, -340}, kWarmLight, 400, 0.004, glow);

    k.Table(kTableLo.x, kTableLo.z, kTableHi.x, kTableHi.z, kTableTop, wood, wood);
    k.Block({250, 0, -20}, {312, 200, 170}, books);  // the bookcase
    // A column: the hero walking behind it is hidden by it.
    k.Pillar(kColumn.x, kColumn.z, 22, 0, 290, column);
    if (withBook) {
        int cover = k.Mat({0.62, 0.10, 0.08});
        int paper = k.Mat({0.93, 0.90, 0.80});
        k.Block(kBookLo, kBookHi, cover, false);
        k.Block(kBookLo + V3{2, 1, 2}, kBookHi + V3{0.5, -1, -2}, paper, false);
    }
    k.Lamp({0, 265, 260}, kWarmLight, 1800, 0.0009, glow);
    k.Lamp({220, 240, -80}, kCoolLight, 1200, 0.0015, glow);
    room.ambient = {46, 42, 38};
    room.walkMinX = -300, room.walkMaxX = 300, room.walkMinZ = -200, room.walkMaxZ = 560;
    return room;
}

// The storeroom behind the door: shelves along the back wall, a barrel; the way back is
// at the bottom of the picture.
const V3 kShelfLo{-200, 0, -160}, kShelfHi{-20, 216, -112};

Room Storeroom() {
    Room room;
    RoomKit k{room};
    int wall = k.Mat({0.62, 0.66, 0.70}, demo::kBricks, {0.50, 0.52, 0.56}, 34);
    int floor = k.Mat({0.42, 0.42, 0.40}, demo::kTiles, {0.30, 0.30, 0.30}, 40);
    int ceiling = k.Mat({0.80, 0.80, 0.78});
    int wood = k.Mat({0.50, 0.33, 0.18}, demo::kPlanks, {0.30, 0.18, 0.10}, 14);
    int back = k.Mat({0.28, 0.20, 0.12});
    int metal = k.Mat({0.40, 0.45, 0.42});
    int glass = k.Mat({0.35, 0.55, 0.40});
    int glow = k.Mat({1.0, 0.95, 0.8}, demo::kPlain, {}, 40, 1.3);
    k.Shell({-230, 0, -160}, {230, 260, 560}, wall, wall, floor, ceiling, wall, wall);
    // The shelves: two sides, a back, five boards with jars; as a whole they keep the hero away.
    k.Block({kShelfLo.x, 0, kShelfLo.z}, {kShelfHi.x, kShelfHi.y, kShelfLo.z + 3}, back, false);
    for (double x : {kShelfLo.x, kShelfHi.x - 5})
        k.Block({x, 0, kShelfLo.z}, {x + 5, kShelfHi.y, kShelfHi.z}, wood, false);
    for (int board = 0; board < 5; ++board) {
        const double y = 8 + board * 52;
        k.Block({kShelfLo.x, y - 4, kShelfLo.z}, {kShelfHi.x, y, kShelfHi.z}, wood, false);
        if (board < 4)
            for (int jar = 0; jar < 4 - board % 2; ++jar)
                k.Pillar(kShelfLo.x + 30 + jar * 40 + board * 7, kShelfLo.z + 24, 10, y, y + 22 + 6 * (jar % 2), glass,
                         false);
    }
    k.Block({kShelfLo.x, -2, kShelfLo.z}, {kShelfHi.x, -1, kShelfHi.z}, wood, true);
    k.Pillar(150, -60, 40, 0, 110, metal);  // the barrel
    k.Lamp({0, 230, 120}, kWarmLight, 1400, 0.0012, glow);
    room.ambient = {40, 42, 46};
    room.walkMinX = -210, room.walkMaxX = 210, room.walkMinZ = -140, room.walkMaxZ = 420;
    return room;
}

Camera RoomCamera(V3 eye, V3 target, double fov) {
    Camera cam;
    cam.eye = eye;
    cam.target = target;
    cam.fovDegrees = fov;
    RoundCamera(cam);  // the precision of the scene text: rendered with what the engine reads
    return cam;
}

std::string Number(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    std::string s = buf;
    if (s.find_first_not_of("-0.") == std::string::npos) s = s.substr(s[0] == '-' ? 1 : 0);
    return s;
}

// Replaces every "$(name)" of the text by its value.
std::string Fill(std::string text, const std::map<std::string, std::string>& values) {
    for (const auto& [name, value] : values) {
        const std::string key = "$(" + name + ")";
        for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
            text.replace(at, key.size(), value);
    }
    return text;
}

std::string Rect(const ScreenRect& r) {
    return std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom);
}
std::string Point(const FloorSpot& s) { return std::to_string(s.x) + ", " + std::to_string(s.y); }

const char* const kRoomScript = R"lua(-- Scene 23: the room where a new game starts. The door in the back wall leads to the
-- storeroom (scene 24); a book lies on the table. Flag 1 of the scene: the book was taken.
local BOOK, TABLE = $(book), $(table)   -- tools; what they say is in texts/structure.txt
local BOOK_TAKEN = 1                     -- a flag of this scene
local TO_STOREROOM, TAKE_BOOK = 1, 2     -- actions: 1 the door (exits[1]), 2 the book
local STOREROOM = 2                      -- its name in data/zones.txt
local exits = {$(storeroom)}

function init()
  -- The hero stands on the floor in front of the table, facing the room.
  local x, y, z = ScreenToWorld($(start))
  if x then CreateHero(x, y, z, $(startHeading)) end
end

function load()
  -- The doorway: the forward arrow over it; a click walks the hero to the door,
  -- and action 1 is his once he is there.
  DefineRegion(0, $(doorRect), CURSOR_FORWARD, $(doorSpot), $(doorHeading), TO_STOREROOM)
  SetRegionLabel(0, STOREROOM)
  PlaceTool(TABLE, 1, $(tableRect))
  if TestFlags(BOOK_TAKEN) == 0 then
    PlaceToolPicture("gfx/scene023/book.bmp", BOOK, 1, 1, $(bookAt), -6, -6, -6, -6)
  end
  LoadStepAndTurnSounds()
  SetHeroFootsteps()
  SetShadow(0, 265, 260, 10.0, 0x20000000)
  Game.EXE = 0
  Game.DIALOG = 0
  -- Back from the storeroom, the hero stands in the doorway, facing the room.
  if PreviousScene() == $(storeroom) then
    local x, y, z = ScreenToWorld($(doorSpot))
    if x then SetPosition(HERO, x, y, z) SetHeading(HERO, $(backHeading)) end
  end
end

function run()
  RunActors()
  Game.cursorPicture = CURSOR_ARROW
  -- A door: leave once the remark on the screen is over.
  local state = GetState()
  if exits[state] and RemarkOver() then
    SetState(0)
    GotoScene(exits[state])
  end
  ResolvePointer()
  local action = TakeArrivedAction()
  if action == TAKE_BOOK then
    SetToolOwnership(BOOK, 1, 0)
    SetFlags(BOOK_TAKEN)
  elseif exits[action] then
    SetState(action)
  end
  -- The book clicked with the hand: the hero walks to the table and takes it there.
  if Game.freshPress and Game.toolUnderPointer == BOOK and Game.cursorPicture == CURSOR_TAKE then
    Game.LeftKey = 1
    WalkTo(HERO, $(bookSpot), $(bookHeading))
    Game.EXE = TAKE_BOOK
  end
  HandleClick()
end
)lua";

const char* const kStoreroomScript = R"lua(-- Scene 24: the storeroom. The way back to the room (scene 23) is at the bottom of the
-- picture; the shelves can be looked at.
local SHELF = $(shelf)
local ROOM = 1   -- its name in data/zones.txt, shown under the go-back cursor

function init()
  -- The hero has just come in through the door, facing into the storeroom.
  local x, y, z = ScreenToWorld($(start))
  if x then CreateHero(x, y, z, $(startHeading)) end
end

function load()
  DefineRegion(0, 0, 550, 800, 600, CURSOR_BACK, $(backSpot), NO_HEADING, 1)
  SetRegionLabel(0, ROOM)
  PlaceTool(SHELF, 1, $(shelfRect))
  LoadStepAndTurnSounds()
  SetHeroFootsteps()
  SetShadow(0, 230, 120, 10.0, 0x20000000)
end

-- Action 1 arrived at: back to the room.
function run() DefaultRun({$(room)}) end
)lua";

// The lines the tools speak ("texts/otboy.txt") and what structure.txt gives each verb.
const std::map<int, std::string>& Responses() {
    static const std::map<int, std::string> lines = {
            {1001, "Старая книга в красном переплёте."},
            {1002, "Пригодится."},
            {1003, "Сначала возьму её."},
            {1004, "Книга. На обложке ничего не написано."},
            {1005, "Почитаю потом."},
            {1006, "Так не получится."},
            {1011, "Крепкий дубовый стол."},
            {1012, "Сесть бы, да некогда."},
            {1013, "Слишком тяжёлый."},
            {1021, "Полки с пустыми банками."},
            {1022, "Ничего нужного."},
            {1023, "Пусть стоят."},
    };
    return lines;
}

// The same lines in English, for the starter's pack "lang/en/".
const std::map<int, std::string>& EnglishResponses() {
    static const std::map<int, std::string> lines = {
            {1001, "An old book in a red binding."},
            {1002, "That will come in handy."},
            {1003, "I'll take it first."},
            {1004, "A book. Nothing is written on the cover."},
            {1005, "I'll read it later."},
            {1006, "That won't work."},
            {1011, "A sturdy oak table."},
            {1012, "I'd sit down, but there's no time."},
            {1013, "Too heavy."},
            {1021, "Shelves of empty jars."},
            {1022, "Nothing I need."},
            {1023, "Let them be."},
    };
    return lines;
}

const std::map<int, std::string> kZoneNames = {{1, "Комната"}, {2, "Кладовая"}};
const std::map<int, std::string> kEnglishZoneNames = {{1, "Room"}, {2, "Storeroom"}};

std::string StructureText() {
    struct Tool {
        int tool;
        std::vector<std::pair<const char*, int>> lines;
    };
    const Tool tools[] = {
            // Where the book lies (LOOK, USE, PICKUP), in the toolbar (LOOKT, USET), and what
            // the hero says when it is held over something it does nothing with (OTBOY).
            {kStarterBook,
             {{"LOOK", 1001}, {"PICKUP", 1002}, {"USE", 1003}, {"LOOKT", 1004}, {"USET", 1005}, {"OTBOY", 1006}}},
            {kStarterTable, {{"LOOK", 1011}, {"USE", 1012}, {"PICKUP", 1013}}},
            {kStarterShelf, {{"LOOK", 1021}, {"USE", 1022}, {"PICKUP", 1023}}},
    };
    std::string s;
    for (const Tool& t : tools) {
        s += "TOOL " + std::to_string(t.tool) + "\r\n";
        for (const auto& [key, line] : t.lines) s += std::string(key) + " " + std::to_string(line) + "\r\n";
        s += "\r\n";
    }
    return s;
}

const char* const kCodes =
        "# Codes of the devices, NAME VALUE a line: the keypad of scene 98 takes pad98.general\n"
        "# and pad98.personal; this game has no device yet.\n";

Image BookIcon() {
    Image img(64, 64, {0, 0, 0, 0});
    img.FillRect(14, 10, 50, 56, {150, 26, 20, 255});
    img.FillRect(46, 13, 50, 54, {236, 230, 205, 255});
    img.FillRect(14, 10, 18, 56, {100, 16, 12, 255});
    img.Line(24, 22, 42, 22, 2, {220, 180, 80, 255});
    return img;
}

// A 32-bit float PFM (little-endian, rows bottom-up) of the distance along the view.
Bytes EncodePfm(const std::vector<float>& negatedDepth) {
    const std::string header = "Pf\n800 600\n-1.0\n";
    Bytes b(header.begin(), header.end());
    for (int y = 599; y >= 0; --y)
        for (int x = 0; x < 800; ++x) PutF32(b, -negatedDepth[size_t(y) * 800 + x]);
    return b;
}

bool WriteBytes(const std::string& path, const Bytes& bytes, std::string& error) {
    if (WriteFileAtomically(path, bytes.data(), bytes.size())) return true;
    error = "cannot write " + path;
    return false;
}

// One room as make-scene takes it: the picture, the depth pass, the walk picture.
struct RoomSource {
    int number;
    Camera camera;
    Room room;
    RenderResult render;
};

bool WriteSources(const std::string& dir, const RoomSource& s, std::string& error) {
    char name[32];
    std::snprintf(name, sizeof name, "/source/scene%3.3d", s.number);
    const std::string base = dir + name;
    std::vector<uint8_t> rgb(800 * 600 * 3), walk(800 * 600 * 3);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const Rgba c = s.render.colour.Get(x, y);
            const size_t k = size_t(y) * 800 + x;
            rgb[3 * k] = c.r, rgb[3 * k + 1] = c.g, rgb[3 * k + 2] = c.b;
            const uint8_t v = s.render.floorClass[k] == 0 ? 255 : 0;
            walk[3 * k] = walk[3 * k + 1] = walk[3 * k + 2] = v;
        }
    if (!WriteBytes(base + "-depth.pfm", EncodePfm(s.render.depth), error)) return false;
    if (!WritePngRgb(base + ".png", 800, 600, rgb) || !WritePngRgb(base + "-walk.png", 800, 600, walk)) {
        error = "cannot write the pictures " + base + "*.png";
        return false;
    }
    return true;
}

// A number as the command line gives it, and the value make-scene reads from that text.
std::string Arg(double v, double& parsed) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.10g", v + 0.0);  // + 0.0: no "-0"
    parsed = std::strtod(buf, nullptr);
    return buf;
}

// The engine's point (x, y, z) in the scene file's z-up coordinates: (-x, -z, y).
V3 FileCoordinates(V3 p) { return {-p.x, -p.z, p.y}; }

// Makes the room's scene files from its source files with make-scene, and the command line
// that does the same from the game folder.
bool MakeRoomScene(const std::string& dir, const RoomSource& s, std::string& command, std::string& error) {
    MakeSceneRequest r;
    r.scene = s.number;
    r.gameDir = dir;
    char name[32];
    std::snprintf(name, sizeof name, "source/scene%3.3d", s.number);
    const std::string base = name;
    r.picturePath = dir + "/" + base + ".png";
    r.depthPath = dir + "/" + base + "-depth.pfm";
    r.walkPath = dir + "/" + base + "-walk.png";
    command = "\"${TARVEX_TOOL:-tarvex-tool}\" make-scene " + std::to_string(s.number) + " --game . --picture " +
              base + ".png --depth " + base + "-depth.pfm --walk " + base + "-walk.png";
    // Each value goes on the command line and, read back from there, into the request.
    auto put = [&](const char* option, std::initializer_list<std::pair<double, double*>> values) {
        command += std::string(" ") + option;
        for (const auto& [value, into] : values) command += " " + Arg(value, *into);
    };
    const V3 eye = FileCoordinates(s.camera.eye), target = FileCoordinates(s.camera.target);
    put("--camera", {{eye.x, &r.eye.x}, {eye.y, &r.eye.y}, {eye.z, &r.eye.z}, {target.x, &r.target.x},
                     {target.y, &r.target.y}, {target.z, &r.target.z}, {s.camera.fovDegrees, &r.fovDegrees}});
    const V3 ambient = s.room.ambient;
    put("--ambient", {{ambient.x, &r.ambient.x}, {ambient.y, &r.ambient.y}, {ambient.z, &r.ambient.z}});
    for (const PointLight& l : s.room.lights) {
        PointLight& f = r.lights.emplace_back();
        const V3 at = FileCoordinates(l.position);
        put("--light", {{at.x, &f.position.x}, {at.y, &f.position.y}, {at.z, &f.position.z}, {l.range, &f.range},
                        {l.a0, &f.a0}, {l.a1, &f.a1}, {l.a2, &f.a2}, {l.colour.x, &f.colour.x},
                        {l.colour.y, &f.colour.y}, {l.colour.z, &f.colour.z}});
    }
    if (MakeScene(r, error)) return true;
    error = "make-scene " + std::to_string(s.number) + ": " + error;
    return false;
}

// The game's files in memory: everything but the scenes and their sources.
void AddGameFiles(Output& out, const RoomSource& study, const RoomSource& storeroom) {
    const Camera& cam = study.camera;
    // The book's picture: the room rendered with it, cut to the book and its shadow.
    const ScreenRect bookRect = BoxOnScreen(cam, kBookLo, kBookHi + V3{0, 0, 16}, demo::kItemMargin);
    const demo::ItemPicture book = demo::AddItemPicture(out, "gfx/scene023/book.bmp", StudyRoom(true), cam, bookRect);
    const FloorSpot start = SpotNear(study.render, cam, {20, 0, 230}, HeadingAlong(0, -1));
    const FloorSpot door = SpotNear(study.render, cam, {0, 0, -175}, HeadingAlong(0, -1));
    const FloorSpot atBook = SpotNear(study.render, cam, {-180, 0, 160}, HeadingAlong(0, -1));
    const std::string script = Fill(kRoomScript, {
        {"book", std::to_string(kStarterBook)},
        {"table", std::to_string(kStarterTable)},
        {"storeroom", std::to_string(kStarterStoreroom)},
        {"start", Point(start)},
        {"startHeading", Number(start.heading, 4)},
        {"doorRect", Rect(BoxOnScreen(cam, {-70, 0, -220}, {70, 225, -220}))},
        {"doorSpot", Point(door)},
        {"doorHeading", Number(door.heading, 4)},
        {"backHeading", Number(HeadingAlong(0, 1), 4)},
        {"tableRect", Rect(BoxOnScreen(cam, kTableLo, kTableHi))},
        {"bookAt", std::to_string(book.x) + ", " + std::to_string(book.y)},
        {"bookSpot", Point(atBook)},
        {"bookHeading", Number(atBook.heading, 4)},
    });
    out.Add("scripts/scene023.lua", Bytes(script.begin(), script.end()));
    const Camera& cam2 = storeroom.camera;
    const FloorSpot inside = SpotNear(storeroom.render, cam2, {0, 0, 150}, HeadingAlong(0, -1));
    const FloorSpot back = SpotNear(storeroom.render, cam2, {0, 0, 300}, HeadingAlong(0, 1));
    const std::string script2 = Fill(kStoreroomScript, {
        {"shelf", std::to_string(kStarterShelf)},
        {"room", std::to_string(kStarterRoom)},
        {"start", Point(inside)},
        {"startHeading", Number(inside.heading, 4)},
        {"backSpot", Point(back)},
        {"shelfRect", Rect(BoxOnScreen(cam2, kShelfLo, kShelfHi))},
    });
    out.Add("scripts/scene024.lua", Bytes(script2.begin(), script2.end()));

    // Texts: the remarks, the tools' lines, the place names; no conversation yet.
    out.Add("texts/otboy.txt", demo::EncodeTextTable(Responses(), '\t'));
    out.Add("texts/dialog.txt", demo::EncodeTextTable({}));
    const std::string structure = StructureText();
    out.Add("texts/structure.txt", Bytes(structure.begin(), structure.end()));
    out.Add("data/zones.txt", demo::EncodeTextTable(kZoneNames));
    // An English pack: the lines, the place names, the engine's captions, the menu's pictures.
    out.Add("lang/en/otboy.po", demo::PackTableFile("otboy", Responses(), EnglishResponses()));
    out.Add("lang/en/zones.po", demo::PackTableFile("zones", kZoneNames, kEnglishZoneNames));
    demo::BuildEnglishEngineTexts(out);
    out.Add("data/codes.txt", Bytes(kCodes, kCodes + std::string(kCodes).size()));

    // The hero and his head, the menu and the interface with its sounds, the book's toolbar icon.
    Output models;
    demo::BuildModels(models, {45, 125, 0});
    for (const char* file : {"models/gorin.md", "models/golova.md"}) out.Add(file, *models.Find(file));
    for (const char* file : {"models/gorin.bmp", "models/golova.bmp"}) out.Add(file, *models.Find(file), true);
    demo::BuildInterface(out);
    demo::BuildEnglishMenu(out, demo::kEnglishPictures);
    demo::BuildInterfaceSounds(out);
    char icon[64];
    std::snprintf(icon, sizeof icon, "textures/tools/tool%3.3d.tga", kStarterBook);
    out.Add(icon, EncodeTga32(BookIcon()), true);
}

bool WriteEverything(const std::string& dir, StarterGameResult& result, std::string& error) {
    RoomSource study{kStarterRoom, RoomCamera({0, 210, 600}, {0, 70, 0}, 52), StudyRoom(false), {}};
    study.render = demo::RenderRoom(study.room, study.camera);
    RoomSource storeroom{kStarterStoreroom, RoomCamera({0, 200, 470}, {0, 60, 0}, 54), Storeroom(), {}};
    storeroom.render = demo::RenderRoom(storeroom.room, storeroom.camera);

    Output out;
    AddGameFiles(out, study, storeroom);
    Bytes font;
    if (!ReadWholeFile(demo::kSansPath, font, error)) {
        error += " (package fonts-dejavu-core)";
        return false;
    }
    out.Add("Tarvex.ttf", font);  // the game's font under the name the game registers
    if (!out.Write(dir, false)) {
        error = "cannot write the game's files into " + dir;
        return false;
    }
    for (const RoomSource* room : {&study, &storeroom}) {
        std::string command;
        if (!WriteSources(dir, *room, error) || !MakeRoomScene(dir, *room, command, error)) return false;
        result.makeSceneCommands.push_back(command);
    }
    std::string script =
        "#!/bin/sh\n# The commands that made the scenes of this game from the files beside this one.\n"
        "# Run in the game folder, with tarvex-tool on the PATH (or TARVEX_TOOL set to it).\nset -e\n";
    for (const std::string& c : result.makeSceneCommands) script += c + "\n";
    if (!WriteBytes(dir + "/source/make-scenes.sh", Bytes(script.begin(), script.end()), error)) return false;
    std::error_code ec;
    const auto executable = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    fs::permissions(dir + "/source/make-scenes.sh", executable, fs::perm_options::add, ec);
    return true;
}

}  // namespace

bool WriteStarterGame(const std::string& dir, StarterGameResult& result, std::string& error) {
    std::error_code ec;
    const bool existed = fs::exists(dir, ec);
    if (existed && !fs::is_directory(dir, ec)) {
        error = dir + " exists and is not a folder";
        return false;
    }
    if (existed && !fs::is_empty(dir, ec)) {
        error = dir + " is not empty: new-game writes only into a new or empty folder";
        return false;
    }
    if (!demo::FontsAvailable()) {
        error = std::string("cannot open ") + demo::kSansPath + " (package fonts-dejavu-core)";
        return false;
    }
    result = {};
    if (!WriteEverything(dir, result, error)) {
        // Nothing stays behind: the folder as it was found (missing or empty).
        if (existed)
            for (const auto& entry : fs::directory_iterator(dir, ec)) fs::remove_all(entry.path(), ec);
        else
            fs::remove_all(dir, ec);
        result = {};
        return false;
    }
    for (const auto& entry : fs::recursive_directory_iterator(dir, ec))
        if (entry.is_regular_file()) result.files.push_back(fs::relative(entry.path(), dir).generic_string());
    std::sort(result.files.begin(), result.files.end());
    return true;
}

}  // namespace tarvex::tool
