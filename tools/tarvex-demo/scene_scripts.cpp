#include "scene_scripts.h"

#include <cstdio>

#include "texts.h"

namespace tarvex::demo {

namespace {

std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string s = buf;
  if (s.find_first_not_of("-0.") == std::string::npos) s = decimals ? "0." + std::string(decimals, '0') : "0";
  return s;
}
std::string Int(int v) { return std::to_string(v); }

// The number of a place's name in "data/zones.txt"; 0 when it has none.
int ZoneNumber(const std::string& name) {
  for (const auto& [number, zone] : ZoneNames())
    if (zone == name) return number;
  return 0;
}

// What every room of the demo shares: departures that wait for the current remark, the
// hero's entry places, walks to a hotspot with an action pending, the frame of a room.
const char* const kRoomKit = R"lua(
local HERO = 0

-- State k is a departure: it waits for the current remark, then goes to exits[k].
local function leave(exits)
  local state = GetState()
  if state >= 1 and state <= #exits and Game.subtitleTimer == 0 then
    SetState(0)
    GotoScene(exits[state])
  end
end

-- Coming from one of the scenes `from`, the hero stands at (x, y, z) with the heading.
local function enter(from, x, y, z, heading)
  for _, scene in ipairs(from) do
    if PreviousScene() == scene then
      SetPosition(HERO, x, y, z)
      SetHeading(HERO, heading)
    end
  end
end

-- A fresh press on `tool` with `cursor` showing: the hero walks to (x, y), `action` pending.
local function goDo(tool, cursor, x, y, heading, action)
  if Game.toolUnderPointer ~= tool or Game.cursorPicture ~= cursor then return false end
  Game.LeftKey = 1
  WalkTo(HERO, x, y, heading)
  Game.EXE = action
  return true
end

-- The same with `held` on the pointer; the pending action keeps the tool held.
local function goUse(held, tool, x, y, heading, action)
  if Game.heldTool ~= held or Game.toolUnderPointer ~= tool then return false end
  Game.LeftKey = 1
  WalkTo(HERO, x, y, heading)
  Game.EXE = action
  return true
end

-- The batteries used on their own in the toolbar go into a lantern: the dim one is gone.
local function tidyLanterns()
  if TestFlagsOf(146, 4) ~= 0 and TestFlagsOf(23, 8) == 0 then
    SetFlagsOf(23, 8)
    SetToolOwnership(47, 0, 0)
  end
end

-- One frame of a room: actorTable.actors, departures, the pointer, an action the hero arrived for
-- with a tool held (room.withTool), then with empty hands (exits become the departure
-- states, other actions go to room.arrived), a fresh press (room.pressed), clicks.
local function frame(room)
  RunActors()
  Game.cursorPicture = CURSOR_ARROW
  tidyLanterns()
  leave(room.exits)
  ResolvePointer()
  Game.DIALOG = 0
  if room.withTool then room.withTool() end
  local action = TakeArrivedAction()
  if action >= 1 and action <= #room.exits then
    SetState(action)
  elseif action ~= 0 and room.arrived then
    room.arrived(action)
  end
  if Game.freshPress then
    Game.EXE = 0
    if room.pressed then room.pressed() end
  end
  HandleClick()
end

-- The sounds and shadows of a room.
local function furnish(lightX, lightY, lightZ, ambient)
  LoadStepAndTurnSounds()
  SetHeroFootsteps()
  if ambient then StartAmbient(ambient) end
  SetShadow(lightX, lightY, lightZ, 10.0, 0x20000000)
  Game.EXE = 0
  Game.DIALOG = 0
end
)lua";

struct Script {
  int scene;
  bool room;  // starts with the room kit
  const char* head;
  const char* body;
};

