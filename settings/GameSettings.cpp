#include "settings/GameSettings.h"

#include "core/text/Text.h"

namespace tmt {

std::optional<StoredResolution> ReadResolution(const IniFile& ini) {
    const std::string value = UpperAscii(ini.ReadString("Graphics", "Resolution", ""));
    const std::size_t separator = value.find('X');
    if (separator == std::string::npos) {
        return std::nullopt;
    }
    return StoredResolution{value.substr(0, separator), value.substr(separator + 1)};
}

FullScreenSetting ReadFullScreen(const IniFile& ini) {
    const std::string value = UpperAscii(ini.ReadString("Graphics", "FullScreen", ""));
    if (value == "ON") {
        return FullScreenSetting::On;
    }
    if (value == "OFF") {
        return FullScreenSetting::Off;
    }
    return FullScreenSetting::Unrecognised;
}

std::int32_t ReadScreens(const IniFile& ini) {
    return ini.ReadInteger("Graphics", "Screens", -1);
}

std::string ReadSongsFolder(const IniFile& ini) {
    return ini.ReadString("Path", "Songs", kDefaultSongsFolder);
}

std::int32_t ReadUpdateChannel(const IniFile& ini) {
    return ini.ReadInteger("Net", "UpdateChannel", 0);
}

namespace {
std::string ResolutionText(const GameSettingsChoice& choice) {
    return choice.width + "x" + choice.height;
}
} // namespace

void CheckSettingsFit(const IniFile& ini, const GameSettingsChoice& choice) {
    ini.CheckStorable({ResolutionText(choice), choice.songsFolder});
}

void SaveGameSettings(IniFile& ini, const GameSettingsChoice& choice) {
    const std::string resolution = ResolutionText(choice);
    // Either every value fits the file, or nothing is written.
    ini.PrepareFor({resolution, choice.songsFolder});
    ini.WriteString("Graphics", "Resolution", resolution);
    if (choice.songsFolder == kDefaultSongsFolder) {
        ini.DeleteKey("Path", "Songs");
    } else {
        ini.WriteString("Path", "Songs", choice.songsFolder);
    }
    ini.WriteString("Graphics", "FullScreen", choice.fullScreen ? "On" : "Off");
    ini.WriteInteger("Graphics", "Screens", choice.screens);
    ini.WriteInteger("Net", "UpdateChannel", choice.updateChannel);
}

} // namespace tmt
