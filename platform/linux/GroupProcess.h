#pragma once

#include <chrono>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

namespace tmt::platform {

// Runs `arguments` (the program's absolute path first) with its standard streams on /dev/null,
// `settings` put over the environment and, when `handed` is open, that descriptor as descriptor 3
// of the program. The program gets a process group of its own, and the whole group is ended when
// the program ends, when `deadline` passes or when a stop is requested, so that nothing it started
// stays behind. True when the program ended by itself with status 0.
bool RunInOwnGroup(const std::vector<std::string>& arguments,
                   const std::vector<std::pair<std::string, std::string>>& settings, int handed,
                   std::chrono::steady_clock::time_point deadline,
                   const std::stop_token& stop = {});

} // namespace tmt::platform
