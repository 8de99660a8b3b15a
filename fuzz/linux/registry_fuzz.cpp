// Any bytes as system.reg: the key lookup and the value parsing never crash or hang.
#include "platform/linux/SystemReg.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    (void)tmt::platform::IsWin32Prefix(content);
    for (const char* key : {"Software\\Wow6432Node\\TuneMora", "Software\\TuneMora", "K", ""}) {
        if (const auto values = tmt::platform::FindKeyValues(content, key)) {
            for (const auto& [name, value] : *values) {
                (void)name.size();
                (void)value.text.size();
            }
        }
    }
    return 0;
}
