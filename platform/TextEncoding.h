#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tmt::platform {

// The program's texts are UTF-8; the game's INI files are in the ANSI code page (Windows-1252)
// unless a byte-order mark says otherwise.

// Appends one code point in UTF-8 (surrogates too, as WTF-8 does).
void AppendUtf8(std::string& out, char32_t c);

// Every byte has a meaning: the five bytes Windows-1252 leaves undefined stand for the C1 control
// characters of the same number, so that text read and written back never changes.
std::string Windows1252ToUtf8(std::string_view bytes);
// Nothing when a character has no Windows-1252 byte.
std::optional<std::string> Utf8ToWindows1252(std::string_view text);

// UTF-16LE to UTF-8 and back. Unpaired surrogates travel through as three-byte sequences of their
// own (WTF-8), so that a file round-trips byte for byte.
std::string Utf16LeToUtf8(std::string_view bytes);
std::string Utf8ToUtf16Le(std::string_view text);

// Invalid sequences become U+FFFD: for values handed to the program.
std::string SanitisedUtf8(std::string_view bytes);

} // namespace tmt::platform
