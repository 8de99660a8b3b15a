#include "platform/linux/WinePrefix.h"

#include "platform/linux/Launcher.h"

namespace tmt::platform {

std::filesystem::path WinePrefix() {
    if (const Launcher* chosen = ChosenLauncher()) {
        return chosen->prefix;
    }
    return DefaultWinePrefix();
}

} // namespace tmt::platform
