#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tmt::platform {

// An INI file's text as the profile functions see it: its encoding, and its lines with the exact
// bytes of their contents and line ends, so that untouched lines are written back unchanged.
class IniText {
public:
    enum class Encoding { Windows1252, Utf8, Utf16Le };

    // A new file: Windows-1252 with CRLF line ends.
    IniText() = default;
    explicit IniText(std::string_view fileBytes);

    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    std::vector<std::string> Keys(std::string_view section) const;

    // The same reads straight from a file's bytes, without copying them or building the line
    // table: the profile functions read far more often than they write.
    static std::optional<std::string> ReadFrom(std::string_view fileBytes, std::string_view section,
                                               std::string_view key);
    static std::vector<std::string> KeysFrom(std::string_view fileBytes, std::string_view section);
    // False when the new line cannot be encoded; the text is then unchanged.
    bool Write(std::string_view section, std::string_view key,
               std::optional<std::string_view> value);
    bool changed() const { return changed_; }

    std::string Bytes() const;

private:
    // A line of text_: its contents, then its line end ("\r\n", "\n", "\r" or none).
    struct Line {
        std::size_t start;
        std::size_t length;
        std::size_t endLength;
    };
    struct Span {
        std::size_t header;  // index of the section's header line, npos for the leading section
        std::size_t lastKey; // index of its last key line, or of its header
        std::size_t end;     // one past its last line
    };

    std::optional<Span> FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKey(const Span& span, std::string_view key) const;
    std::string_view Content(std::size_t line) const;
    void SplitLines();

    Encoding encoding_ = Encoding::Windows1252;
    std::string bom_;
    std::string oddByte_; // a UTF-16 file cut in the middle of a code unit keeps its last byte
    std::string newLine_ = "\r\n";
    std::string text_; // the working form: Windows-1252 or UTF-8 bytes, after the byte-order mark
    std::vector<Line> lines_;
    bool changed_ = false;
};

} // namespace tmt::platform
