#pragma once

#include <filesystem>
#include <string>
#include <variant>

namespace tmt::platform {

// A program that a record names (a runner, a Proton, a Wine version's bin/wine) runs as the user
// only when nobody else can have put it there or changed it: the user or root owns it and every
// folder above it, and nobody else may write it or its folder. A folder further up may be open to
// all only as /tmp is, with the sticky bit, which lets nobody remove or rename what is not theirs.
// The result is the program's real path, links resolved, which is what runs; or the sentence that
// says why it may not run.
struct TrustedProgram {
    std::filesystem::path path;
};
struct UntrustedProgram {
    std::string reason; // "the program /x/wine belongs to another account"
};
std::variant<TrustedProgram, UntrustedProgram> CheckProgram(const std::filesystem::path& program);

} // namespace tmt::platform
