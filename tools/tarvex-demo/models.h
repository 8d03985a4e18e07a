#pragma once
#include "demo_math.h"
#include "output.h"

namespace tarvex::demo {

// The characters; `pressTarget` is where the hero's fingers press the landing's call
// buttons, in his model space (forward x, up y, left z) as he stands at the buttons.
void BuildModels(Output& out, V3 pressTarget);

}  // namespace tarvex::demo
