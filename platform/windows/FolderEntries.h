#pragma once

#include "platform/windows/SystemHeaders.h"

#include <functional>
#include <string>
#include <string_view>

namespace tmt::platform {

// The folder path with one backslash at its end, as every name below it is appended.
std::string WithTrailingBackslash(std::string_view folder);

// FindFirstFileW on folder\*.* for entries of every attribute, then FindNextFileW, in the order
// the system hands them out, without "." and "..". False when the enumeration cannot start (no
// such folder, or no right to read it). The enumeration stays open while `each` runs, so `each`
// may delete the entry it is given.
bool ForEachEntry(std::string_view folder,
                  const std::function<void(const WIN32_FIND_DATAW&)>& each);

} // namespace tmt::platform
