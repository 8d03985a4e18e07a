#pragma once
#include "output.h"

namespace tarvex::demo {

void BuildModels(Output& out);

}  // namespace tarvex::demo
