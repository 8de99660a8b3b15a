#include "platform/Folders.h"

#include "core/text/Text.h"
#include "platform/linux/FileOps.h"
#include "platform/linux/PathMap.h"
#include "platform/linux/WineCase.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>

namespace tmt::platform {

namespace {

// Wine keeps the DOS attributes of a file in this attribute, as text such as "0x22".
constexpr char kDosAttributes[] = "user.DOSATTRIB";
constexpr unsigned long kHidden = 0x2;
constexpr unsigned long kSystem = 0x4;

std::string_view LastComponent(std::string_view path) {
    const std::size_t last = path.find_last_of("\\/");
    return last == std::string_view::npos ? path : path.substr(last + 1);
}

// CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$ and CONOUT$ name devices in every folder, also
// with an extension, and with blanks before it ("con .txt").
bool IsDeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find_first_of(".:"));
    while (!stem.empty() && stem.back() == ' ') {
        stem.remove_suffix(1);
    }
    const std::string base = UpperAscii(stem);
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
        base == "CONOUT$") {
        return true;
    }
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
           base[3] >= '1' && base[3] <= '9';
}

bool HasHiddenOrSystemAttribute(const std::string& nativePath) {
    std::array<char, 64> value{};
    const ssize_t size =
        ::getxattr(nativePath.c_str(), kDosAttributes, value.data(), value.size() - 1);
    if (size <= 0) {
        return false;
    }
    char* end = nullptr;
    const unsigned long attributes = std::strtoul(value.data(), &end, 16);
    return end != value.data() && (attributes & (kHidden | kSystem)) != 0;
}

bool IsFolder(const std::string& nativePath, unsigned char type) {
    if (type == DT_DIR) {
        return true;
    }
    if (type != DT_LNK && type != DT_UNKNOWN) {
        return false;
    }
    struct stat info {};
    return ::stat(nativePath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsValidWindowsName(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) {
            return false;
        }
    }
    return !IsDeviceName(name);
}

} // namespace

bool CreateDirectory(std::string_view path) {
    std::string_view folder = WithoutTrailingSeparators(path);
    // Windows drops the dots and blanks that end the name; all of them leave the parent, which
    // exists.
    while (!folder.empty() && (folder.back() == ' ' || folder.back() == '.')) {
        folder.remove_suffix(1);
    }
    if (folder.empty() || IsPathSeparator(folder.back()) ||
        !IsValidWindowsName(LastComponent(folder))) {
        return false;
    }
    return fileops::MakeFolder(ToNativePath(folder).string());
}

bool RemoveDirectory(std::string_view path) {
    return fileops::RemoveAt(AT_FDCWD, ToNativePath(WithoutTrailingSeparators(path)).c_str(),
                             AT_REMOVEDIR);
}

bool IsSymbolicLink(std::string_view path) {
    struct stat info {};
    return ::lstat(ToNativePath(WithoutTrailingSeparators(path)).c_str(), &info) == 0 &&
           S_ISLNK(info.st_mode);
}

std::vector<std::string> ListVisibleFolders(std::string_view folder) {
    const std::string native = ToNativePath(WithoutTrailingSeparators(folder)).string();
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(native.c_str()), ::closedir);
    std::vector<std::string> names;
    if (!dir) {
        return names;
    }
    // Wine reads the whole folder and hands the names out sorted, whatever order the file
    // system keeps them in.
    while (const dirent* entry = ::readdir(dir.get())) {
        // Wine hides every name that begins with a dot, "." and ".." included.
        if (entry->d_name[0] == '.') {
            continue;
        }
        const std::string entryPath = native + '/' + entry->d_name;
        if (IsFolder(entryPath, entry->d_type) && !HasHiddenOrSystemAttribute(entryPath)) {
            names.emplace_back(entry->d_name);
        }
    }
    SortAsWineLists(names);
    return names;
}

} // namespace tmt::platform
