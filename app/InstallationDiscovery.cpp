#include "app/InstallationDiscovery.h"

#include "core/text/Text.h"
#include "game/GameLayout.h"

namespace tmt {

namespace {

// The program's folder: its path up to the last separator; a drive root keeps its backslash.
std::string ToolFolder(const std::string& self) {
    const std::size_t last = self.find_last_of("\\/");
    if (last == std::string::npos) {
        return self;
    }
    if (last == 2 && self[1] == ':') {
        return self.substr(0, 3);
    }
    return self.substr(0, last);
}

std::string WithTrailingBackslash(std::string path) {
    if (path.empty() || path.back() != '\\') {
        path += '\\';
    }
    return path;
}

bool SameFolder(const std::string& a, const std::string& b) {
    return UpperAscii(WithTrailingBackslash(a)) == UpperAscii(WithTrailingBackslash(b));
}

} // namespace

InstallationFolder
DiscoverInstallationFolder(const std::string& recordedFolder, const std::string& ownExecutable,
                           const std::function<bool(const std::string& path)>& fileExists) {
    using Source = InstallationFolder::Source;
    const std::string toolFolder = ToolFolder(ownExecutable);
    if (fileExists(toolFolder + game::kExecutable)) {
        return SameFolder(toolFolder, recordedFolder)
                   ? InstallationFolder{Source::Recorded, recordedFolder}
                   : InstallationFolder{Source::ToolFolder, toolFolder};
    }
    if (!fileExists(recordedFolder + game::kExecutable)) {
        return {Source::Missing, recordedFolder};
    }
    return {Source::Recorded, recordedFolder};
}

std::string MissingFolderMessage(const std::string& recordedFolder) {
    return "Found path (" + recordedFolder +
           ") to TuneMora but this directory doesnt exist! Please reinstall TuneMora.";
}

std::string VersionText(const std::optional<platform::FixedFileInfo>& info) {
    const platform::FixedFileInfo version = info.value_or(platform::FixedFileInfo{});
    return std::to_string(version.fileVersionMS >> 16) + "." +
           std::to_string(version.fileVersionMS & 0xFFFF) + "." +
           std::to_string(version.fileVersionLS >> 16) + "." +
           std::to_string(version.fileVersionLS & 0xFFFF);
}

} // namespace tmt
