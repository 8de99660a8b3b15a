#pragma once

#include <string>

namespace tmt::platform {

// The full path of the running program's executable file, in the game's path form (X:\...) when a
// drive of the prefix covers it.
std::string OwnExecutablePath();

// Lets a test stand the program in another place (a game folder, a file with another version);
// an empty path restores the real one.
void SetOwnExecutablePathForTesting(std::string path);

} // namespace tmt::platform
