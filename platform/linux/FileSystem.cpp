#include "platform/FileSystem.h"

#include "platform/PathMap.h"
#include "platform/linux/FileOps.h"

#include <fcntl.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tmt::platform {

namespace {
bool StatFollowing(std::string_view path, struct stat& info) {
    return ::stat(ToNativePath(path).c_str(), &info) == 0;
}
} // namespace

bool FileExists(std::string_view path) {
    struct stat info {};
    return StatFollowing(path, info) && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(std::string_view path) {
    struct stat info {};
    return StatFollowing(path, info) && S_ISDIR(info.st_mode);
}

bool DeleteFile(std::string_view path) {
    const std::filesystem::path native = ToNativePath(path);
    struct stat info {};
    if (::lstat(native.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return false;
    }
    return fileops::RemoveAt(AT_FDCWD, native.c_str(), 0);
}

} // namespace tmt::platform
