#include "platform/linux/SystemReg.h"

#include "core/text/Text.h"
#include "core/text/TextEncoding.h"
#include "platform/linux/WineCase.h"

#include <cstdint>

namespace tmt::platform {

namespace {

using Units = std::u16string;

// UTF-16 code units to UTF-8, cut at the first NUL as the registry functions hand strings over;
// an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(const Units& units) {
    return SanitisedUtf8(Utf16UnitsToUtf8(std::u16string_view(units).substr(0, units.find(u'\0'))));
}

// Decodes one UTF-8 sequence of the file's own text into code units, as wineserver reads its
// registry files: a sequence that is cut short, too long for its value or beyond U+10FFFF is
// dropped, one byte at a time; encoded surrogates are taken as they are.
std::size_t DecodeUtf8(std::string_view text, std::size_t at, Units& out) {
    const std::size_t start = at;
    if (const auto c = NextCodePoint(text, at)) {
        AppendUtf16(out, *c);
    }
    return at - start;
}

struct Escaped {
    Units units;
    bool closed = false; // the terminator was found
};

// Reads an escaped text from `at` up to `terminator` (which is consumed), with every escape
// wineserver knows: \a \b \e \f \n \r \t \v, up to three octal digits, \x with up to four
// hexadecimal digits, and any other character standing for itself. A missing terminator ends the
// text there.
Escaped ReadEscaped(std::string_view line, std::size_t& at, char terminator) {
    Units units;
    while (at < line.size()) {
        const char c = line[at];
        if (c == terminator) {
            ++at;
            return {units, true};
        }
        if (c != '\\') {
            at += DecodeUtf8(line, at, units);
            continue;
        }
        if (++at >= line.size()) {
            break;
        }
        const char escaped = line[at++];
        switch (escaped) {
        case 'a':
            units += u'\a';
            break;
        case 'b':
            units += u'\b';
            break;
        case 'e':
            units += u'\x1B';
            break;
        case 'f':
            units += u'\f';
            break;
        case 'n':
            units += u'\n';
            break;
        case 'r':
            units += u'\r';
            break;
        case 't':
            units += u'\t';
            break;
        case 'v':
            units += u'\v';
            break;
        case 'x': {
            // Up to four hexadecimal digits; without any, the letter itself.
            int value = 0;
            int digits = 0;
            while (digits < 4 && at < line.size() && HexDigitValue(line[at]) >= 0) {
                value = value * 16 + HexDigitValue(line[at++]);
                ++digits;
            }
            units += digits == 0 ? u'x' : static_cast<char16_t>(value);
            break;
        }
        default:
            if (escaped >= '0' && escaped <= '7') {
                // Up to three octal digits.
                int value = escaped - '0';
                for (int digits = 1;
                     digits < 3 && at < line.size() && line[at] >= '0' && line[at] <= '7';
                     ++digits) {
                    value = value * 8 + (line[at++] - '0');
                }
                units += static_cast<char16_t>(value);
            } else {
                units += static_cast<char16_t>(static_cast<unsigned char>(escaped));
            }
            break;
        }
    }
    at = line.size();
    return {units, false};
}

// Comma-separated hex bytes, read as UTF-16LE text.
Units ReadHexUtf16(std::string_view data) {
    std::string bytes;
    int high = -1;
    for (const char c : data) {
        const int digit = HexDigitValue(c);
        if (digit >= 0) {
            if (high < 0) {
                high = digit;
            } else {
                bytes += static_cast<char>(high * 16 + digit);
                high = -1;
            }
        } else if (c == ',') {
            high = -1;
        } else if (c != ' ' && c != '\t' && c != '\\' && c != '\n' && c != '\r') {
            break;
        }
    }
    Units units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return units;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

Registry::Value ReadData(std::string_view data) {
    using Type = Registry::ValueType;
    std::size_t at = 0;
    Type type = Type::Other;
    if (StartsWith(data, "\"")) {
        type = Type::String;
        at = 1;
    } else if (StartsWith(data, "str:\"")) {
        type = Type::String;
        at = 5;
    } else if (StartsWith(data, "str(2):\"")) {
        type = Type::ExpandString;
        at = 8;
    } else if (StartsWith(data, "hex(1):")) {
        return {Type::String, ToUtf8(ReadHexUtf16(data.substr(7)))};
    } else if (StartsWith(data, "hex(2):")) {
        return {Type::ExpandString, ToUtf8(ReadHexUtf16(data.substr(7)))};
    } else {
        return {Type::Other, ""};
    }
    return {type, ToUtf8(ReadEscaped(data, at, '"').units)};
}

// One line from `at`, without its line end; `at` moves to the next line.
std::string_view NextLine(std::string_view content, std::size_t& at) {
    const std::size_t end = std::min(content.find('\n', at), content.size());
    std::string_view line = content.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

// A value line's data, with the lines it continues onto after a trailing backslash.
std::string DataWithContinuations(std::string_view content, std::size_t& at,
                                  std::string_view first) {
    std::string data(first);
    while (!data.empty() && data.back() == '\\' && at < content.size()) {
        data.pop_back();
        data += NextLine(content, at);
    }
    return data;
}

std::string NormalisedKeyPath(std::string_view path) {
    std::string normalised;
    for (const char c : path) {
        if (c == '\\' && (normalised.empty() || normalised.back() == '\\')) {
            continue;
        }
        normalised += c;
    }
    if (!normalised.empty() && normalised.back() == '\\') {
        normalised.pop_back();
    }
    return WineUpcasedUtf8(normalised);
}

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Whether a section line names the wanted key. Most lines hold only ASCII and no escape but the
// doubled backslash, so they are compared as they stand; only others are decoded and folded as
// Wine folds letter case first.
bool SectionNames(std::string_view line, const std::string& wanted,
                  const std::string& wantedEscaped) {
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) {
        return false;
    }
    const std::string_view raw = line.substr(1, close - 1);
    bool plain = true;
    for (std::size_t i = 0; i < raw.size() && plain; ++i) {
        if (raw[i] == '\\') {
            plain = i + 1 < raw.size() && raw[i + 1] == '\\';
            ++i;
        }
    }
    if (plain && IsAscii(raw)) {
        return EqualsIgnoreAsciiCase(raw, wantedEscaped);
    }
    std::size_t inName = 1;
    const Escaped name = ReadEscaped(line, inName, ']');
    return name.closed && NormalisedKeyPath(ToUtf8(name.units)) == wanted;
}

} // namespace

bool IsWin32Prefix(std::string_view content) {
    // The architecture line stands in the header, before the first key.
    const std::string_view header = content.substr(0, content.find("\n["));
    return header.find("#arch=win32") != std::string_view::npos;
}

std::optional<std::map<std::string, Registry::Value>> FindKeyValues(std::string_view content,
                                                                    std::string_view keyPath) {
    const std::string wanted = NormalisedKeyPath(keyPath);
    std::string wantedEscaped;
    for (const char c : wanted) {
        wantedEscaped += c;
        if (c == '\\') {
            wantedEscaped += c;
        }
    }
    std::size_t at = 0;
    while (at < content.size()) {
        if (content[at] != '[') {
            const std::size_t section = content.find("\n[", at);
            if (section == std::string_view::npos) {
                return std::nullopt;
            }
            at = section + 1;
            continue;
        }
        std::string_view line = NextLine(content, at);
        if (!SectionNames(line, wanted, wantedEscaped)) {
            continue;
        }

        std::map<std::string, Registry::Value> values;
        while (at < content.size() && content[at] != '[') {
            line = NextLine(content, at);
            std::string valueName;
            std::size_t inLine = 0;
            if (StartsWith(line, "@=")) {
                inLine = 1;
            } else if (StartsWith(line, "\"")) {
                inLine = 1;
                const Escaped quoted = ReadEscaped(line, inLine, '"');
                valueName = ToUtf8(quoted.units);
                if (!quoted.closed || inLine >= line.size() || line[inLine] != '=') {
                    continue;
                }
            } else {
                continue;
            }
            const std::string data = DataWithContinuations(content, at, line.substr(inLine + 1));
            values.try_emplace(WineUpcasedUtf8(valueName), ReadData(data));
        }
        return values;
    }
    return std::nullopt;
}

} // namespace tmt::platform
