#include "platform/FolderCleanup.h"

#include "core/text/Text.h"

#include "platform/linux/FileOps.h"
#include "platform/linux/FolderReader.h"
#include "platform/linux/PathMap.h"
#include "platform/linux/UniqueFd.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <vector>

namespace tmt::platform {

namespace {

constexpr int kSubFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Folders held open at once. Deeper trees park the outer folders and open them again through
// "..", so the walk never runs out of descriptors, however deep the tree.
constexpr std::size_t kMaxOpenFolders = 32;

bool PermissionRefused() {
    return errno == EACCES || errno == EPERM;
}

// One folder on the way down from the folder being emptied.
struct Level {
    explicit Level(UniqueFd fd, std::string nameInParent = {})
        : reader(std::move(fd)), name(std::move(nameInParent)) {}

    FolderReader reader;
    std::string name;
    // Who the folder is, taken when it is parked, so that reopening it through ".." can tell
    // whether the tree was moved meanwhile.
    dev_t device = 0;
    ino_t inode = 0;
    bool rightsGiven = false;
    bool somethingStays = false;
};

// Every entry is addressed relative to the open folder that holds it and folders are opened
// without following links, so a folder swapped for a link meanwhile cannot lead the walk outside
// the tree, and a link inside is deleted as a link.
class TreeEmptier {
public:
    explicit TreeEmptier(UniqueFd root) { levels_.emplace_back(std::move(root)); }

    void Run() {
        while (!levels_.empty()) {
            if (const struct dirent64* entry = levels_.back().reader.Next()) {
                Handle(*entry);
            } else {
                Ascend();
            }
        }
    }

private:
    Level& Current() { return levels_.back(); }

    void Handle(const struct dirent64& entry) {
        Level& level = Current();
        unsigned char type = entry.d_type;
        if (type == DT_UNKNOWN) {
            type = LookUpType(level, entry.d_name);
            if (type == DT_UNKNOWN) {
                return;
            }
        }
        if (type != DT_DIR) {
            Remove(level, entry.d_name, 0);
            return;
        }
        UniqueFd child = OpenSubFolder(level, entry.d_name);
        if (child.IsOpen()) {
            Descend(std::move(child), entry.d_name);
        } else if (errno == ENOTDIR || errno == ELOOP) {
            // Replaced by a file or a link since it was listed: that goes as it is.
            Remove(level, entry.d_name, 0);
        } else if (errno != ENOENT) {
            level.somethingStays = true;
        }
    }

    // For file systems whose listings carry no entry types. DT_UNKNOWN when the entry is gone or
    // cannot be looked at; the latter stays.
    static unsigned char LookUpType(Level& level, const char* name) {
        struct stat info {};
        if (::fstatat(level.reader.Fd(), name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                level.somethingStays = true;
            }
            return DT_UNKNOWN;
        }
        return S_ISDIR(info.st_mode) ? DT_DIR : DT_REG;
    }

    // A sub-folder that refuses to open for want of rights gets its owner's rights, and so does
    // the folder holding it, whose search right the opening needs.
    UniqueFd OpenSubFolder(Level& level, const char* name) {
        const int parent = level.reader.Fd();
        UniqueFd child(::openat(parent, name, kSubFolderFlags));
        if (child.IsOpen() || !PermissionRefused()) {
            return child;
        }
        if (!level.rightsGiven) {
            GiveRights(level);
        }
        struct stat info {};
        if (::fstatat(parent, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode)) {
            ::fchmodat(parent, name, (info.st_mode & 07777) | S_IRWXU, AT_SYMLINK_NOFOLLOW);
        }
        return UniqueFd(::openat(parent, name, kSubFolderFlags));
    }

    void Descend(UniqueFd child, const char* name) {
        if (levels_.size() - firstOpen_ >= kMaxOpenFolders) {
            Park(levels_[firstOpen_]);
            ++firstOpen_;
        }
        levels_.emplace_back(std::move(child), name);
    }

    void Park(Level& level) {
        struct stat info {};
        ::fstat(level.reader.Fd(), &info);
        level.device = info.st_dev;
        level.inode = info.st_ino;
        level.reader.Park();
    }

    // The current folder has been read to its end: remove it from its parent, unless something
    // below it stays. Its descriptor closes only afterwards; an open folder can be removed.
    void Ascend() {
        Level done = std::move(levels_.back());
        levels_.pop_back();
        if (levels_.empty()) {
            return;
        }
        Level& parent = Current();
        if (!parent.reader.IsOpen() && !Reopen(parent, done.reader.Fd())) {
            // The tree was moved away under the walk: what is left stays.
            levels_.clear();
            return;
        }
        if (done.somethingStays) {
            parent.somethingStays = true;
        } else {
            Remove(parent, done.name.c_str(), AT_REMOVEDIR);
        }
    }

    bool Reopen(Level& parent, int child) {
        UniqueFd fd(::openat(child, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat info {};
        if (!fd.IsOpen() || ::fstat(fd.Get(), &info) != 0 || info.st_dev != parent.device ||
            info.st_ino != parent.inode) {
            return false;
        }
        parent.reader.Resume(std::move(fd));
        --firstOpen_;
        return true;
    }

    // A delete refused for want of rights is tried once more after the folder holding the entry
    // got its owner's write and search rights, as the Windows cleanup clears the attributes.
    void Remove(Level& level, const char* name, int flags) {
        const int folder = level.reader.Fd();
        if (fileops::RemoveAt(folder, name, flags) || errno == ENOENT) {
            return;
        }
        if (PermissionRefused() && !level.rightsGiven) {
            GiveRights(level);
            if (fileops::RemoveAt(folder, name, flags)) {
                return;
            }
        }
        level.somethingStays = true;
    }

    static void GiveRights(Level& level) {
        level.rightsGiven = true;
        struct stat info {};
        if (::fstat(level.reader.Fd(), &info) == 0) {
            ::fchmod(level.reader.Fd(), (info.st_mode & 07777) | S_IRWXU);
        }
    }

    std::vector<Level> levels_;
    // Levels before this index are parked; the ones from it to the deepest are open.
    std::size_t firstOpen_ = 0;
};

} // namespace

void CleanupDir(std::string_view folder) {
    // The folder the user asked to clear is followed when it is a link.
    UniqueFd root(::open(ToNativePath(WithoutTrailingSeparators(folder)).c_str(),
                         O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (root.IsOpen()) {
        TreeEmptier(std::move(root)).Run();
    }
}

bool IsFolderEmpty(std::string_view folder) {
    UniqueFd fd(::open(ToNativePath(WithoutTrailingSeparators(folder)).c_str(),
                       O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        return false;
    }
    FolderReader reader(std::move(fd));
    return reader.Next() == nullptr && !reader.Failed();
}

} // namespace tmt::platform
