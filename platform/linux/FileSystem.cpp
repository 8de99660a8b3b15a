#include "platform/FileSystem.h"

#include "platform/linux/FileOps.h"
#include "platform/linux/PathMap.h"

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
    // A link to a read-only file is not deleted either.
    struct stat target {};
    if (::stat(native.c_str(), &target) == 0 && fileops::IsReadOnly(target)) {
        return false;
    }
    return fileops::RemoveAt(AT_FDCWD, native.c_str(), 0);
}

bool FolderOfFileExists(std::string_view path) {
    std::error_code error;
    return std::filesystem::is_directory(ToNativePath(path).parent_path(), error);
}

FileHandle OpenFileForReading(std::string_view path) {
    return FileHandle(std::fopen(ToNativePath(path).c_str(), "rbe"));
}

std::string ToGamePath(const std::filesystem::path& hostPath) {
    return ToWindowsPath(hostPath);
}

} // namespace tmt::platform
