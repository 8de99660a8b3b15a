#pragma once

#include <string>
#include <string_view>

namespace tmt::platform {

struct StartResult {
    bool started = false;
    std::string reason; // why the start failed, as a sentence; empty when started
};

// ShellExecuteW with the verb "open": starts `file` with `parameters` as its command-line tail and
// `directory` as its working folder, without waiting for it. File and folder may arrive enclosed in
// one pair of double quotes, as the Windows shell takes them.
StartResult ShellOpen(std::string_view file, std::string_view parameters,
                      std::string_view directory);

// Why parameters given to ShellOpen would not reach the game of the installation in use (its
// manager starts it only by a way that takes none), as a sentence for the user; empty when they
// reach it.
std::string ParametersLostReason();

} // namespace tmt::platform
