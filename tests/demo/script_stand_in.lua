-- A stand-in for the engine's scene services, to play the demo's scene scripts under a
-- plain Lua interpreter: lua5.4 script_stand_in.lua DEMO_DIR SCENARIOS.lua NAME
-- Runs scenario NAME of the scenarios file; every service call is printed as one line
-- ("PlaceTool 2 1 0 398 305 594"), a failed check or a call of anything the engine does
-- not offer ends the run with an error (exit status 1).
local demo, scenarios, wanted = arg[1], arg[2], arg[3]
local lua = {}
for k, v in pairs(_G) do lua[k] = v end

local calls = {}
local function record(name, ...)
  local parts = {name}
  for i = 1, select("#", ...) do parts[#parts + 1] = tostring((select(i, ...))) end
  local line = table.concat(parts, " ")
  calls[#calls + 1] = line
  print(line)
end

-- The game's tables as far as the scripts see them.
local world = {
  scene = 23, previous = -1, states = {}, flags = {}, inventory = {}, pages = {}, regions = {},
  placed = {}, arrived = true, pointer = {}, video = false, ended = false, remark = 0,
}

local NONE = 65535
local game = {
  EXE = 0, LeftKey = 0, heldTool = -1, cursorPicture = 0, verb = 1, DIALOG = 0, sequenceClock = 0,
  toolUnderPointer = NONE, regionUnderPointer = NONE, actorUnderPointer = NONE, pointerX = 0, pointerY = 0,
  leftButton = false, subtitleTimer = 0, seconds = 0,
}
local readOnly = {toolUnderPointer = true, regionUnderPointer = true, actorUnderPointer = true, pointerX = true,
                  pointerY = true, leftButton = true, freshPress = true, subtitleTimer = true, seconds = true,
                  scene = true, previousScene = true}
Game = setmetatable({}, {
  __index = function(_, key)
    if key == "freshPress" then return game.leftButton and game.LeftKey == 0 end
    if key == "scene" then return world.scene end
    if key == "previousScene" then return world.previous end
    local v = game[key]
    if v == nil then error("Game has no field " .. tostring(key), 2) end
    return v
  end,
  __newindex = function(_, key, value)
    if readOnly[key] or game[key] == nil then error("Game." .. tostring(key) .. " cannot be written", 2) end
    game[key] = value
  end,
})

CURSOR_ARROW, CURSOR_LEFT, CURSOR_RIGHT, CURSOR_FORWARD, CURSOR_BACK = 0, 1, 2, 3, 4
CURSOR_TAKE, CURSOR_LOOK, CURSOR_TALK, CURSOR_USE = 5, 6, 7, 8
VERB_LOOK, VERB_TALK, VERB_TAKE, VERB_USE = 1, 2, 3, 4
NO_HEADING, NONE, HERO = 10.0, NONE, 0

local function flagsOf(scene) return world.flags[scene] or 0 end

-- Regions, tools, the pointer and the click sequence.
function DefineRegion(index, left, top, right, bottom, cursor, walkX, walkY, facing, action)
  record("DefineRegion", index, left, top, right, bottom, cursor, walkX, walkY, facing, action)
  world.regions[index] = {walkX = walkX, walkY = walkY, facing = facing, action = action}
end
function SetRegionLabel(index, label) record("SetRegionLabel", index, label) end
function PlaceTool(tool, clickable, left, top, right, bottom)
  record("PlaceTool", tool, clickable, left, top, right, bottom)
  world.placed[tool] = clickable ~= 0
end
function PlaceToolPicture(file, tool, clickable, drawn, x, y, l, t, r, b)
  record("PlaceToolPicture", file, tool, clickable, drawn, x, y, l, t, r, b)
  if not world.inventory[tool] then world.placed[tool] = clickable ~= 0 end
end
function SetToolOwnership(tool, inInventory, drawn)
  record("SetToolOwnership", tool, inInventory, drawn)
  world.inventory[tool] = inInventory ~= 0
  world.placed[tool] = false
  game.heldTool = -1
end
function HideToolRange(first, last)
  record("HideToolRange", first, last)
  for t = first, last do world.placed[t] = false end
end
function ShowToolRange(first, last) record("ShowToolRange", first, last) end
function ResolvePointer()
  record("ResolvePointer")
  local p = world.pointer
  game.toolUnderPointer = p.tool or NONE
  game.regionUnderPointer = p.region or NONE
  if p.tool or p.region then game.cursorPicture = p.cursor or game.cursorPicture end
  if p.tool and game.heldTool ~= -1 then game.cursorPicture = CURSOR_USE end
end
function HeroHasArrived() return world.arrived end
function WalkTo(actor, x, y, heading) record("WalkTo", actor, x, y, heading) end
function WalkToRegion()
  local r = world.regions[game.regionUnderPointer]
  game.EXE, game.heldTool, game.LeftKey = r.action, -1, 1
  WalkTo(0, r.walkX, r.walkY, r.facing)
end
function TakeArrivedAction()
  local arrived = 0
  if game.EXE ~= 0 and world.arrived then
    if game.heldTool == -1 then arrived = game.EXE end
    game.EXE = 0
  end
  return arrived
end
function HandleClick()
  if Game.freshPress then
    game.EXE = 0
    if game.regionUnderPointer < 17 then WalkToRegion() end
  end
  if Game.freshPress and game.EXE == 0 then
    game.LeftKey = 1
    record("WalkToPointer")
  end
end
function ClickSequence()
  local arrived = TakeArrivedAction()
  HandleClick()
  return arrived
end
function TurnToFinalHeading(actor) return world.arrived and 1 or 0 end

-- Actors.
function CreateHero(x, y, z, heading) record("CreateHero", x, y, z, heading) return 0 end
function LoadActor(path, x, y, z, heading) record("LoadActor", path, x, y, z, heading) return 2 end
function AttachActor(path, bone, parent) record("AttachActor", path, bone, parent) return 1 end
function UpdateActor(actor) end
-- The hero's walk ends when the actors are updated (a click's walk ends on the next frame).
function RunActors()
  if world.arriving then world.arrived, world.arriving = true, false end
end
function Stands(actor) return true end
function SetClickable(actor, flag, l, t, r, b) record("SetClickable", actor, flag, l, t, r, b) end
function GetMotion(actor) return 0 end
function SetMotion(actor, m) record("SetMotion", actor, m) end
function GetPosition(actor) return 0, 0, 0 end
function SetPosition(actor, x, y, z) record("SetPosition", actor, x, y, z) end
function GetHeading(actor) return 0 end
function SetHeading(actor, h) record("SetHeading", actor, h) end
function ScreenToWorld(x, y) return nil end

-- Animation slots, sounds, remarks, videos, fades.
function LoadFrameSequence(path, slot, ...) record("LoadFrameSequence", path, slot) end
function PlayAnimation(slot, from, speed) record("PlayAnimation", slot, from, speed) end
function AnimationAtEnd(slot) return true end
function AnimationAtStart(slot) return true end
function PlayAnimationEvery(slot, speed, interval) return false end
function ShowSlot(slot, shown) record("ShowSlot", slot, shown) end
function LoadSound(path, slot) record("LoadSound", path, slot) end
function PlaySlot(slot, level, pan, loop) record("PlaySlot", slot, level, pan, loop) end
function RestartSlot(slot, level, pan, loop) record("RestartSlot", slot, level, pan, loop) end
function IsSlotPlaying(slot) return false end
function StopSlot(slot) record("StopSlot", slot) end
function PlayResponse(id) record("PlayResponse", id) end
function PlayDialogLine(id) record("PlayDialogLine", id) end
function PollDialogChoice(first, count) return -1 end
function PlayVideo(path) record("PlayVideo", path) world.video = true end
function IsVideoPlaying() return world.video end
function FadeIn() record("FadeIn") end
function FadeOut() record("FadeOut") end
function FadeStep() return true end
function LoadWalkMask(path) record("LoadWalkMask", path) end
function SetHeroFootsteps() record("SetHeroFootsteps") end
function LoadStepAndTurnSounds() record("LoadStepAndTurnSounds") end
function StartAmbient(path) record("StartAmbient", path) end
function SetShadow(x, y, z, length, colour) record("SetShadow", x, y, z, length, colour) end

-- State and flags, scenes, the notebook, the game's end.
function SetState(v) world.states[world.scene] = v end
function SetStateOf(scene, v) world.states[scene] = v end
function GetState() return world.states[world.scene] or 0 end
function GetStateOf(scene) return world.states[scene] or 0 end
function SetFlags(mask) world.flags[world.scene] = flagsOf(world.scene) | mask end
function TestFlags(mask) return flagsOf(world.scene) & mask end
function ClearFlags(mask) world.flags[world.scene] = flagsOf(world.scene) & ~mask end
function SetFlagsOf(scene, mask) world.flags[scene] = flagsOf(scene) | mask end
function TestFlagsOf(scene, mask) return flagsOf(scene) & mask end
function ClearFlagsOf(scene, mask) world.flags[scene] = flagsOf(scene) & ~mask end
function GotoScene(n) record("GotoScene", n) world.gone = n end
function CurrentScene() return world.scene end
function PreviousScene() return world.previous end
function WriteNotebookPage(page) record("WriteNotebookPage", page) world.pages[page] = true end
function EndGame() record("EndGame") world.ended = true end
function DefaultRun(exits) record("DefaultRun") end
function CompiledInit() record("CompiledInit") end
function CompiledLoad() record("CompiledLoad") end
-- The landing's compiled run as far as scripts see it: the pointer, the arrival, clicks.
function CompiledRun()
  record("CompiledRun")
  RunActors()
  ResolvePointer()
  TakeArrivedAction()
  HandleClick()
end

-- How many arguments each service takes, as the engine's binding checks them.
local arity = {
  DefineRegion = {10, 10}, SetRegionLabel = {2, 2}, PlaceTool = {6, 6}, PlaceToolPicture = {6, 10}, SetToolOwnership = {3, 3},
  HideToolRange = {2, 2}, ShowToolRange = {2, 2}, ResolvePointer = {0, 0}, WalkToRegion = {0, 0},
  ClickSequence = {0, 0}, TakeArrivedAction = {0, 0}, HandleClick = {0, 0}, HeroHasArrived = {0, 0},
  WalkTo = {3, 4}, TurnToFinalHeading = {1, 1}, LoadActor = {5, 5}, AttachActor = {3, 3}, UpdateActor = {1, 1},
  RunActors = {0, 0}, CreateHero = {4, 5}, GetMotion = {1, 1}, SetMotion = {2, 2}, GetPosition = {1, 1},
  SetPosition = {4, 4}, GetHeading = {1, 1}, SetHeading = {2, 2}, Stands = {1, 1}, SetClickable = {6, 6},
  ScreenToWorld = {2, 2}, LoadFrameSequence = {6, 12}, PlayAnimation = {3, 3}, AnimationAtEnd = {1, 1},
  AnimationAtStart = {1, 1}, PlayAnimationEvery = {3, 3}, ShowSlot = {2, 2}, LoadSound = {2, 2},
  PlaySlot = {1, 4}, RestartSlot = {1, 4}, IsSlotPlaying = {1, 1}, StopSlot = {1, 1}, PlayResponse = {1, 1},
  PlayDialogLine = {1, 1}, PollDialogChoice = {2, 2}, PlayVideo = {1, 1}, IsVideoPlaying = {0, 0},
  FadeIn = {0, 0}, FadeOut = {0, 0}, FadeStep = {0, 0}, LoadWalkMask = {1, 1}, SetHeroFootsteps = {0, 0},
  LoadStepAndTurnSounds = {0, 0}, StartAmbient = {1, 1}, SetShadow = {5, 5}, SetState = {1, 1},
  SetStateOf = {2, 2}, GetState = {0, 0}, GetStateOf = {1, 1}, SetFlags = {1, 1}, TestFlags = {1, 1},
  ClearFlags = {1, 1}, SetFlagsOf = {2, 2}, TestFlagsOf = {2, 2}, ClearFlagsOf = {2, 2}, GotoScene = {1, 1},
  CurrentScene = {0, 0}, PreviousScene = {0, 0}, WriteNotebookPage = {1, 1}, EndGame = {0, 0},
  DefaultRun = {0, 1}, CompiledInit = {0, 0}, CompiledLoad = {0, 0}, CompiledRun = {0, 0},
}

-- What a script sees: the services above and, as in the engine's sandbox, Lua's base
-- functions without file or code loading, and the table, string, math and utf8 libraries.
local api = {}
for k, v in pairs(_G) do
  if lua[k] == nil then
    local range = arity[k]
    if type(v) == "function" then
      assert(range, "no argument count for " .. k)
      api[k] = function(...)
        local n = select("#", ...)
        if n < range[1] or n > range[2] then error(k .. ": takes " .. range[1] .. ".." .. range[2] .. " arguments, got " .. n, 2) end
        return v(...)
      end
    else
      api[k] = v
    end
  end
end
for _, k in ipairs({"assert", "error", "ipairs", "next", "pairs", "pcall", "rawequal", "rawget", "rawlen",
                    "rawset", "select", "setmetatable", "getmetatable", "tonumber", "tostring", "type", "xpcall",
                    "table", "string", "math", "utf8"}) do
  api[k] = lua[k]
end

local script = {}
local S = {world = world, game = game, calls = calls}

-- Enters `scene` from `from`: the file is run afresh, then its init and load.
function S.enter(scene, from)
  world.scene, world.previous, world.gone = scene, from or -1, nil
  world.arrived, world.arriving = true, false
  world.placed, world.regions = {}, {}
  game.EXE, game.LeftKey, game.DIALOG = 0, 0, 0
  local env = setmetatable({}, {__index = function(_, key)
    local v = api[key]
    if v == nil then error("the script reads " .. tostring(key) .. ", which the engine does not offer", 2) end
    return v
  end})
  local path = string.format("%s/scripts/scene%03d.lua", demo, scene)
  local chunk = assert(loadfile(path, "t", env))
  chunk()
  script = env
  if rawget(env, "init") then env.init() end
  if rawget(env, "load") then env.load() end
end
-- One frame of the script's run with the pointer over `pointer` ({tool, region, cursor})
-- and, with `click`, a fresh press of the left button.
function S.frame(pointer, click)
  world.pointer = pointer or {}
  game.leftButton = click or false
  game.LeftKey = 0
  if not click then game.leftButton = false end
  script.run()
  game.leftButton = false
end
-- A click, then the frame in which the hero arrives (in that frame's actor update).
function S.click(pointer)
  world.arrived = false
  S.frame(pointer, true)
  world.arriving = true
  S.frame()
end
local list = dofile(scenarios)
local scenario = list[wanted]
if not scenario then error("no scenario " .. tostring(wanted)) end
scenario(S)
print("ok")
