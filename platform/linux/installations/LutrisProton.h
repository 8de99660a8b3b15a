#pragma once

#include "platform/linux/installations/LutrisWine.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tmt::platform::installations {

// umu's launch script as Lutris 0.5.22 finds it (lutris/util/wine/proton.py, get_umu_path): umu-run
// on PATH, else in the shared folders, else in Lutris's own runtime. In the Flatpak it is the
// sandbox's own, found there by name.
std::optional<std::string> UmuPath(const LutrisFolders& folders);

// The folder of the Proton build that Lutris offers as the Wine version `version`: the first
// folder of that name with a `proton` script among Lutris's Wine runners, then each Steam folder's
// common/, then each Steam folder itself, the Steam folders being its compatibilitytools.d/ and
// the libraries' steamapps/ (lutris/util/wine/proton.py, _iter_proton_locations;
// lutris/util/steam/config.py, get_steamapps_dirs).
std::optional<std::filesystem::path> ProtonFolder(const LutrisFolders& folders,
                                                  const std::string& version);

} // namespace tmt::platform::installations
