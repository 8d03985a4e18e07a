// The console's commands (help lines in the table): the scene, items, flags and states, the
// hero's place, what lies under the pointer, the registry's tables, saves, pause and clear.
// A higher layer registers its own commands the same way (RegisterConsoleCommands).
#pragma once
#include <span>

#include "scripts/console_lines.h"

namespace tarvex {

std::span<const ConsoleCommand> WorkbenchCommands();

}  // namespace tarvex
