#pragma once
#include <string>

#include "output.h"

namespace tarvex::demo {

void BuildInterface(Output& out);
// The menu's pictures with English captions, under `folder` ("lang/en/pictures/").
void BuildEnglishMenu(Output& out, const std::string& folder);

}  // namespace tarvex::demo
