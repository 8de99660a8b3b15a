#pragma once

#include <functional>
#include <string>

namespace tmt {

// What the maintenance window is asked to clear: the contents of the game's Temp folder, and its
// cover-art cache.
struct ClearChoice {
    bool temp = false;
    bool coversCache = false;
};

// The platform's part in clearing, each taking a path in the game's form. The window passes the
// platform's own functions; emptying a folder keeps the folder itself.
struct ClearFunctions {
    std::function<bool(const std::string& folder)> directoryExists;
    std::function<void(const std::string& folder)> emptyFolder;
    std::function<bool(const std::string& folder)> isFolderEmpty;
    std::function<bool(const std::string& file)> fileExists;
    std::function<void(const std::string& file)> deleteFile;
};

// Clears what was chosen in the game's installation folder, the Temp folder first, and tells each
// outcome through `tell` as soon as it is known, before the next task begins. Neither task reports
// on itself: what is left behind afterwards tells whether it succeeded. Returns whether the window
// closes: once every chosen task is done, but not when nothing was chosen.
bool ClearTemporaryData(const std::string& installDir, ClearChoice choice,
                        const ClearFunctions& platform,
                        const std::function<void(const std::string& message)>& tell);

} // namespace tmt
