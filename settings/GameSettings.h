#pragma once

#include "game/GameLayout.h"
#include "settings/IniFile.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tmt {

// The five settings of the game's config.ini that the tool knows, and how they are read.
inline std::string GameSettingsPath(const std::string& installDir) {
    return installDir + game::kSettingsFile;
}

// The stored resolution, upper-cased and split at its first "X"; either part may be empty or not
// a number. Nothing when the value holds no "X".
struct StoredResolution {
    std::string width;
    std::string height;
};
std::optional<StoredResolution> ReadResolution(const IniFile& ini);

enum class FullScreenSetting { On, Off, Unrecognised };
FullScreenSetting ReadFullScreen(const IniFile& ini);

std::int32_t ReadScreens(const IniFile& ini);       // 1 and 2 are meaningful; -1 when absent
std::string ReadSongsFolder(const IniFile& ini);    // "Default" when absent
std::int32_t ReadUpdateChannel(const IniFile& ini); // 0, 1 and 2 are meaningful; 0 when absent

inline constexpr char kDefaultSongsFolder[] = "Default";

// What the configuration window saves, written key by key in the game's order.
struct GameSettingsChoice {
    std::string width;
    std::string height;
    std::string songsFolder; // exactly "Default" removes the key
    bool fullScreen = true;
    std::int32_t screens = 1;
    std::int32_t updateChannel = 0;
};
void SaveGameSettings(IniFile& ini, const GameSettingsChoice& choice);
// Raises the error that saving would raise when the file cannot hold the texts of the choice,
// without writing anything.
void CheckSettingsFit(const IniFile& ini, const GameSettingsChoice& choice);

} // namespace tmt
