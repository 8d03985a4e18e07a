-- Scenarios for script_stand_in.lua: the demo's puzzles played through the scene scripts.
-- Each gets the stand-in's helpers (enter, frame, click, said, called, forget, check) and
-- its world (flags, inventory, notebook pages, what is placed) and game (the Game table).
local TAKE, LOOK, USE = 5, 6, 8

local function flags(S, scene) return S.world.flags[scene] or 0 end
local function owns(S, tool) return S.world.inventory[tool] == true end

-- Through a region's exit: the walk, the arrival, the departure after the remark.
local function leaveBy(S, region)
  S.click({region = region, cursor = 1})
  S.frame()
  return S.world.gone
end

-- The scenes with scripts and the scenes they can be entered from.
local SCENES = {0, 23, 24, 25, 75, 115, 134, 135, 149, 219, 261}
local FROM = {-1, 0, 23, 24, 25, 75, 98, 115, 131, 134, 149, 219, 250, 261}
local HELD = {-1, 39, 47, 62, 197, 212}

return {
  -- Every scene entered from everywhere, fresh and with every flag of the game set, every
  -- placed tool clicked with each cursor and each item held, every region clicked: the
  -- calls are printed after a "SCENE n" line for the checks of the test.
  explore = function(S)
    for pass = 1, 2 do
      for _, scene in ipairs(SCENES) do
        for _, from in ipairs(FROM) do
          for k in pairs(S.world.flags) do S.world.flags[k] = nil end
          for k in pairs(S.world.inventory) do S.world.inventory[k] = nil end
          if pass == 2 then
            for _, n in ipairs({23, 24, 25, 75, 95, 115, 131, 146, 149}) do S.world.flags[n] = 0xFF end
          end
          print("SCENE " .. scene)
          S.enter(scene, from)
          S.frame()
          local tools, regions = {}, {}
          for tool, clickable in pairs(S.world.placed) do if clickable then tools[#tools + 1] = tool end end
          for index in pairs(S.world.regions) do regions[#regions + 1] = index end
          table.sort(tools)
          table.sort(regions)
          for _, tool in ipairs(tools) do
            for _, held in ipairs(HELD) do
              for _, cursor in ipairs({TAKE, LOOK, USE}) do
                if S.world.gone then break end
                S.game.heldTool = held
                S.click({tool = tool, cursor = cursor})
              end
            end
          end
          for _, index in ipairs(regions) do
            if not S.world.gone then S.click({region = index, cursor = 1}) end
          end
        end
      end
    end
  end,

  flat = function(S)
    S.enter(23, -1)
    S.check(S.called("CreateHero"), "the flat creates the hero")
    S.check(S.world.placed[742] and S.world.placed[47], "the notebook and the lantern lie in the flat")
    S.check(not S.called("SetPosition"), "a new game starts at the scene's START")
    -- Looking at the notebook does nothing more; taking it does.
    S.click({tool = 742, cursor = LOOK})
    S.check(not owns(S, 742), "a look does not take the notebook")
    S.click({tool = 742, cursor = TAKE})
    S.check(owns(S, 742) and S.world.pages[4], "taking the notebook writes page 4")
    S.check(flags(S, 23) & 1 ~= 0, "flag 1 remembers the notebook")
    S.click({tool = 47, cursor = TAKE})
    S.check(owns(S, 47) and flags(S, 23) & 2 ~= 0, "the lantern is taken")
    -- Coming back, neither is placed again, and the hero stands at the door he came through.
    S.forget()
    S.enter(23, 0)
    S.check(not S.world.placed[742] and not S.world.placed[47], "taken items stay taken")
    S.check(S.called("SetPosition 0"), "the hero comes in from the landing at the left door")
    S.check(leaveBy(S, 0) == 0, "the left door leads to the landing")
    S.enter(23, 0)
    S.check(leaveBy(S, 1) == 131, "the back door leads to the old man")
  end,

  flatAfterTheFirstTalk = function(S)
    S.world.flags[131] = 8
    S.enter(23, 219)
    S.check(S.called("SetPosition 0"), "the hero comes back at the back door")
    S.frame()
    S.check(S.world.pages[7] and S.world.pages[8] and S.said(1531), "the old man's words are written down")
    S.forget()
    S.frame()
    S.enter(23, 261)
    S.frame()
    S.check(not S.called("WriteNotebookPage"), "they are written once")
  end,

  lanternFromTheBatteriesAlone = function(S)
    -- The toolbar's own use of the batteries (flag 4 of scene 146) leaves the dim lantern
    -- with nothing to do: it leaves the inventory, or stays off the bookcase.
    S.world.inventory[47] = true
    S.enter(25, 75)
    S.world.flags[146] = 4
    S.frame()
    S.check(not owns(S, 47) and flags(S, 23) & 8 ~= 0, "the dim lantern is gone")
    S.forget()
    S.frame()
    S.check(not S.called("SetToolOwnership"), "once")
    S.world.flags[23] = 8
    S.enter(23, 0)
    S.check(not S.world.placed[47], "no lantern on the bookcase")
  end,

  serviceRoom = function(S)
    S.enter(75, 0)
    S.check(S.world.placed[5] and not S.world.placed[6], "the full crate")
    S.check(S.called("SetPosition 0"), "the hero comes in at the door from the landing")
    -- With empty hands or the dim lantern the crate keeps its card.
    S.click({tool = 5, cursor = USE})
    S.game.heldTool = 47
    S.click({tool = 5, cursor = USE})
    S.check(not owns(S, 62), "no card without the bright lantern")
    S.game.heldTool = 39
    S.click({tool = 5, cursor = USE})
    S.check(owns(S, 62) and S.said(1545), "the bright lantern shows the card")
    S.check(flags(S, 75) & 1 ~= 0 and S.world.placed[6] and not S.world.placed[5], "the crate is empty now")
    S.enter(75, 25)
    S.check(S.world.placed[6] and not S.world.placed[5], "and stays empty")
    S.check(leaveBy(S, 1) == 25, "the back door leads to the boiler room")
    S.enter(75, 25)
    S.check(leaveBy(S, 0) == 0, "the side door leads to the landing")
  end,

  boilerRoom = function(S)
    S.enter(25, 75)
    S.check(S.world.placed[61], "the batteries lie on the bench")
    S.click({tool = 8, cursor = LOOK})
    S.check(S.world.pages[9] and S.said(1552) and flags(S, 25) & 2 ~= 0, "the plaque's year goes into the notebook")
    S.forget()
    S.click({tool = 8, cursor = LOOK})
    S.check(not S.called("WriteNotebookPage"), "once")
    S.click({tool = 61, cursor = TAKE})
    S.check(owns(S, 61) and not S.world.placed[61], "the batteries are taken")
    S.enter(25, 75)
    S.check(not S.world.placed[61], "and not placed again")
    S.check(leaveBy(S, 0) == 75, "the door leads to the service room")
  end,

  boilerRoomLanternOnTheBatteries = function(S)
    S.world.inventory[47] = true
    S.enter(25, 75)
    S.game.heldTool = 47
    S.click({tool = 61, cursor = USE})
    S.check(owns(S, 39) and not owns(S, 47) and not owns(S, 61), "the lantern takes the batteries in")
    S.check(not S.world.placed[61] and flags(S, 25) & 1 ~= 0, "they are gone from the bench")
  end,

  workshops = function(S)
    S.enter(149, 0)
    S.check(S.world.placed[12] and S.world.placed[181], "the switch box and the radio")
    S.click({tool = 12, cursor = USE})
    S.game.heldTool = 212
    S.click({tool = 12, cursor = USE})
    S.check(flags(S, 95) & 1 == 0, "neither bare hands nor the wet towel switch the lift")
    S.game.heldTool = 197
    S.click({tool = 12, cursor = USE})
    S.check(flags(S, 95) & 1 ~= 0 and S.said(1565), "the dry towel does")
    S.check(S.world.placed[13] and not S.world.placed[12], "the box shows the lever down")
    S.click({tool = 181, cursor = TAKE})
    S.check(owns(S, 181), "the radio is taken")
    S.enter(149, 24)
    S.check(S.world.placed[13] and not S.world.placed[181], "both stay so")
    S.check(leaveBy(S, 1) == 24, "the back door leads to the washroom")
    S.enter(149, 24)
    S.check(leaveBy(S, 0) == 0, "the lift goes down to the landing")
  end,

  washroom = function(S)
    S.enter(24, 149)
    S.click({tool = 15, cursor = LOOK})
    S.check(S.said(1577), "the hero looks at himself in the mirror")
    S.click({tool = 212, cursor = TAKE})
    S.check(owns(S, 212), "the towel is taken")
    S.enter(24, 149)
    S.check(not S.world.placed[212], "and not placed again")
    S.check(leaveBy(S, 0) == 149, "the door leads to the workshops")
  end,

  archive = function(S)
    -- Read before the first talk: the old man's further topics open, not the way down.
    S.enter(115, 0)
    S.click({tool = 19, cursor = LOOK})
    S.check(flags(S, 131) & 32 ~= 0 and flags(S, 131) & 64 == 0, "flag 32 only")
    S.check(S.world.pages[10] and S.said(1593), "page 10")
    S.forget()
    S.world.flags[131] = flags(S, 131) | 8
    S.click({tool = 19, cursor = LOOK})
    S.check(flags(S, 131) & 64 ~= 0, "after the talk, flag 64 too")
    S.check(not S.called("WriteNotebookPage"), "the page is written once")
    S.check(leaveBy(S, 0) == 0, "the lift goes down to the landing")
  end,

  landing = function(S)
    S.enter(0, 23)
    S.check(S.called("CompiledLoad") and S.called("SetPosition 0"), "the landing's own load, the hero at the way back")
    S.check(S.called("DefineRegion 2 ") and S.world.regions[2].action == 10, "the way back to the flat")
    -- The compiled run walks the hero there and takes his arrival; the script leaves.
    S.check(leaveBy(S, 2) == 23, "back to the flat")
    S.forget()
    S.enter(0, 98)
    S.check(not S.called("SetPosition"), "from the keypad the compiled load places the hero")
    S.enter(0, 149)
    S.check(S.called("SetPosition 0"), "out of the lift at the doorway")
    -- A new click on the way cancels it; an item taken on the way cancels it on arrival.
    S.enter(0, 23)
    S.world.arrived = false
    S.frame({region = 2, cursor = 4}, true)
    S.frame({}, true)
    S.world.arrived = true
    S.frame()
    S.frame()
    S.check(S.world.gone == nil, "a click elsewhere cancels the way back")
    S.world.arrived = false
    S.frame({region = 2, cursor = 4}, true)
    S.game.heldTool = 62
    S.world.arrived = true
    S.frame()
    S.frame()
    S.check(S.world.gone == nil, "no departure with an item held")
  end,

  passages = function(S)
    for _, scene in ipairs({134, 219, 261}) do
      S.enter(scene, 131)
      S.frame()
      S.check(S.world.gone == 23, "scene " .. scene .. " leads to the flat")
    end
  end,

  ending = function(S)
    S.enter(135, 131)
    S.frame()
    S.check(S.called("PlayVideo video/titres.bik") and not S.world.ended, "the titles play")
    S.frame()
    S.check(not S.world.ended, "the game waits for the titles")
    S.world.video = false
    S.frame()
    S.check(S.world.ended, "then it is over")
  end,
}
