#pragma once
#include "formats/math3d.h"
#include "formats/output.h"

namespace tarvex::demo {

using namespace tarvex::formats;

// The characters; `pressTarget` is where the hero's fingers press the landing's call
// buttons, in his model space (forward x, up y, left z) as he stands at the buttons.
void BuildModels(Output& out, V3 pressTarget);

}  // namespace tarvex::demo