const Script kScripts[] = {
    {0, false,
     "-- Scene 0, the lift landing: its compiled functions, with the doorway's walk target in\n"
     "-- the doorway, a way back to the flat along the bottom edge (region 2, action 10, the\n"
     "-- flat's name under the go-back cursor) and the hero's entries from the flat and, out\n"
     "-- of the doorway, from the lift's floors and the service room.\n",
     R"lua(
local HERO = 0
local WAY_BACK = 10
local FLAT = $(zone:Квартира)  -- its line in "data/zones.txt"

local function put(x, y, z, heading)
  SetPosition(HERO, x, y, z)
  SetHeading(HERO, heading)
end

function load()
  CompiledLoad()
  -- The doorway is walked into, not stopped short of.
  DefineRegion(0, 114, 69, 249, 451, CURSOR_LEFT, $(walk:doorway), 1)
  DefineRegion(2, $(rect:wayBack), CURSOR_BACK, $(walk:wayBack), WAY_BACK)
  SetRegionLabel(2, FLAT)
  local from = PreviousScene()
  if from == 23 then
    put($(place:fromFlat))
  elseif from == 75 or from == 115 or from == 149 then
    put($(place:fromDoorway))
  end
end

-- The way back is the landing's own departure; everything else is the compiled run's. The
-- compiled run takes the hero's arrival for the pending action itself: the way back was
-- reached when its action, pending before, is gone without a new click and no item is held.
function run()
  local wayBack = Game.EXE == WAY_BACK and not Game.freshPress
  CompiledRun()
  if wayBack and Game.EXE == 0 and Game.heldTool == -1 then SetState(WAY_BACK) end
  if GetState() == WAY_BACK and Game.subtitleTimer == 0 then
    SetState(0)
    GotoScene(23)
  end
end
)lua"},
    {23, true,
     "-- Scene 23, the hero's flat, where a new game starts: the door on the left to the landing\n"
     "-- (scene 0), the door in the back wall to the old man (scene 131). The notebook (tool 742)\n"
     "-- lies on the table, a dim lantern (tool 47) stands on the bookcase. Flags: 1 the notebook\n"
     "-- taken, 2 the lantern taken, 4 the old man's words written down, 8 the dim lantern gone.\n",
     R"lua(
local NOTEBOOK_TAKEN, LANTERN_TAKEN, TALK_WRITTEN, LANTERN_GONE = 1, 2, 4, 8
local TAKE_NOTEBOOK, TAKE_LANTERN = 4, 5

function init()
  CreateHero($(start))
end

function load()
  DefineRegion(0, $(rect:leftDoor), CURSOR_LEFT, $(walk:leftDoor), 1)
  DefineRegion(1, $(rect:backDoor), CURSOR_FORWARD, $(walk:backDoor), 2)
  PlaceTool(2, 1, $(rect:table))
  PlaceTool(3, 1, $(rect:bookcase))
  PlaceTool(4, 1, $(rect:rug))
  if TestFlags(NOTEBOOK_TAKEN) == 0 then
    PlaceToolPicture($(file:notebook), 742, 1, 1, $(at:notebook), -6, -6, -6, -6)
  end
  if TestFlags(LANTERN_TAKEN | LANTERN_GONE) == 0 then
    PlaceToolPicture($(file:lantern), 47, 1, 1, $(at:lantern), -4, -4, -4, -4)
  end
  furnish(0, 260, 250)
  enter({0}, $(place:fromLanding))
  enter({134, 219, 261}, $(place:fromOldMan))
end

-- Back from the first talk with the old man: his words go into the notebook.
local function writeDownTalk()
  if TestFlagsOf(131, 8) ~= 0 and TestFlags(TALK_WRITTEN) == 0 then
    SetFlags(TALK_WRITTEN)
    WriteNotebookPage(5)
    WriteNotebookPage(6)
    PlayResponse(1531)
  end
end

local room = {exits = {0, 131}}

function room.arrived(action)
  if action == TAKE_NOTEBOOK then
    SetToolOwnership(742, 1, 0)
    SetFlags(NOTEBOOK_TAKEN)
    WriteNotebookPage(4)
  elseif action == TAKE_LANTERN then
    SetToolOwnership(47, 1, 0)
    SetFlags(LANTERN_TAKEN)
  end
end

function room.pressed()
  return goDo(742, CURSOR_TAKE, $(walk:table), TAKE_NOTEBOOK)
      or goDo(47, CURSOR_TAKE, $(walk:bookcase), TAKE_LANTERN)
end

function run()
  writeDownTalk()
  frame(room)
end
)lua"},
    {75, true,
     "-- Scene 75, the service room behind the lift's empty doorway: the door on the left back to\n"
     "-- the landing, the door in the back wall to the boiler room (scene 25), and a crate too dark\n"
     "-- to see into (tool 5; tool 6 once it is empty). The bright lantern (tool 39) held on it\n"
     "-- shows the concierge's card (tool 62). Flag 1: the card was found.\n",
     R"lua(
local CARD_FOUND = 1
local SEARCH = 4
local HOLD_OUT = 22  -- the hero's gesture: an arm held out in front
local CRATE, EMPTY_CRATE, PIPE = 5, 6, 7

function init()
  CreateHero($(start))
end

function load()
  DefineRegion(0, $(rect:landingDoor), CURSOR_LEFT, $(walk:landingDoor), 1)
  DefineRegion(1, $(rect:boilerDoor), CURSOR_FORWARD, $(walk:boilerDoor), 2)
  PlaceTool(TestFlags(CARD_FOUND) == 0 and CRATE or EMPTY_CRATE, 1, $(rect:crate))
  PlaceTool(PIPE, 1, $(rect:pipe))
  furnish(0, 255, 150, "sound/ambient/hospital.wav")
  enter({0}, $(place:landingDoorIn))
  enter({25}, $(place:boilerDoorIn))
end

local room = {exits = {0, 25}}

function room.pressed()
  return goUse(39, CRATE, $(walk:crate), SEARCH)
end

-- By the crate with the bright lantern still held: he holds it out over the crate, and
-- there is the card.
function room.withTool()
  if Game.EXE ~= SEARCH or not HeroHasArrived() then return end
  Game.EXE = 0
  if Game.heldTool ~= 39 then return end
  SetMotion(HERO, HOLD_OUT)
  SetToolOwnership(62, 1, 0)
  SetFlags(CARD_FOUND)
  HideToolRange(CRATE, CRATE)
  PlaceTool(EMPTY_CRATE, 1, $(rect:crate))
  PlayResponse(1545)
end

function run()
  frame(room)
end
)lua"},
    {25, true,
     "-- Scene 25, the boiler room: the door back to the service room (scene 75), the plaque with\n"
     "-- the year the house was built (looking at it writes notebook page 7), batteries on the\n"
     "-- bench (tool 61), which the dim lantern held on them takes in at once. Flags: 1 the\n"
     "-- batteries taken, 2 the year written down.\n",
     R"lua(
local BATTERIES_TAKEN, YEAR_WRITTEN = 1, 2
local TAKE_BATTERIES, READ_PLAQUE, FILL_LANTERN = 4, 5, 6
local PLAQUE, BOILER, CABLE_BOX, VALVE = 8, 9, 10, 11

function init()
  CreateHero($(start))
end

function load()
  DefineRegion(0, $(rect:door), CURSOR_RIGHT, $(walk:door), 1)
  PlaceTool(PLAQUE, 1, $(rect:plaque))
  PlaceTool(BOILER, 1, $(rect:boiler))
  PlaceTool(CABLE_BOX, 1, $(rect:cableBox))
  PlaceTool(VALVE, 1, $(rect:valve))
  if TestFlags(BATTERIES_TAKEN) == 0 then
    PlaceToolPicture($(file:batteries), 61, 1, 1, $(at:batteries), -6, -6, -6, -6)
  end
  furnish(0, 270, 150, "sound/ambient/boiler.wav")
  enter({75}, $(place:doorIn))
end

local room = {exits = {75}}

function room.arrived(action)
  if action == TAKE_BATTERIES then
    SetToolOwnership(61, 1, 0)
    SetFlags(BATTERIES_TAKEN)
  elseif action == READ_PLAQUE and TestFlags(YEAR_WRITTEN) == 0 then
    SetFlags(YEAR_WRITTEN)
    WriteNotebookPage(7)
    PlayResponse(1552)
  end
end

function room.pressed()
  return goDo(61, CURSOR_TAKE, $(walk:bench), TAKE_BATTERIES)
      or goDo(PLAQUE, CURSOR_LOOK, $(walk:plaque), READ_PLAQUE)
      or goUse(47, 61, $(walk:bench), FILL_LANTERN)
end

-- The dim lantern held on the batteries: they go straight into it.
function room.withTool()
  if Game.EXE ~= FILL_LANTERN or not HeroHasArrived() then return end
  Game.EXE = 0
  if Game.heldTool ~= 47 then return end
  SetToolOwnership(47, 0, 0)
  SetToolOwnership(39, 1, 0)
  SetFlags(BATTERIES_TAKEN)
  HideToolRange(61, 61)
end

function run()
  frame(room)
end
)lua"},
    {149, true,
     "-- Scene 149, the workshops: the lift doors on the left back to the landing, the doorway to\n"
     "-- the washroom (scene 24), an old radio on the workbench (tool 181) and the lift's switch\n"
     "-- box (tool 12; tool 13 once switched). The switch sends the lift to the archive (flag 1 of\n"
     "-- scene 95); it is live, so the hero takes it only through the dry towel (tool 197).\n"
     "-- Flag 1: the radio taken.\n",
     R"lua(
local RADIO_TAKEN = 1
local TAKE_RADIO, SWITCH = 4, 5
local SWITCH_BOX, SWITCHED_BOX, BENCH = 12, 13, 14

function init()
  CreateHero($(start))
end

local function showSwitched()
  PlaceToolPicture($(file:switched), SWITCHED_BOX, 1, 1, $(at:switched), 0, 0, 0, 0)
end

function load()
  DefineRegion(0, $(rect:liftDoor), CURSOR_LEFT, $(walk:liftDoor), 1)
  DefineRegion(1, $(rect:washroomDoor), CURSOR_FORWARD, $(walk:washroomDoor), 2)
  PlaceTool(BENCH, 1, $(rect:bench))
  if TestFlagsOf(95, 1) == 0 then
    PlaceTool(SWITCH_BOX, 1, $(rect:switch))
  else
    showSwitched()
  end
  if TestFlags(RADIO_TAKEN) == 0 then
    PlaceToolPicture($(file:radio), 181, 1, 1, $(at:radio), -4, -4, -4, -4)
  end
  furnish(0, 270, 200)
  enter({0}, $(place:liftDoorIn))
  enter({24}, $(place:washroomDoorIn))
end

local room = {exits = {0, 24}}

function room.arrived(action)
  if action == TAKE_RADIO then
    SetToolOwnership(181, 1, 0)
    SetFlags(RADIO_TAKEN)
  end
end

function room.pressed()
  return goDo(181, CURSOR_TAKE, $(walk:bench), TAKE_RADIO)
      or goUse(197, SWITCH_BOX, $(walk:switch), SWITCH)
end

-- At the switch box with the dry towel held: the lift now goes to the archive.
function room.withTool()
  if Game.EXE ~= SWITCH or not HeroHasArrived() then return end
  Game.EXE = 0
  if Game.heldTool ~= 197 then return end
  SetFlagsOf(95, 1)
  HideToolRange(SWITCH_BOX, SWITCH_BOX)
  showSwitched()
  Game.heldTool = -1
  PlayResponse(1565)
end

function run()
  frame(room)
end
)lua"},
    {24, true,
     "-- Scene 24, the washroom: the door back to the workshops (scene 149), the mirror, the\n"
     "-- wash-stand, and the bath with a wet towel on it (tool 212). Flag 1: the towel taken.\n",
     R"lua(
local TOWEL_TAKEN = 1
local TAKE_TOWEL, AT_MIRROR = 4, 5
local MIRROR, BATH, WASHSTAND = 15, 16, 17

function init()
  CreateHero($(start))
end

function load()
  DefineRegion(0, $(rect:door), CURSOR_RIGHT, $(walk:door), 1)
  PlaceTool(MIRROR, 1, $(rect:mirror))
  PlaceTool(BATH, 1, $(rect:bath))
  PlaceTool(WASHSTAND, 1, $(rect:washstand))
  if TestFlags(TOWEL_TAKEN) == 0 then
    PlaceToolPicture($(file:towel), 212, 1, 1, $(at:towel), -6, -6, -6, -6)
  end
  furnish(0, 250, 60)
  enter({149}, $(place:doorIn))
end

local room = {exits = {149}}

function room.arrived(action)
  if action == TAKE_TOWEL then
    SetToolOwnership(212, 1, 0)
    SetFlags(TOWEL_TAKEN)
  elseif action == AT_MIRROR then
    PlayResponse(1577)
  end
end

function room.pressed()
  return goDo(212, CURSOR_TAKE, $(walk:bath), TAKE_TOWEL)
      or goDo(MIRROR, CURSOR_LOOK, $(walk:mirror), AT_MIRROR)
end

function run()
  frame(room)
end
)lua"},
    {115, true,
     "-- Scene 115, the archive: the lift doors back to the landing, the shelves, and on the desk\n"
     "-- the concierge's register (tool 19). Reading it tells where he went: flag 32 of scene 131,\n"
     "-- and flag 64 once the hero has talked with the old man (flag 8); notebook page 8.\n"
     "-- Flag 1: the page written.\n",
     R"lua(
local PAGE_WRITTEN = 1
local READ = 4
local SHELVES, REGISTER = 18, 19

function init()
  CreateHero($(start))
end

function load()
  DefineRegion(0, $(rect:liftDoor), CURSOR_LEFT, $(walk:liftDoor), 1)
  PlaceTool(SHELVES, 1, $(rect:shelves))
  PlaceTool(REGISTER, 1, $(rect:register))
  furnish(0, 270, 200)
  enter({0}, $(place:liftDoorIn))
end

local room = {exits = {0}}

function room.arrived(action)
  if action ~= READ then return end
  SetFlagsOf(131, 32)
  if TestFlagsOf(131, 8) ~= 0 then SetFlagsOf(131, 64) end
  if TestFlags(PAGE_WRITTEN) == 0 then
    SetFlags(PAGE_WRITTEN)
    WriteNotebookPage(8)
  end
  PlayResponse(1593)
end

function room.pressed()
  return goDo(REGISTER, CURSOR_LOOK, $(walk:desk), READ)
end

function run()
  frame(room)
end
)lua"},
    {134, false, "-- Scene 134: the old man's back doorway leads home; a passage to the flat (scene 23).\n",
     "\nfunction run()\n  GotoScene(23)\nend\n"},
    {219, false, "-- Scene 219: the old man's room left on the left; a passage to the flat (scene 23).\n",
     "\nfunction run()\n  GotoScene(23)\nend\n"},
    {261, false, "-- Scene 261: the old man's room left at the front; a passage to the flat (scene 23).\n",
     "\nfunction run()\n  GotoScene(23)\nend\n"},
    {135, false, "-- Scene 135, the ending: the closing titles, then the game is over.\n",
     R"lua(
local TITLES = 1

function run()
  if GetState() == 0 then
    SetState(TITLES)
    PlayVideo("video/titres.bik")
  elseif not IsVideoPlaying() then
    SetState(0)
    EndGame()
  end
end
)lua"},
};

}  // namespace

