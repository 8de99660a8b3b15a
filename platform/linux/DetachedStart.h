#pragma once

#include "platform/Shell.h"

#include <chrono>
#include <string>
#include <vector>

namespace tmt::platform {

// Starts the program `arguments[0]` (a path) with `arguments`, the `environment` entries
// (NAME=value) and `folder` as its working folder, in a session of its own and as nobody's child;
// what it writes to its standard error still reaches ours. Waits until the program ends or
// `settle` has passed: a runner that ends at once with a failure (an argument it does not take, a
// game it does not know) is reported as not started, with the last line it wrote.
StartResult StartDetached(const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment, const std::string& folder,
                          std::chrono::milliseconds settle);

// `texts` as execve takes an argument or environment list: pointers into them, then a null one.
// Made before fork, since the child may not allocate; `texts` must outlive it.
std::vector<char*> ExecPointers(const std::vector<std::string>& texts);

} // namespace tmt::platform
