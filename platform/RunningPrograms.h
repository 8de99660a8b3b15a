#pragma once

#include <string_view>

namespace tmt::platform {

// Whether a process of this user runs the program file that `executablePath` (in the game's form)
// names: a running game keeps its settings and profile in memory and writes them back when it
// exits, undoing what was changed meanwhile. The file itself is compared, not its name, so a copy
// of the game elsewhere does not count, while the same game files run through another route do.
// Processes of other users are never looked into. False when the file does not exist.
bool IsProgramRunning(std::string_view executablePath);

} // namespace tmt::platform
