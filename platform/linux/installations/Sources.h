#pragma once

#include "platform/linux/Launcher.h"
#include "platform/linux/OwnedFiles.h"

#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace tmt::platform::installations {

// A Wine prefix that a manager keeps, before its registry was looked at.
struct Candidate {
    std::string source; // "Steam: TuneMora"
    Launcher launcher;  // its prefix among the rest
};

// The user's folders as the managers find them: $HOME, $XDG_CONFIG_HOME and $XDG_DATA_HOME with
// their defaults; and the search's stop, which every reader looks at between records.
struct Home {
    std::filesystem::path home;
    std::filesystem::path config;
    std::filesystem::path data;
    std::stop_token stop;

    static Home FromEnvironment(const std::stop_token& stop = {});
    bool Stopped() const { return stop.stop_requested(); }
    // The folder a Flatpak application keeps its own home-relative files in.
    std::filesystem::path Flatpak(const std::string& application) const;
    // Whether the Flatpak application is installed for this user or for the system.
    bool FlatpakInstalled(const std::string& application) const;
};

// Each reader of a manager's records, in the order the search takes them.
std::vector<Candidate> SteamPrefixes(const Home& home);
std::vector<Candidate> LutrisPrefixes(const Home& home);
std::vector<Candidate> BottlesPrefixes(const Home& home);
std::vector<Candidate> HeroicPrefixes(const Home& home);
std::vector<Candidate> PlayOnLinuxPrefixes(const Home& home);

// Helpers shared by the readers. A record is read with ReadOwnedFile and its cap.
// The names in a folder, sorted; nothing when it cannot be read.
std::vector<std::string> FolderNames(const std::filesystem::path& folder);
bool IsFolder(const std::filesystem::path& path);
bool IsFile(const std::filesystem::path& path);
// A name from a record that names one entry of a folder: not empty, no "/", not "." or "..".
bool PlainName(const std::string& name);
// A path from a manager's record: "~/" stands for the home folder; only absolute paths count.
std::optional<std::filesystem::path> RecordedPath(const std::string& text,
                                                  const std::filesystem::path& home);
// The wine programs of the Proton whose script is `proton`: in files/ beside it, or in dist/ in
// older releases.
std::vector<std::string> ProtonWine(const std::filesystem::path& proton);

} // namespace tmt::platform::installations
