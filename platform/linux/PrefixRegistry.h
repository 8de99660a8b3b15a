#pragma once

#include "platform/Registry.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tmt::platform {

using KeyValues = std::map<std::string, Registry::Value>; // keyed by upper-cased value name

// The values of the HKEY_LOCAL_MACHINE key `keyPath` in a prefix, in the view of 32-bit programs.
// system.reg is read once, up to the key. Wine's server keeps new keys in memory and writes the
// file only now and then, so when the file lacks the key and a server of this prefix is running,
// the server is asked through the prefix's own wine (the first of `winePrograms` that exists).
// The server is never started, stopped or restarted by this.
std::optional<KeyValues> ReadMachineKey(const std::filesystem::path& prefix,
                                        std::string_view keyPath,
                                        const std::vector<std::string>& winePrograms);

// The key as system.reg holds it, without asking any server.
std::optional<KeyValues> ReadMachineKeyFromFile(const std::filesystem::path& prefix,
                                                std::string_view keyPath);

} // namespace tmt::platform
