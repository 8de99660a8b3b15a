#pragma once

#include "core/text/TextEncoding.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text forms that the comparison against Wine passes between its programs, so that the probe
// run under Wine and tm_platform_cli print results that compare as plain text.
//
// A case is one line: "<id>\t<operation>\t<field>...". Fields are UTF-8 in which "\\" stands for
// a backslash and "\u{hex}" for any code point (a lone surrogate included); a field that is
// exactly "\N" is the null argument. Paths are relative to the root the program is given, with
// "/" between components.
//
// A result is one line: "<id>\t<result>". Texts in results are UTF-8 with a backslash doubled and
// "\u{hex}" for control characters, C1 controls, DEL, lone surrogates and "|" (which separates the
// items of a list); bytes that are not UTF-8 show as "\x{hex}", a form Wine never prints.
namespace tmt::wine {

struct Case {
    std::string id;
    std::string operation;
    std::vector<std::optional<std::string>> fields; // decoded to UTF-8; nothing for "\N"
};

// The code points of UTF-8 text; surrogates pass as themselves (WTF-8) and a byte that begins no
// valid sequence comes back as 0x110000 + byte.
std::u32string DecodeUtf8(std::string_view text);

std::string EscapeField(std::string_view utf8);
std::optional<std::string> UnescapeField(std::string_view field);
// `extra` names further ASCII characters to write as \u{hex}.
std::string EscapeResult(std::string_view utf8, std::string_view extra = {});

std::string FormatCase(const Case& c);
std::optional<Case> ParseCase(std::string_view line);

std::vector<std::string_view> SplitTabs(std::string_view line);

} // namespace tmt::wine
