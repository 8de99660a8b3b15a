#include "platform/linux/PathMap.h"

#include "core/text/Text.h"
#include "platform/linux/WineCase.h"
#include "platform/linux/WinePrefix.h"

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
        if (IsPathSeparator(c)) {
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

// The first entry of `folder`, in the order the file system lists them, whose name matches
// `name` without regard to case as Wine folds it; Wine resolves the game's names that way.
std::optional<std::string> FindWithoutCase(const fs::path& folder, const std::string& name) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) {
        return std::nullopt;
    }
    const std::u16string wanted = WineUpcased(name);
    while (const dirent* entry = ::readdir(dir.get())) {
        if (WineUpcased(entry->d_name) == wanted) {
            return std::string(entry->d_name);
        }
    }
    return std::nullopt;
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

// A path of a drive ("X:" and what follows) as GetFullPathNameW makes it under Wine: "/" is a
// separator, repeated separators are one, "." and ".." go, a folder name on the way loses one
// dot at its end, and the whole path loses the dots and blanks at its end.
std::string FullPathOnDrive(std::string_view path) {
    std::string full{path[0], ':', '\\'};
    for (const char c : path.substr(2)) {
        const char separator = c == '/' ? '\\' : c;
        if (separator != '\\' || full.back() != '\\') {
            full += separator;
        }
    }
    constexpr std::size_t kRoot = 3; // nothing goes above "X:\"
    std::size_t at = kRoot;
    while (at < full.size()) {
        if (full[at] == '.') {
            const std::size_t rest = full.size() - at;
            if (rest >= 2 && full[at + 1] == '\\') { // ".\"
                full.erase(at, 2);
                continue;
            }
            if (rest == 1) { // "." at the end
                full.resize(at > kRoot ? at - 1 : at);
                break;
            }
            if (full[at + 1] == '.' && (rest == 2 || full[at + 2] == '\\')) { // ".." or "..\"
                std::size_t start = at;
                if (start > kRoot) {
                    --start;
                    while (start > kRoot && full[start - 1] != '\\') {
                        --start;
                    }
                }
                if (rest == 2) {
                    full.resize(start > kRoot ? start - 1 : start);
                    break;
                }
                full.erase(start, at + 3 - start);
                at = start;
                continue;
            }
        }
        while (at < full.size() && full[at] != '\\') {
            ++at;
        }
        if (at < full.size()) {
            if (at > kRoot && full[at - 1] == '.') {
                full.erase(at - 1, 1);
            } else {
                ++at;
            }
        }
    }
    while (full.size() > kRoot && (full.back() == ' ' || full.back() == '.')) {
        full.pop_back();
    }
    return full;
}

// The drive a path that begins with a single backslash lies on: the one of the current folder,
// as Windows takes it; C: when no drive holds the current folder.
char CurrentDrive() {
    std::error_code error;
    const std::string current = ToWindowsPath(fs::current_path(error));
    return !error && current.size() >= 2 && current[1] == ':' && IsDriveLetter(current[0])
               ? current[0]
               : 'C';
}

} // namespace

fs::path ToNativePath(std::string_view windowsPath) {
    return ToNativePathIn(WinePrefix(), windowsPath);
}

fs::path ToNativePathIn(const fs::path& prefix, std::string_view windowsPath) {
    if (!windowsPath.empty() && windowsPath.front() == '/') {
        return AppendResolvingCase("/", SplitComponents(windowsPath));
    }
    if (windowsPath.size() >= 2 && windowsPath[0] == '\\' && windowsPath[1] != '\\') {
        // Rooted but without a drive: the root of the current drive, never the current folder.
        return ToNativePathIn(prefix, std::string{CurrentDrive(), ':'} + std::string(windowsPath));
    }
    if (windowsPath.size() >= 2 && IsDriveLetter(windowsPath[0]) && windowsPath[1] == ':') {
        // The drive's link stays in the path: the system follows it, and a link that loops or
        // points nowhere simply makes the later file operation fail.
        const fs::path drive = prefix / "dosdevices" / std::string{LowerAscii(windowsPath[0]), ':'};
        const std::string full = FullPathOnDrive(windowsPath);
        return AppendResolvingCase(drive, SplitComponents(std::string_view(full).substr(2)));
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
    std::string result{UpperAscii(*bestDrive), ':'};
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
