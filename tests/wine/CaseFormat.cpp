#include "tests/wine/CaseFormat.h"

#include "core/text/Text.h"

#include <cstdio>

namespace tmt::wine {

namespace {

constexpr char32_t kBrokenByte = 0x110000;

std::string Hex(const char* form, unsigned long value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, form, value);
    return buffer;
}

} // namespace

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string out;
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        out += NextCodePoint(text, at).value_or(kBrokenByte + lead);
    }
    return out;
}

std::string EscapeField(std::string_view utf8) {
    std::string out;
    for (const char32_t c : DecodeUtf8(utf8)) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c == 0x7F || IsSurrogate(c) || c >= kBrokenByte) {
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
                c = c * 16 + static_cast<char32_t>(HexDigitValue(field[at]));
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
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) || IsSurrogate(c) ||
                   c == '|' ||
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
