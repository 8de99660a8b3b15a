#pragma once

#include "core/text/CodePage.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tmt::platform {

// An INI file's text as the profile functions see it: its encoding, and its lines with the exact
// bytes of their contents and line ends, so that untouched lines are written back unchanged.
// Names and values are read as Wine's GetPrivateProfileStringW reads them.
class IniText {
public:
    // Without a byte-order mark a file is in the ANSI code page.
    enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

    // A new, empty file with CRLF line ends; a UTF-16 one starts with its byte-order mark.
    IniText(const CodePage& ansi, Encoding encoding);
    IniText(std::string_view fileBytes, const CodePage& ansi);

    Encoding encoding() const { return encoding_; }

    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    // What GetPrivateProfileStringW lists for the section: the names of its key lines in order,
    // without comments and lines that have no "=", up to the first empty name.
    std::vector<std::string> Keys(std::string_view section) const;

    // The same reads straight from a file's bytes, without building the line table: the profile
    // functions read far more often than they write.
    static std::optional<std::string> ReadFrom(std::string_view fileBytes, const CodePage& ansi,
                                               std::string_view section, std::string_view key);
    static std::vector<std::string> KeysFrom(std::string_view fileBytes, const CodePage& ansi,
                                             std::string_view section);

    // The default value as GetPrivateProfileStringW hands it over: without the spaces at its end,
    // and, when the file could be opened or is missing from a folder that exists, read as a value
    // is (without one pair of enclosing quotes); otherwise with its quotes.
    enum class Default { AsBuffered, AsGiven };
    static std::string DefaultAsRead(std::string_view defaultValue, Default form);

    // The characters of the text that this file's encoding cannot hold, each once.
    std::vector<char32_t> Unstorable(std::string_view text) const;

    // False when the new line cannot be encoded or would not read back as written; the text is
    // then unchanged.
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

    Encoding encoding_ = Encoding::Ansi;
    const CodePage* ansi_;
    // How text_ is read: the ANSI code page, UTF-8, or nothing for the UTF-8 form of a UTF-16 file.
    const CodePage* page_ = nullptr;
    std::string bom_;
    std::string oddByte_; // a UTF-16 file cut in the middle of a code unit keeps its last byte
    std::string newLine_ = "\r\n";
    std::string text_; // the working form: the file's bytes after the byte-order mark, or UTF-8
    std::vector<Line> lines_;
    bool changed_ = false;
};

} // namespace tmt::platform
