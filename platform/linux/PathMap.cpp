#include "platform/PathMap.h"

#include "platform/Text.h"
#include "platform/WinePrefix.h"

#include <dirent.h>

#include <algorithm>

#include <memory>
#include <optional>
#include <system_error>
#include <vector>

namespace tmt::platform {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> SplitComponents(std::string_view path) {
    std::vector<std::string> components;
    std::string current;
    for (const char c : path) {
        if (c == '\\' || c == '/') {
            if (!current.empty()) {
                components.push_back(std::move(current));
                current.clear();
            }
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        components.push_back(std::move(current));
    }
    return components;
}

// The one entry of `folder` whose name matches `name` without regard to a-z case, when there is
// exactly one; Wine resolves the game's names that way.
std::optional<std::string> FindWithoutCase(const fs::path& folder, const std::string& name) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) {
        return std::nullopt;
    }
    std::optional<std::string> found;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (EqualsIgnoreAsciiCase(entry->d_name, name)) {
            if (found) {
                return std::nullopt;
            }
            found = entry->d_name;
        }
    }
    return found;
}

// Appends the components to `base`, choosing for each the existing spelling; once a component
// does not exist, the rest keep the spelling given.
fs::path AppendResolvingCase(fs::path base, const std::vector<std::string>& components) {
    bool resolving = true;
    for (const std::string& component : components) {
        if (resolving && component != "." && component != "..") {
            std::error_code error;
            if (!fs::exists(fs::symlink_status(base / component, error))) {
                if (auto existing = FindWithoutCase(base, component)) {
                    base /= *existing;
                    continue;
                }
                resolving = false;
            }
        }
        base /= component;
    }
    return base;
}

bool IsDriveLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

fs::path ToNativePath(std::string_view windowsPath) {
    if (!windowsPath.empty() && windowsPath.front() == '/') {
        return AppendResolvingCase("/", SplitComponents(windowsPath));
    }
    if (windowsPath.size() >= 2 && IsDriveLetter(windowsPath[0]) && windowsPath[1] == ':') {
        // The drive's link stays in the path: the system follows it, and a link that loops or
        // points nowhere simply makes the later file operation fail.
        const fs::path drive =
            WinePrefix() / "dosdevices" / std::string{LowerAscii(windowsPath[0]), ':'};
        return AppendResolvingCase(drive, SplitComponents(windowsPath.substr(2)));
    }
    // Neither a drive nor a native root: keep it relative, with the separators the host uses.
    fs::path relative;
    for (const std::string& component : SplitComponents(windowsPath)) {
        relative /= component;
    }
    return relative;
}

std::string ToWindowsPath(const fs::path& nativePath) {
    std::error_code error;
    const fs::path path = fs::weakly_canonical(fs::absolute(nativePath, error), error);
    if (error) {
        return nativePath.string();
    }
    const fs::path devices = WinePrefix() / "dosdevices";
    std::optional<char> bestDrive;
    fs::path bestTarget;
    std::size_t bestLength = 0;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const fs::path link = devices / std::string{letter, ':'};
        fs::path target = fs::canonical(link, error);
        if (error) {
            continue;
        }
        const auto [targetEnd, pathAt] =
            std::mismatch(target.begin(), target.end(), path.begin(), path.end());
        const std::size_t length =
            static_cast<std::size_t>(std::distance(target.begin(), target.end()));
        if (targetEnd == target.end() && (!bestDrive || length > bestLength)) {
            bestDrive = letter;
            bestTarget = std::move(target);
            bestLength = length;
        }
    }
    if (!bestDrive) {
        return nativePath.string();
    }
    std::string result{static_cast<char>(*bestDrive - 'a' + 'A'), ':'};
    const fs::path rest = path.lexically_relative(bestTarget);
    for (const fs::path& component : rest) {
        if (component != ".") {
            result += '\\';
            result += component.string();
        }
    }
    if (result.size() == 2) {
        result += '\\';
    }
    return result;
}

} // namespace tmt::platform
