// The owner of the scene scripts' tables: the sequence step, the notebook page, the
// devices' typed entries and the first-run guards the scripts keep.
#pragma once
#include "base/registry.h"

namespace tarvex {

const Owner& ScriptsOwner();

}  // namespace tarvex
