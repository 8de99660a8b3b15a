#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tmt {

// The program's texts are UTF-8. Unicode files reach it through these, ANSI files through
// CodePage.

// Appends one code point in UTF-8 (surrogates too, as WTF-8 does).
void AppendUtf8(std::string& out, char32_t c);

// Decodes the sequence at `at` and moves past it; surrogate code points are accepted (WTF-8).
// Nothing for a broken sequence, which then counts as one byte.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& at);

// UTF-8 bytes as Wine's MultiByteToWideChar reads them: a broken sequence becomes one U+FFFD
// for the bytes Wine takes it to span, and a sequence cut off by the end takes the rest. Encoded
// surrogates count as broken.
std::string Utf8AsWineReadsIt(std::string_view bytes);

// UTF-16 to UTF-8 and back. Unpaired surrogates travel through as three-byte sequences of their
// own (WTF-8), so that a file round-trips byte for byte.
enum class ByteOrder { LittleEndian, BigEndian };
std::string Utf16ToUtf8(std::string_view bytes, ByteOrder order);
std::string Utf8ToUtf16(std::string_view text, ByteOrder order);

// Invalid sequences become U+FFFD: for values handed to the program.
std::string SanitisedUtf8(std::string_view bytes);

} // namespace tmt
