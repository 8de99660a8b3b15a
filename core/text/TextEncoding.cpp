#include "core/text/TextEncoding.h"

#include <cstdint>

namespace tmt {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

char16_t UnitAt(std::string_view bytes, std::size_t i, ByteOrder order) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<char16_t>(order == ByteOrder::LittleEndian ? first | (second << 8)
                                                                  : (first << 8) | second);
}

// The UTF-8 of `count` UTF-16 units, each pair of surrogates joined into one character.
template <typename UnitAt> std::string Utf8OfUnits(std::size_t count, const UnitAt& unitAt) {
    std::string out;
    out.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        const char16_t unit = unitAt(i);
        if (IsHighSurrogate(unit) && i + 1 < count && IsLowSurrogate(unitAt(i + 1))) {
            AppendUtf8(out, JoinSurrogates(unit, unitAt(i + 1)));
            ++i;
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

// Hands the UTF-16 units of one code point to `put`.
template <typename Put> void PutUnits(char32_t c, const Put& put) {
    if (c >= 0x10000) {
        put(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        put(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
        put(static_cast<char16_t>(c));
    }
}

// Hands each UTF-16 unit of the text to `put`.
template <typename Put> void ForEachUnit(std::string_view text, const Put& put) {
    std::size_t at = 0;
    while (at < text.size()) {
        PutUnits(NextCodePoint(text, at).value_or(kReplacement), put);
    }
}

} // namespace

std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) {
        return static_cast<unsigned char>(text[i]);
    };
    const unsigned char lead = byte(at);
    const std::size_t length = lead < 0x80             ? 1
                               : (lead & 0xE0) == 0xC0 ? 2
                               : (lead & 0xF0) == 0xE0 ? 3
                               : (lead & 0xF8) == 0xF0 ? 4
                                                       : 0;
    if (length == 0 || at + length > text.size()) {
        ++at;
        return std::nullopt;
    }
    char32_t c = length == 1 ? lead : (lead & (0x7F >> length));
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            ++at;
            return std::nullopt;
        }
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF) {
        ++at;
        return std::nullopt;
    }
    at += length;
    return c;
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

std::string Utf8AsWineReadsIt(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    // The payload of the byte at `i` when it continues a sequence, else nothing.
    const auto payload = [&](std::size_t i) -> std::optional<char32_t> {
        const unsigned value = static_cast<unsigned char>(bytes[i]) ^ 0x80u;
        return value < 0x40 ? std::optional<char32_t>(value) : std::nullopt;
    };
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[at++]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            continue;
        }
        // Bytes that follow the lead: C2-DF one, E0-EF two, F0-F4 three; any other byte stands
        // alone.
        const std::size_t following = lead >= 0xC2 && lead <= 0xDF   ? 1
                                      : lead >= 0xE0 && lead <= 0xEF ? 2
                                      : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                                     : 0;
        if (following > 0 && at + following > bytes.size()) {
            out += "\xEF\xBF\xBD";
            break;
        }
        // The steps of Wine's decoder: each continuation byte is taken only while the code point
        // can still turn out valid, and a failed step leaves the bytes after it for the next
        // character.
        char32_t c = lead & (0x3F >> following);
        const std::size_t end = at + following;
        bool valid = false;
        switch (following) {
        case 3: {
            const auto next = payload(end - 3);
            if (!next) {
                break;
            }
            c = (c << 6) | *next;
            ++at;
            if (c < 0x10) {
                break;
            }
        }
            [[fallthrough]];
        case 2: {
            const auto next = payload(end - 2);
            if (!next) {
                break;
            }
            c = (c << 6) | *next;
            if (c >= (0x110000 >> 6)) {
                break;
            }
            ++at;
            if (c < 0x20 || (c >= (0xD800 >> 6) && c <= (0xDFFF >> 6))) {
                break;
            }
        }
            [[fallthrough]];
        case 1: {
            const auto next = payload(end - 1);
            if (!next) {
                break;
            }
            c = (c << 6) | *next;
            ++at;
            valid = c >= 0x80;
            break;
        }
        default:
            break;
        }
        if (valid) {
            AppendUtf8(out, c);
        } else {
            out += "\xEF\xBF\xBD";
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::string_view bytes, ByteOrder order) {
    return Utf8OfUnits(bytes.size() / 2,
                       [&](std::size_t i) { return UnitAt(bytes, 2 * i, order); });
}

std::string Utf16UnitsToUtf8(std::u16string_view units) {
    return Utf8OfUnits(units.size(), [&](std::size_t i) { return units[i]; });
}

std::string Utf8ToUtf16(std::string_view text, ByteOrder order) {
    std::string out;
    out.reserve(text.size() * 2);
    ForEachUnit(text, [&](char16_t unit) {
        const auto low = static_cast<char>(unit & 0xFF);
        const auto high = static_cast<char>(unit >> 8);
        out += order == ByteOrder::LittleEndian ? low : high;
        out += order == ByteOrder::LittleEndian ? high : low;
    });
    return out;
}

std::u16string Utf8ToUtf16Units(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    ForEachUnit(text, [&](char16_t unit) { out += unit; });
    return out;
}

void AppendUtf16(std::u16string& out, char32_t c) {
    PutUnits(c, [&](char16_t unit) { out += unit; });
}

std::string SanitisedUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t start = at;
        const auto c = NextCodePoint(bytes, at);
        if (c && !IsSurrogate(*c)) {
            out.append(bytes.substr(start, at - start));
        } else {
            out += "\xEF\xBF\xBD";
        }
    }
    return out;
}

} // namespace tmt
