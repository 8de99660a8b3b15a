#pragma once

#include "platform/linux/PrefixRegistry.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tmt::platform {

// The socket a running Wine server of `prefix` listens on: <dir>/server-<dev>-<inode>/socket with
// the prefix folder's device and inode in hex, where <dir> is /tmp/.wine-<uid>, or the folder
// under /tmp that the prefix's "wineserver" file names (Debian's Wine keeps it there).
std::vector<std::filesystem::path> WineServerSockets(const std::filesystem::path& prefix);

// True when a server accepts connections on one of those sockets. Connecting and closing again
// is what every Wine program that ends early does; the server goes on as before.
bool WineServerRunning(const std::filesystem::path& prefix);

// Asks the running server through `wine reg export` for the key in the 32-bit view; nothing when
// the key is not there, the wine program is missing or does not answer within a few seconds.
std::optional<KeyValues> AskWineServer(const std::string& wine, const std::filesystem::path& prefix,
                                       std::string_view keyPath);

} // namespace tmt::platform
