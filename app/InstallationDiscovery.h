#pragma once

#include "platform/VersionInfo.h"

#include <functional>
#include <optional>
#include <string>

namespace tmt {

inline constexpr char kNonDefaultVersion[] = "Non default installation. Cannot read version.";
// Shown in the folder's place while the installations are searched for ("\xE2\x80\xA6" is the
// ellipsis in UTF-8).
inline constexpr char kSearchingText[] = "Searching for TuneMora\xE2\x80\xA6";
inline constexpr char kNoInstallationReason[] =
    "Wrong or none directory in registry. Please reinstall TuneMora!";
// Shown instead when the game is installed in several places and the user took none of them.
inline constexpr char kNoInstallationChosen[] = "No installation chosen.";

// Which folder the tools work on, decided once when the main window is created.
struct InstallationFolder {
    enum class Source {
        // The recorded folder: it holds the game, or the program stands in it.
        Recorded,
        // The program stands in another folder that holds the game; that folder wins, and its
        // version is unknown (kNonDefaultVersion).
        ToolFolder,
        // Neither folder holds the game: the tools cannot work.
        Missing,
    };
    Source source;
    // The folder taken; for Missing, the recorded folder that was looked in.
    std::string folder;
};

// `recordedFolder` is what the installation key records, empty when the key could not be read;
// `ownExecutable` is the program's own path. A folder holds the game when `fileExists` finds its
// executable there. The two folders count as one when they are equal after upper-casing the
// letters a to z and ending both in a backslash.
InstallationFolder
DiscoverInstallationFolder(const std::string& recordedFolder, const std::string& ownExecutable,
                           const std::function<bool(const std::string& path)>& fileExists);

// The error shown when no folder holds the game, naming the recorded folder.
std::string MissingFolderMessage(const std::string& recordedFolder);

// The file version of a version record, as "major.minor.release.build"; "0.0.0.0" without one.
std::string VersionText(const std::optional<platform::FixedFileInfo>& info);

} // namespace tmt
