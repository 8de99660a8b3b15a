#include "platform/Installations.h"

#include "platform/Registry.h"
#include "platform/windows/WideText.h"

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

std::optional<std::filesystem::file_time_type> LastWriteTime(const Installation&,
                                                             std::string_view path) {
    const std::filesystem::path file(Wide(path));
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return std::nullopt;
    }
    const auto time = std::filesystem::last_write_time(file, error);
    return error ? std::nullopt : std::optional(time);
}

} // namespace tmt::platform
