#include "platform/linux/ProgramTrust.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace tmt::platform {

namespace fs = std::filesystem;

namespace {

bool OwnedByUserOrRoot(const struct stat& info) {
    return info.st_uid == ::getuid() || info.st_uid == 0;
}

bool OthersMayWrite(const struct stat& info) {
    return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

} // namespace

std::variant<TrustedProgram, UntrustedProgram> CheckProgram(const fs::path& program) {
    std::error_code error;
    const fs::path real = fs::canonical(program, error);
    if (error) {
        return UntrustedProgram{"the program " + program.string() + " cannot be found (" +
                                error.message() + ")"};
    }
    struct stat info {};
    if (::stat(real.c_str(), &info) != 0) {
        return UntrustedProgram{"the program " + real.string() + " cannot be examined (" +
                                std::strerror(errno) + ")"};
    }
    if (!OwnedByUserOrRoot(info)) {
        return UntrustedProgram{"the program " + real.string() + " belongs to another account"};
    }
    if (OthersMayWrite(info)) {
        return UntrustedProgram{"other accounts may change the program " + real.string()};
    }
    bool ownFolder = true;
    for (fs::path folder = real.parent_path();; folder = folder.parent_path()) {
        if (::stat(folder.c_str(), &info) != 0) {
            return UntrustedProgram{"the folder " + folder.string() + " cannot be examined (" +
                                    std::strerror(errno) + ")"};
        }
        if (!OwnedByUserOrRoot(info)) {
            return UntrustedProgram{"the folder " + folder.string() + " of the program " +
                                    real.string() + " belongs to another account"};
        }
        if (OthersMayWrite(info) && (ownFolder || (info.st_mode & S_ISVTX) == 0)) {
            return UntrustedProgram{"other accounts may change the folder " + folder.string() +
                                    " of the program " + real.string()};
        }
        if (folder == folder.root_path()) {
            return TrustedProgram{real};
        }
        ownFolder = false;
    }
}

} // namespace tmt::platform
