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

// UTF-16 code units: a character above U+FFFF takes a high and a low surrogate.
constexpr bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}
constexpr bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
constexpr char32_t JoinSurrogates(char32_t high, char32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// UTF-16 to UTF-8 and back, as the bytes of a file or as code units. Unpaired surrogates travel
// through as three-byte sequences of their own (WTF-8), so that a file round-trips byte for byte;
// a broken UTF-8 sequence becomes U+FFFD.
enum class ByteOrder { LittleEndian, BigEndian };
std::string Utf16ToUtf8(std::string_view bytes, ByteOrder order);
std::string Utf8ToUtf16(std::string_view text, ByteOrder order);
std::string Utf16UnitsToUtf8(std::u16string_view units);
std::u16string Utf8ToUtf16Units(std::string_view text);

// Appends one code point as UTF-16 units.
void AppendUtf16(std::u16string& out, char32_t c);

// Invalid sequences become U+FFFD: for values handed to the program.
std::string SanitisedUtf8(std::string_view bytes);

} // namespace tmt
