#pragma once

#include "platform/linux/Launcher.h"

#include <yaml-cpp/yaml.h>

#include <filesystem>
#include <optional>
#include <vector>

namespace tmt::platform::installations {

// One Lutris: its configuration folder (games/, runners/, system.yml) and its data folder
// (runners/wine/, runtime/), the home folder it finds Steam's Protons from, and whether it is the
// Flatpak, whose programs run in its sandbox.
struct LutrisFolders {
    std::filesystem::path config;
    std::filesystem::path data;
    std::filesystem::path home;
    bool flatpak = false;
    // The Steam folders Lutris looks for Protons in: listed at the first game that needs them and
    // kept for the other games, rather than listed again for each.
    mutable std::optional<std::vector<std::filesystem::path>> steamFolders;
};

// The levels below a game's own record that its options fall back to, as Lutris cascades them
// (lutris/config.py): system.yml and the Wine runner's runners/wine.yml.
struct LutrisLevels {
    YAML::Node system;
    YAML::Node runner;
};

// The start Lutris 0.5.22's Wine runner makes for the game of `record` in `prefix`
// (lutris/runners/wine.py, play, get_env, finish_env, working_dir): the Wine of the game's
// version, or umu-run with PROTONPATH for a Proton version and for Lutris's default "ge-proton";
// the game's arguments before the switches; the game's environment, architecture, debug output
// and working folder. Lutris refuses Proton for a 32-bit prefix, and so does the launcher.
Launcher LutrisLauncher(const LutrisFolders& folders, const LutrisLevels& levels,
                        const YAML::Node& record, const std::filesystem::path& prefix);

} // namespace tmt::platform::installations
