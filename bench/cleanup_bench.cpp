// Emptying a large tree, for comparison with find -delete.
//   bench_cleanup make DIR FILES FOLDERS   builds a tree of FILES files spread over FOLDERS folders
//   bench_cleanup clean DIR                empties DIR as the maintenance window does
#include "platform/FolderCleanup.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

int Make(const std::string& root, long files, long folders) {
    for (long f = 0; f < folders; ++f) {
        // Folders nest two deep so the tree is not one flat list.
        const std::string folder =
            root + "/group" + std::to_string(f % 40) + "/folder" + std::to_string(f);
        std::filesystem::create_directories(folder);
        for (long i = f; i < files; i += folders) {
            const int fd =
                ::open((folder + "/file" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT, 0644);
            if (fd < 0 || ::write(fd, "x", 1) != 1 || ::close(fd) != 0) {
                return 1;
            }
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "make") {
        return Make(argv[2], std::atol(argv[3]), std::atol(argv[4]));
    }
    if (argc == 3 && std::string(argv[1]) == "clean") {
        tmt::platform::CleanupDir(argv[2]);
        return 0;
    }
    std::fprintf(stderr, "usage: %s make DIR FILES FOLDERS | clean DIR\n", argv[0]);
    return 2;
}
