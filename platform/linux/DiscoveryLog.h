#pragma once

#include <filesystem>
#include <string_view>

namespace tmt::platform {

// With TMT_DEBUG_DISCOVERY=1 in the environment, the search for installations says on standard
// error where it looked and what it made of each place, so that a user whose game is not found
// can tell why. Otherwise nothing is written.
bool DiscoveryLogOn();

// One line: "tunemora-tools: <place>: <verdict>".
void NoteDiscovery(const std::filesystem::path& place, std::string_view verdict);

} // namespace tmt::platform
