#pragma once

#include <string>
#include <string_view>

namespace tmt {

// The game and the Windows functions it relies on upper-case only the letters a to z; every other
// character, accented ones included, compares as it is.
std::string UpperAscii(std::string_view text);

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

} // namespace tmt
