#include "platform/windows/MachineKey.h"

#include "platform/windows/WideText.h"

namespace tmt::platform {

UniqueKey OpenMachineKey(std::string_view keyPath) {
    const std::wstring path = Wide(keyPath);
    UniqueKey key;
    LSTATUS status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0,
                                     KEY_ALL_ACCESS | KEY_WOW64_32KEY, key.Receive());
    if (status == ERROR_ACCESS_DENIED) {
        status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_32KEY,
                                 key.Receive());
    }
    if (status != ERROR_SUCCESS) {
        key.Reset();
    }
    return key;
}

} // namespace tmt::platform
