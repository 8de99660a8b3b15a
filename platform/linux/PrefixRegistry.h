#pragma once

#include "platform/Registry.h"
#include "platform/linux/RegistryCache.h"
#include "platform/linux/ServerDeadline.h"

#include <filesystem>
#include <map>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tmt::platform {

using KeyValues = std::map<std::string, Registry::Value>; // keyed by upper-cased value name

// What one search shares between the prefixes it looks at.
struct KeySearch {
    ServerDeadline deadline;        // for all its questions to Wine servers together
    RegistryCache* cache = nullptr; // registries known to lack the key
    std::stop_token stop;           // the search is given up
};

// The values of the HKEY_LOCAL_MACHINE key `keyPath` in a prefix, in the view of 32-bit programs.
// system.reg is read once, up to the key. Wine's server keeps new keys in memory and writes the
// file only now and then, so when the file lacks the key and a server of this prefix is running,
// the server is asked through the prefix's own wine (the first of `winePrograms` that exists). The
// server is never started, stopped or restarted by this.
std::optional<KeyValues> ReadMachineKey(const std::filesystem::path& prefix,
                                        std::string_view keyPath,
                                        const std::vector<std::string>& winePrograms,
                                        KeySearch& search);

// The key as system.reg holds it, without asking any server. Only the user's own regular file of
// at most limits::kRegistry bytes is read, and not when `cache` knows it to lack the key.
std::optional<KeyValues> ReadMachineKeyFromFile(const std::filesystem::path& prefix,
                                                std::string_view keyPath,
                                                RegistryCache* cache = nullptr);

} // namespace tmt::platform
