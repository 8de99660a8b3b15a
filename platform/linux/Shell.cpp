#include "platform/Shell.h"

#include "core/text/Text.h"

#include "platform/linux/Launcher.h"
#include "platform/linux/PathMap.h"

#include <sys/stat.h>

namespace tmt::platform {

StartResult ShellOpen(std::string_view file, std::string_view parameters,
                      std::string_view directory) {
    const std::filesystem::path executable = ToNativePath(WithoutQuotes(file));
    const std::filesystem::path folder = ToNativePath(WithoutQuotes(directory));
    struct stat info {};
    if (::stat(executable.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return {false, "The file was not found."};
    }
    // The game runs in its own installation's prefix, through that installation's runner.
    return CurrentLauncher().Start(executable, parameters, folder);
}

std::string ParametersLostReason() {
    const Launcher* chosen = ChosenLauncher();
    return chosen != nullptr ? chosen->switchesLost : std::string();
}

} // namespace tmt::platform
