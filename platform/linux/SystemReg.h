#pragma once

#include "platform/Registry.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tmt::platform {

// Wine keeps HKEY_LOCAL_MACHINE in the prefix's system.reg ("WINE REGISTRY Version 2"). These read
// one key out of its text without building the whole tree, which runs to tens of megabytes.

// True when the file declares a 32-bit prefix (#arch=win32).
bool IsWin32Prefix(std::string_view content);

// The values of the section whose key path (backslash-separated, without the escaping of the
// file) equals `keyPath` without regard to case, keyed by value name upper-cased as Wine folds it
// (WineUpcasedUtf8); nothing when no such section exists. Malformed lines are skipped.
std::optional<std::map<std::string, Registry::Value>> FindKeyValues(std::string_view content,
                                                                    std::string_view keyPath);

} // namespace tmt::platform
