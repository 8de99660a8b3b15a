#pragma once

#include "settings/IniFile.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tmt {

// The game's player profiles: one folder each below <installation>\Profiles, holding the INI file
// profile.prf (section "profile": name, login, locked, avatar) and maybe avatar.jpg.

inline constexpr char kProfileSection[] = "profile";
inline constexpr char kNameNotFound[] = "Error - Name not found";
inline constexpr char kSeparatorInName[] = "Profile name cannot contain \\ or /.";
inline constexpr char kDotInFront[] =
    "Profile name cannot begin with a dot: the game does not show such a profile.";
inline constexpr char kCannotCopyAvatar[] = "Cannot copy avatar file to profile folder!";

std::string ProfileFolderPath(const std::string& installDir, const std::string& folderName);
std::string ProfileFilePath(const std::string& installDir, const std::string& folderName);
// A path without its last element.
std::string FolderPart(const std::string& path);

struct ListedProfile {
    std::string displayName; // the name key, or kNameNotFound
    std::string folderName;
};

// Every visible folder of Profiles, in the order the file system lists them; nothing when the
// Profiles folder is missing.
std::vector<ListedProfile> ListProfiles(const std::string& installDir);

// Why a typed name can have no profile folder: one holding \ or / would lead outside Profiles,
// and one beginning with a dot would make a folder that is hidden from the game and from the
// list. Nothing when the name will do.
std::optional<std::string> RefusedProfileName(const std::string& typedName);

// Makes the folder of a new profile and returns the path of its profile file. When a folder of
// the typed name exists already, the name gets a random number appended until it is new. The
// folder is named as Windows names it, without trailing dots and blanks, and the profile file is
// placed in that folder. A folder that cannot be made is not reported here: the first write to
// the file then fails. Nothing is made, and nothing returned, for a refused name.
std::optional<std::string> CreateProfileFolder(const std::string& installDir,
                                               const std::string& typedName);

// Removes the folder of a new profile again when nothing could be written into it.
void RemoveEmptyProfileFolder(const std::string& profilePath);

// The keys present in a profile file; an absent key stays empty.
struct LoadedProfile {
    std::optional<std::string> name;
    std::optional<std::string> login;
    std::optional<std::string> locked;
    std::optional<std::string> avatar;
};
LoadedProfile LoadProfile(const IniFile& profile);

bool IsLocked(std::string_view lockedValue);

// The path of an avatar named in the profile file: the profile's folder + "\" + the name.
std::string AvatarPath(const std::string& profilePath, const std::string& avatarName);

struct ProfileValues {
    std::string name;
    std::string login;
    bool locked = false;
    std::string chosenPicture; // the picture shown, in the game's form; empty for none
};

// Writes the keys in the game's order and stores, keeps or drops the avatar; `storedAvatar` (the
// avatar name the profile had) is updated to what the file now says. Raises tmt::Error when a key
// cannot be written, and before anything is written when the file cannot hold the name or the
// login; returns false when the picture could not be copied into the folder, in which
// case the profile is left without an avatar.
bool WriteProfile(IniFile& profile, const ProfileValues& values, std::string& storedAvatar);
// The error WriteProfile would raise before writing when the file cannot hold the name or the
// login, raised without writing anything.
void CheckProfileFits(const IniFile& profile, const ProfileValues& values);

// Removes the profile's folder with everything in it, the lock notwithstanding. `cleanup` empties
// a folder (the main window's, so the user sees the busy cursor).
void DeleteProfile(const std::string& installDir, const std::string& folderName,
                   const std::function<void(const std::string&)>& cleanup);

} // namespace tmt