bool FillPlaces(const std::string& text, const RoomLayout& layout, std::string& out, std::string& error) {
  out.clear();
  size_t pos = 0;
  while (true) {
    size_t open = text.find("$(", pos);
    if (open == std::string::npos) break;
    size_t close = text.find(')', open);
    if (close == std::string::npos) {
      error = "unclosed place";
      return false;
    }
    out += text.substr(pos, open - pos);
    const std::string key = text.substr(open + 2, close - open - 2);
    const size_t colon = key.find(':');
    const std::string kind = key.substr(0, colon), name = colon == std::string::npos ? "" : key.substr(colon + 1);
    auto rect = layout.rects.find(name);
    auto spot = layout.spots.find(name);
    auto picture = layout.pictures.find(name);
    if (key == "start") {
      const V3& s = layout.start;
      out += Fixed(s.x, 3) + ", " + Fixed(s.y, 3) + ", " + Fixed(s.z, 3) + ", " + Fixed(layout.startHeading, 4);
    } else if (kind == "rect" && rect != layout.rects.end()) {
      const ScreenRect& r = rect->second;
      out += Int(r.left) + ", " + Int(r.top) + ", " + Int(r.right) + ", " + Int(r.bottom);
    } else if (kind == "walk" && spot != layout.spots.end()) {
      const FloorSpot& s = spot->second;
      out += Int(s.x) + ", " + Int(s.y) + ", " + Fixed(s.heading, 4);
    } else if (kind == "place" && spot != layout.spots.end()) {
      const FloorSpot& s = spot->second;
      out += Fixed(s.world.x, 2) + ", " + Fixed(s.world.y, 2) + ", " + Fixed(s.world.z, 2) + ", " +
             Fixed(s.heading, 4);
    } else if (kind == "heading" && spot != layout.spots.end()) {
      out += Fixed(spot->second.heading, 4);
    } else if (kind == "file" && picture != layout.pictures.end()) {
      out += "\"" + picture->second.file + "\"";
    } else if (kind == "at" && picture != layout.pictures.end()) {
      out += Int(picture->second.x) + ", " + Int(picture->second.y);
    } else if (kind == "zone" && ZoneNumber(name) > 0) {
      out += Int(ZoneNumber(name));
    } else {
      error = "no place " + key;
      return false;
    }
    pos = close + 1;
  }
  out += text.substr(pos);
  return true;
}

bool SceneScripts(const Layouts& layouts, std::map<int, std::string>& scripts, std::string& error) {
  static const RoomLayout kNoPlaces;
  for (const Script& s : kScripts) {
    auto it = layouts.find(s.scene);
    const RoomLayout& layout = it == layouts.end() ? kNoPlaces : it->second;
    std::string text = std::string(s.head) + (s.room ? kRoomKit : "") + s.body, filled;
    if (!FillPlaces(text, layout, filled, error)) {
      error = "scene " + std::to_string(s.scene) + ": " + error;
      return false;
    }
    scripts[s.scene] = filled;
  }
  return true;
}

bool BuildScripts(Output& out, const Layouts& layouts) {
  std::map<int, std::string> scripts;
  std::string error;
  if (!SceneScripts(layouts, scripts, error)) {
    std::fprintf(stderr, "tarvex-demo: %s\n", error.c_str());
    return false;
  }
  for (const auto& [scene, text] : scripts) {
    char name[32];
    std::snprintf(name, sizeof name, "scripts/scene%3.3d.lua", scene);
    out.Add(name, Bytes(text.begin(), text.end()));
  }
  return true;
}

}  // namespace tarvex::demo
