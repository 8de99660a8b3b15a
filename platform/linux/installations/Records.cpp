#include "platform/linux/installations/Sources.h"

#include <cstdlib>
#include <sys/stat.h>

#include <algorithm>
#include <system_error>

namespace tmt::platform::installations {

namespace fs = std::filesystem;

namespace {
fs::path FromEnvironment(const char* name, const fs::path& fallback) {
    const char* value = std::getenv(name);
    // XDG base directories must be absolute; a relative value is ignored, as desktops ignore it.
    if (value == nullptr || *value != '/') {
        return fallback;
    }
    return value;
}
} // namespace

Home Home::FromEnvironment(const std::stop_token& stop) {
    Home found;
    found.stop = stop;
    const char* home = std::getenv("HOME");
    found.home = home != nullptr ? home : "";
    found.config = installations::FromEnvironment("XDG_CONFIG_HOME", found.home / ".config");
    found.data = installations::FromEnvironment("XDG_DATA_HOME", found.home / ".local" / "share");
    return found;
}

fs::path Home::Flatpak(const std::string& application) const {
    return home / ".var" / "app" / application;
}

bool Home::FlatpakInstalled(const std::string& application) const {
    return IsFolder(data / "flatpak" / "app" / application) ||
           IsFolder(fs::path("/var/lib/flatpak/app") / application);
}

std::vector<std::string> FolderNames(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        names.push_back(entry->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool IsFolder(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsFile(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool PlainName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
}

std::optional<fs::path> RecordedPath(const std::string& text, const fs::path& home) {
    if (text.rfind("~/", 0) == 0) {
        return home / text.substr(2);
    }
    if (text.empty() || text.front() != '/') {
        return std::nullopt;
    }
    return fs::path(text);
}

std::vector<std::string> ProtonWine(const fs::path& proton) {
    const fs::path base = proton.parent_path();
    return {(base / "files" / "bin" / "wine").string(), (base / "dist" / "bin" / "wine").string()};
}

} // namespace tmt::platform::installations
