#pragma once

namespace tmt::game {

// Where the game keeps its files. Each name is appended to the installation folder (a path in the
// game's form, as the installation record gives it, without a closing backslash), or to a
// profile's folder for the two names of a profile.

inline constexpr char kExecutable[] = "\\Tunemora.exe";
inline constexpr char kSettingsFile[] = "\\config.ini";
// One folder below it for each player profile.
inline constexpr char kProfilesFolder[] = "\\Profiles";
// With its closing backslash: the folder's contents are the game's temporary data.
inline constexpr char kTempFolder[] = "\\Temp\\";
inline constexpr char kCoversCache[] = "\\covers.cache";

inline constexpr char kProfileFile[] = "\\profile.prf";
// The name, not a path: the profile file names its avatar by it.
inline constexpr char kAvatarFileName[] = "avatar.jpg";

} // namespace tmt::game
