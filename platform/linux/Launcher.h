#pragma once

#include "platform/Installations.h"
#include "platform/Shell.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tmt::platform {

// How one Wine prefix's programs are started: by the Wine that made the prefix, or through the
// manager that keeps it, so that the prefix is never opened by a Wine of another version.
class Launcher {
public:
    // The runner's arguments for the game's program (native) and its switches.
    using Arguments = std::function<std::vector<std::string>(
        const std::string& executable, const std::vector<std::string>& switches)>;

    std::filesystem::path prefix; // absolute

    // The runner: the first of these that exists (see FindProgram).
    std::vector<std::string> programs;
    std::string runnerName; // for the user: "Wine", "Steam", "Proton", ...
    Arguments arguments = GameThenSwitches();
    std::vector<std::pair<std::string, std::string>> environment; // set for the runner
    // Why the switches cannot reach the game through this runner, as a sentence for the user;
    // empty when they do.
    std::string switchesLost;
    // Why the manager would refuse to start the game, as a sentence for the user; empty when it
    // starts it. Nothing is started then.
    std::string refusal;
    // Programs that a record named and the runner is told to run in its turn (a Proton's script,
    // handed to umu in PROTONPATH): trusted as the runner itself must be, or nothing starts.
    std::vector<std::filesystem::path> handedPrograms;
    // The working folder the manager gives the game, when it is not the game's own folder.
    std::optional<std::filesystem::path> workingFolder;

    // The prefix's own wine program (the first that exists), to ask a running Wine server of the
    // prefix; empty when the manager's records name none.
    std::vector<std::string> winePrograms;

    // `leading`, the game's program, then its switches: wine <exe> <switches>.
    static Arguments GameThenSwitches(std::vector<std::string> leading = {});
    // `leading`, then the switches: the manager knows the program (steam -applaunch <id>).
    static Arguments SwitchesOnly(std::vector<std::string> leading);
    // `leading` alone: the manager takes no switches on this way in.
    static Arguments Fixed(std::vector<std::string> leading);

    // Plain Wine on `prefix`: $WINE when set, else wine on PATH, else wine64.
    static Launcher SystemWine(const std::filesystem::path& prefix);
    // The wine program of a runner folder's bin/ on `prefix`, or the system's when it is not
    // there.
    static Launcher WineProgram(const std::filesystem::path& prefix,
                                const std::filesystem::path& wine);

    // Starts `executable` (native) with `switches` as its command tail and `folder` (or the
    // manager's own working folder) as working folder, detached. Never waits for the game, only for
    // a runner that ends within `settle` (as one does that refuses its arguments), whose failure is
    // then reported.
    StartResult Start(const std::filesystem::path& executable, std::string_view switches,
                      const std::filesystem::path& folder,
                      std::chrono::milliseconds settle = std::chrono::seconds(2)) const;
};

// The first of `candidates` that is an executable file, as an absolute path; a name without "/" is
// looked up in the absolute folders of PATH. A program named by its path (by a record) runs only
// when CheckProgram trusts it; `refusal` then says why not.
struct FoundProgram {
    std::string path;
    std::string refusal; // empty when the program may run
};
std::optional<FoundProgram> FindProgram(const std::vector<std::string>& candidates);

// The entries of a colon-separated list of folders in the environment variable `name` (PATH and
// its like), empty ones kept; none when it is not set.
std::vector<std::string> FolderList(const char* name);

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
