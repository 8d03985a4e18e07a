// The scene scripts of the demo ("scripts/sceneNNN.lua"): the rooms without compiled-in
// content, and the landing's way back to the flat on top of its compiled functions.
#pragma once
#include <map>
#include <string>

#include "formats/output.h"
#include "rooms.h"

namespace tarvex::demo {

using namespace tarvex::formats;

// Fills the places of a script text from its room's layout:
//   $(rect:NAME)  left, top, right, bottom of a hotspot
//   $(walk:NAME)  screen x, y and facing of a floor spot (a walk target)
//   $(place:NAME) world x, y, z and facing of a floor spot (an entry place)
//   $(file:NAME)  the quoted file of an item's picture; $(at:NAME) its top-left
//   $(start)      the scene's START and its heading
//   $(zone:NAME)  the number of the place name NAME in "data/zones.txt"
// False (with the unknown name in `error`) when a name is not in the layout or the zones.
bool FillPlaces(const std::string& text, const RoomLayout& layout, std::string& out, std::string& error);

// The script texts by scene number, places filled in.
bool SceneScripts(const Layouts& layouts, std::map<int, std::string>& scripts, std::string& error);
// Writes them as "scripts/sceneNNN.lua"; false with a message on stderr on a bad place.
bool BuildScripts(Output& out, const Layouts& layouts);

}  // namespace tarvex::demo
