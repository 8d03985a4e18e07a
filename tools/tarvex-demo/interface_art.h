#pragma once
#include "output.h"

namespace tarvex::demo {

void BuildInterface(Output& out);

}  // namespace tarvex::demo
