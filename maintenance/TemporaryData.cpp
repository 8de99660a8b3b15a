#include "maintenance/TemporaryData.h"

#include "game/GameLayout.h"

namespace tmt {

namespace {

void ClearTemp(const std::string& installDir, const ClearFunctions& platform,
               const std::function<void(const std::string&)>& tell) {
    const std::string temp = installDir + game::kTempFolder;
    if (!platform.directoryExists(temp)) {
        tell("Temp directory not found.");
        return;
    }
    platform.emptyFolder(temp);
    tell(platform.isFolderEmpty(temp)
             ? "Temp directory cleanup complete!"
             : "Temp directory cleanup incomplete: some files could not be deleted.");
}

void ClearCoversCache(const std::string& installDir, const ClearFunctions& platform,
                      const std::function<void(const std::string&)>& tell) {
    const std::string cache = installDir + game::kCoversCache;
    if (!platform.fileExists(cache)) {
        tell("Covers cache not found.");
        return;
    }
    platform.deleteFile(cache);
    tell(platform.fileExists(cache) ? "Covers cache could not be deleted!"
                                    : "Covers cache deleted!");
}

} // namespace

bool ClearTemporaryData(const std::string& installDir, ClearChoice choice,
                        const ClearFunctions& platform,
                        const std::function<void(const std::string& message)>& tell) {
    if (choice.temp) {
        ClearTemp(installDir, platform, tell);
    }
    if (choice.coversCache) {
        ClearCoversCache(installDir, platform, tell);
    }
    if (!choice.temp && !choice.coversCache) {
        tell("Nothing checked. Not clearing.");
        return false;
    }
    return true;
}

} // namespace tmt
