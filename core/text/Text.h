#pragma once

#include <string>
#include <string_view>

namespace tmt {

// The game and the Windows functions it relies on upper-case only the letters a to z; every other
// character, accented ones included, compares as it is.
char UpperAscii(char c);
char LowerAscii(char c);
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// The value of a hexadecimal digit (either case), or -1 for any other character.
int HexDigitValue(char c);

// The text inside one pair of enclosing double quotes, as the Windows shell takes a file name;
// the text as it is without such a pair.
std::string_view WithoutQuotes(std::string_view text);

// Windows takes both the backslash and the slash as separators in a path. A path without the
// separators at its end keeps its first character, so that a root ("\\", "/") stays one.
bool IsPathSeparator(char c);
std::string_view WithoutTrailingSeparators(std::string_view path);

} // namespace tmt
