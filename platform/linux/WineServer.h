#pragma once

#include "platform/linux/PrefixRegistry.h"
#include "platform/linux/ServerDeadline.h"
#include "platform/linux/UniqueFd.h"

#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace tmt::platform {

// A connection to a running Wine server of `prefix`, made the way Wine's own client reaches one:
// the socket <root>/server-<dev>-<inode>/socket, where <root> is /tmp/.wine-<uid> (upstream Wine)
// or the folder under /tmp that the prefix's "wineserver" file names (Debian's Wine); both
// folders must be the user's with no access for anyone else, and the socket the user's. The
// connection is made without blocking and given up when the server does not take it in a moment.
// Nothing when no server of the prefix answers.
UniqueFd ConnectToWineServer(const std::filesystem::path& prefix, ServerDeadline& deadline);

// Asks the server on `connection` for the key in the 32-bit view, through `wine reg export` of
// the prefix's own `wine` handed that connection (WINESERVERSOCKET): such a client looks in no
// folder and never starts a server of its own. Nothing when the key is not there or no answer
// came before the deadline. The program and all it started are ended when it is done or the time
// is up.
std::optional<KeyValues> AskWineServer(const std::string& wine, const std::filesystem::path& prefix,
                                       std::string_view keyPath, UniqueFd connection,
                                       ServerDeadline& deadline, const std::stop_token& stop = {});

} // namespace tmt::platform
