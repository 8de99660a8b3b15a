#pragma once

#include <string>
#include <string_view>

namespace tmt::platform {

class CodePage;

// The ANSI code page Wine gives the game: the one of the system locale that Wine takes from the
// C library's LC_CTYPE (LC_ALL, LC_CTYPE or LANG; a locale that is not installed counts as C).
// Follows the environment, so it is the game's when the program runs in the game's environment.
const CodePage& AnsiCodePage();

// The same from a locale name as setlocale(LC_CTYPE, NULL) returns it, and the value of LC_ALL
// that Wine falls back on when that name is C.
unsigned AnsiCodePageNumber(std::string_view ctypeLocale, std::string_view lcAll);

} // namespace tmt::platform
