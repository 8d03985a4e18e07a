#pragma once
#include <string>

#include "formats/output.h"

namespace tarvex::demo {

using namespace tarvex::formats;

void BuildInterface(Output& out);
// The menu's pictures with English captions, under `folder` ("lang/en/pictures/").
void BuildEnglishMenu(Output& out, const std::string& folder);

}  // namespace tarvex::demo
