#pragma once

#include <string_view>

namespace tmt::platform {

// The ANSI code page Wine gives a program under the C library's LC_CTYPE locale `ctypeLocale`
// (as setlocale(LC_CTYPE, NULL) names it), with `lcAll`, the value of LC_ALL, that Wine falls
// back on when that name is C. AnsiCodePage() is this for the environment: LC_ALL, LC_CTYPE or
// LANG, a locale that is not installed counting as C.
unsigned AnsiCodePageNumber(std::string_view ctypeLocale, std::string_view lcAll);

} // namespace tmt::platform
