-- The scenario for script_stand_in.lua: every scene script of the demo entered from
-- everywhere and every hotspot clicked, its calls printed for the demo's data checks (the
-- puzzles themselves are played in the engine by the walkthrough, tests/walkthrough).
local TAKE, LOOK, USE = 5, 6, 8

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
}
