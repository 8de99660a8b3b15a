#include "platform/Installations.h"

#include "platform/Registry.h"

#include <exception>

namespace tmt::platform {

// On Windows the game's installer writes its record into the one registry the program reads;
// there is no prefix and no other way to start the game than the shell's.
class Launcher {};

std::vector<Installation> FindInstallations(std::string_view keyPath, const std::stop_token&) {
    Registry registry;
    if (!registry.OpenKey(keyPath)) {
        return {};
    }
    const auto text = [&registry](const char* name) {
        try {
            return registry.ReadString(name);
        } catch (const std::exception&) {
            return std::string();
        }
    };
    return {{"Windows registry", "", text("InstallDir"), text("InstallVer"),
             std::make_shared<const Launcher>()}};
}

void UseInstallation(const Installation*) {}

} // namespace tmt::platform
