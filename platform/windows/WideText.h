#pragma once

#include <string>
#include <string_view>

namespace tmt::platform {

// The program speaks UTF-8; the system's W functions speak UTF-16. Windows paths pass unchanged
// otherwise: no mapping, no prefix.
std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);

} // namespace tmt::platform
