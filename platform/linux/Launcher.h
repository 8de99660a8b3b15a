#pragma once

#include "platform/Installations.h"
#include "platform/Shell.h"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tmt::platform {

// How one Wine prefix's programs are started: by the Wine that made the prefix, or through the
// manager that keeps it, so that the prefix is never opened by a Wine of another version.
class Launcher {
public:
    // Where the game's path and the switches go on the runner's command line.
    enum class GameArguments {
        ProgramThenSwitches, // wine <exe> <switches>, proton run <exe> <switches>
        SwitchesOnly,        // steam -applaunch <id> <switches>: the manager knows the program
        BottlesOptions,      // bottles-cli run ... -e <exe> -a "<switches>"
    };

    std::filesystem::path prefix; // absolute

    // The runner: the first of these that exists (see FindProgram).
    std::vector<std::string> programs;
    std::string runnerName; // for the user: "Wine", "Steam", "Proton", ...
    std::vector<std::string> leadingArguments;
    GameArguments gameArguments = GameArguments::ProgramThenSwitches;
    std::vector<std::pair<std::string, std::string>> environment; // set for the runner

    // The prefix's own wine program (the first that exists), to ask a running Wine server of the
    // prefix; empty when the manager's records name none.
    std::vector<std::string> winePrograms;

    // Plain Wine on `prefix`: $WINE when set, else wine on PATH, else wine64.
    static Launcher SystemWine(const std::filesystem::path& prefix);
    // The wine program of a runner folder's bin/ on `prefix`, or the system's when it is not
    // there.
    static Launcher WineProgram(const std::filesystem::path& prefix,
                                const std::filesystem::path& wine);

    // Starts `executable` (native) with `switches` as its command tail and `folder` as working
    // folder, detached; never waits for the game.
    StartResult Start(const std::filesystem::path& executable, std::string_view switches,
                      const std::filesystem::path& folder) const;
};

// The first of `candidates` that is an executable file, as an absolute path; a name without "/" is
// looked up in the absolute folders of PATH. A program named by its path (by a record) runs only
// when CheckProgram trusts it; `refusal` then says why not.
struct FoundProgram {
    std::string path;
    std::string refusal; // empty when the program may run
};
std::optional<FoundProgram> FindProgram(const std::vector<std::string>& candidates);

// The process's environment with `settings` put over it, as NAME=value entries.
std::vector<std::string>
EnvironmentWith(const std::vector<std::pair<std::string, std::string>>& settings);

// WINEPREFIX made absolute when set and not empty, else $HOME/.wine: the prefix Wine itself takes.
std::filesystem::path DefaultWinePrefix();

// The launcher of the installation in use, or nothing before one is chosen.
const Launcher* ChosenLauncher();
// The chosen launcher, or plain Wine on the default prefix.
Launcher CurrentLauncher();

} // namespace tmt::platform
