// Empties each native folder given on the command line, as the maintenance window empties Temp.
// The exit status tells whether every folder is empty afterwards, so a timed run also checks
// that the work was done.
#include "platform/FolderCleanup.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER...\n", argv[0]);
        return 2;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        tmt::platform::CleanupDir(argv[i]);
        if (!tmt::platform::IsFolderEmpty(argv[i])) {
            std::fprintf(stderr, "%s: not empty afterwards\n", argv[i]);
            status = 1;
        }
    }
    return status;
}
