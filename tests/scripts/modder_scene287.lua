-- Scene 287: a view down the long corridor.
-- The picture has no floor to walk on, so the hero only stands in the corridor and the
-- exits are taken at once: the wooden door on the right leads to the storeroom (scene 24),
-- the bottom edge back to scene 131. A plaque on the left wall can be read; the first time,
-- the hero also makes a note of the year (flag 1, then a short remark sequence in state 10).
local PLAQUE_READ = 1               -- flag: the plaque was read once
local PLAQUE = 8                    -- tool: its look line is in texts/structure.txt
local NOTE_SEQUENCE = 10            -- the scene's state while the hero makes his note
local NOTE_REMARK = 1552            -- texts/otboy.txt
local exits = {24, 131}             -- region actions 1 and 2

function init()
  -- ScreenToWorld finds no floor in this view, so the position is given in world units:
  -- y is up (the floor is 0), negative z lies further down the corridor.
  CreateHero(0, 0, -200, 0.0)
end

function load()
  DefineRegion(0, 565, 160, 640, 600, CURSOR_RIGHT, 0, 0, NO_HEADING, 1)
  DefineRegion(1, 0, 560, 800, 600, CURSOR_BACK, 0, 0, NO_HEADING, 2)
  PlaceTool(PLAQUE, 1, 150, 260, 230, 320)
  Game.EXE = 0
  Game.DIALOG = 0
end

-- After the plaque's own line: a note of the year, then back to normal play.
local function noteSequence()
  if Game.DIALOG == 0 and RemarkOver() then
    PlayResponse(NOTE_REMARK)
    NextStep()
  elseif Game.DIALOG == 1 and RemarkOver() then
    SetState(0)
  end
end

function run()
  RunActors()
  Game.cursorPicture = CURSOR_ARROW
  local state = GetState()
  if state == NOTE_SEQUENCE then noteSequence() return end
  Game.DIALOG = 0
  if exits[state] then
    -- Leave once the remark on the screen is over (the state is cleared for the next visit).
    if RemarkOver() then
      SetState(0)
      GotoScene(exits[state])
    end
    return
  end
  local fresh = Game.freshPress
  ResolvePointer()            -- speaks the plaque's line when it is clicked
  if not fresh then return end
  if Game.toolUnderPointer == PLAQUE then
    Game.LeftKey = 1
    if TestFlags(PLAQUE_READ) == 0 then
      SetFlags(PLAQUE_READ)
      Game.DIALOG = 0
      SetState(NOTE_SEQUENCE)
    end
  elseif Game.regionUnderPointer == 0 or Game.regionUnderPointer == 1 then
    -- No floor to walk on: the exit is taken at once.
    Game.LeftKey = 1
    SetState(Game.regionUnderPointer + 1)
  end
end
