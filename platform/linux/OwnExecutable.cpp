#include "platform/OwnExecutable.h"

#include "platform/linux/PathMap.h"

#include <filesystem>
#include <system_error>

namespace tmt::platform {

namespace {
std::string& TestOverride() {
    static std::string path;
    return path;
}
} // namespace

std::string OwnExecutablePath() {
    if (!TestOverride().empty()) {
        return TestOverride();
    }
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return ToWindowsPath(error ? std::filesystem::path() : self);
}

void SetOwnExecutablePathForTesting(std::string path) {
    TestOverride() = std::move(path);
}

} // namespace tmt::platform
