#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tmt {

// The game's rule for integer texts: optional leading blanks (spaces; no tab or other white
// space), an optional sign, then decimal digits within the signed 32-bit range, or hexadecimal
// digits after "$", "x", "X", "0x" or "0X" that fit in 32 bits and are taken as the bit pattern of
// a signed 32-bit integer. Nothing may follow the digits. Nothing when the text does not convert.
std::optional<std::int32_t> ParseIntegerText(std::string_view text);

} // namespace tmt
