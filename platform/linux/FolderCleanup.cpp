#include "platform/FolderCleanup.h"

#include "platform/PathMap.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace tmt::platform {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool PermissionRefused() {
    return errno == EACCES || errno == EPERM;
}

// Gives a folder of the tree its owner's read, write and search rights, as the Windows cleanup
// clears the attributes that stop a deletion.
void GrantOwner(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) == 0) {
        ::fchmod(fd, (info.st_mode & 07777) | S_IRWXU);
    }
}

// Opens the sub-folder `name` of `parent` without following a link; when the rights refuse it,
// grants them (the folder is inside the tree) and tries once more.
int OpenSubFolder(int parent, const char* name) {
    int fd = ::openat(parent, name, kFolderFlags);
    if (fd < 0 && PermissionRefused()) {
        ::fchmodat(parent, name, S_IRWXU, 0);
        fd = ::openat(parent, name, kFolderFlags);
    }
    return fd;
}

// Empties the folder open as `fd` (which it takes over). Everything is addressed relative to an
// open folder, so a folder swapped for a link meanwhile cannot lead the cleanup outside the tree.
void EmptyFolder(int fd) {
    Dir dir(::fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return;
    }
    const int self = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        const char* name = entry->d_name;
        if (IsDotOrDotDot(name)) {
            continue;
        }
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            isFolder =
                ::fstatat(self, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
        }
        if (isFolder) {
            const int child = OpenSubFolder(self, name);
            if (child >= 0) {
                EmptyFolder(child);
            }
        }
        const int flags = isFolder ? AT_REMOVEDIR : 0;
        if (::unlinkat(self, name, flags) != 0 && PermissionRefused()) {
            GrantOwner(self);
            ::unlinkat(self, name, flags);
        }
    }
}

std::string WithoutTrailingSeparators(std::string_view path) {
    std::string trimmed(path);
    while (trimmed.size() > 1 && (trimmed.back() == '\\' || trimmed.back() == '/')) {
        trimmed.pop_back();
    }
    return trimmed;
}

} // namespace

void CleanupDir(std::string_view folder) {
    // The folder the user asked to clear is followed when it is a link.
    const int fd = ::open(ToNativePath(WithoutTrailingSeparators(folder)).c_str(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        EmptyFolder(fd);
    }
}

bool IsFolderEmpty(std::string_view folder) {
    const Dir dir(::opendir(ToNativePath(WithoutTrailingSeparators(folder)).c_str()));
    if (!dir) {
        return false;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!IsDotOrDotDot(entry->d_name)) {
            return false;
        }
    }
    return true;
}

} // namespace tmt::platform
