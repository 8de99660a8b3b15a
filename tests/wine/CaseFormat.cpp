#include "tests/wine/CaseFormat.h"

#include <cstdio>

namespace tmt::wine {

namespace {

constexpr char32_t kBrokenByte = 0x110000;

std::string Hex(const char* form, unsigned long value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, form, value);
    return buffer;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string out;
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80             ? 1
                                   : (lead & 0xE0) == 0xC0 ? 2
                                   : (lead & 0xF0) == 0xE0 ? 3
                                   : (lead & 0xF8) == 0xF0 ? 4
                                                           : 0;
        bool valid = length > 0 && at + length <= text.size();
        char32_t c = length <= 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t i = 1; valid && i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3Fu);
        }
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!valid || c < kSmallest[length] || c > 0x10FFFF) {
            out += kBrokenByte + lead;
            ++at;
            continue;
        }
        out += c;
        at += length;
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string EscapeField(std::string_view utf8) {
    std::string out;
    for (const char32_t c : DecodeUtf8(utf8)) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF) || c >= kBrokenByte) {
            out += Hex("\\u{%lX}", c >= kBrokenByte ? c - kBrokenByte : c);
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

std::optional<std::string> UnescapeField(std::string_view field) {
    if (field == "\\N") {
        return std::nullopt;
    }
    std::string out;
    for (std::size_t at = 0; at < field.size();) {
        if (field.substr(at, 2) == "\\\\") {
            out += '\\';
            at += 2;
        } else if (field.substr(at, 3) == "\\u{") {
            char32_t c = 0;
            at += 3;
            for (; at < field.size() && field[at] != '}'; ++at) {
                c = c * 16 + static_cast<char32_t>(HexValue(field[at]));
            }
            ++at;
            AppendUtf8(out, c);
        } else {
            out += field[at++];
        }
    }
    return out;
}

std::string EscapeResult(std::string_view utf8, std::string_view extra) {
    std::string out;
    for (const char32_t c : DecodeUtf8(utf8)) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c >= kBrokenByte) {
            out += Hex("\\x{%lX}", c - kBrokenByte);
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) ||
                   (c >= 0xD800 && c <= 0xDFFF) || c == '|' ||
                   (c < 0x80 && extra.find(static_cast<char>(c)) != std::string_view::npos)) {
            out += Hex("\\u{%lX}", c);
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos) {
            return parts;
        }
        start = tab + 1;
    }
}

std::string FormatCase(const Case& c) {
    std::string line = c.id + "\t" + c.operation;
    for (const auto& field : c.fields) {
        line += '\t';
        line += field ? EscapeField(*field) : "\\N";
    }
    return line;
}

std::optional<Case> ParseCase(std::string_view line) {
    const std::vector<std::string_view> parts = SplitTabs(line);
    if (parts.size() < 2) {
        return std::nullopt;
    }
    Case c{std::string(parts[0]), std::string(parts[1]), {}};
    for (std::size_t i = 2; i < parts.size(); ++i) {
        c.fields.push_back(UnescapeField(parts[i]));
    }
    return c;
}

} // namespace tmt::wine
