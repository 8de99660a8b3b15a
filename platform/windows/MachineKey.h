#pragma once

#include "platform/windows/Handles.h"

#include <string_view>

namespace tmt::platform {

// RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_ALL_ACCESS) in the registry view of 32-bit
// programs, the path passed unchanged. Full access is refused to a user without administrator
// rights, while the program only ever reads: such a user gets the key opened for reading.
UniqueKey OpenMachineKey(std::string_view keyPath);

} // namespace tmt::platform
