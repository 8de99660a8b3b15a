#pragma once

#include <filesystem>

namespace tmt::platform {

// The Wine prefix the game lives in: the chosen installation's; before one is chosen, $WINEPREFIX
// (made absolute) when set and not empty, else $HOME/.wine, as Wine itself decides. Read anew on
// every call, so it always follows the environment.
std::filesystem::path WinePrefix();

} // namespace tmt::platform
