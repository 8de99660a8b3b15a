#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tmt {

namespace codepages {
struct CodePageTable;
}

// An ANSI code page as Wine's MultiByteToWideChar and WideCharToMultiByte use it: the single-byte
// Windows code pages, the double-byte ones of Chinese, Japanese and Korean, and UTF-8 for the
// locales that have no code page of their own.
class CodePage {
public:
    static constexpr unsigned kUtf8 = 65001;

    // The code page of that number; Windows-1252 for one Wine does not give a program.
    static const CodePage& Get(unsigned number);

    unsigned Number() const { return number_; }
    bool IsDoubleByte() const { return doubleByte_; }
    // True when the byte begins a two-byte character.
    bool IsLeadByte(unsigned char byte) const { return leadBytes_[byte]; }

    // The text (UTF-8) the bytes read as; every byte sequence reads as something.
    std::string Decode(std::string_view bytes) const;
    // The bytes of the text, each character written as bytes that read back as that character;
    // nothing when a character has none (Wine would write a look-alike or "?" instead).
    std::optional<std::string> Encode(std::string_view text) const;
    // The characters of the text that have no such bytes, each once, in the order they come.
    std::vector<char32_t> Unstorable(std::string_view text) const;

    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;

private:
    explicit CodePage(const codepages::CodePageTable* table);

    std::optional<std::uint16_t> BytesOf(char32_t c) const;

    unsigned number_ = kUtf8;
    const codepages::CodePageTable* table_ = nullptr; // none for UTF-8
    bool doubleByte_ = false;
    std::array<bool, 256> leadBytes_{};
    std::array<std::uint8_t, 256> rowOf_{}; // a lead byte's row in the table's pairs
    // For each UTF-16 unit, its byte (below 0x100) or lead and trail byte, or kNoBytes.
    std::vector<std::uint16_t> bytesOf_;
};

} // namespace tmt
