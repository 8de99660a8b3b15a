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
    // Wine refuses to delete a read-only file, for root too: one without any write bit, or
    // whose link leads to such a file. Players make config.ini read-only to keep it as it is.
    struct stat target {};
    if (::stat(native.c_str(), &target) == 0 && S_ISREG(target.st_mode) &&
        (target.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
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
