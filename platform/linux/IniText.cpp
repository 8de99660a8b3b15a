#include "platform/linux/IniText.h"

#include "platform/Text.h"
#include "platform/TextEncoding.h"

#include <cstring>

namespace tmt::platform {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::size_t kMaxValueUnits = 2047;

// The blanks the profile functions trim around names and values.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\x1a';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

enum class Kind { Other, Section, Key };

struct Parsed {
    Kind kind = Kind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // key value, trimmed, quotes not yet removed
};

Parsed Parse(std::string_view line) {
    const std::string_view text = Trimmed(line);
    if (text.empty() || text.front() == ';') {
        return {};
    }
    if (text.front() == '[') {
        const std::size_t close = text.rfind(']');
        if (close == std::string_view::npos) {
            return {};
        }
        return {Kind::Section, Trimmed(text.substr(1, close - 1)), {}};
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return {};
    }
    return {Kind::Key, Trimmed(text.substr(0, equals)), Trimmed(text.substr(equals + 1))};
}

std::string_view WithoutQuotes(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// At most 2047 UTF-16 code units of a UTF-8 value, as the 2048-character buffer holds.
std::string LimitedToBuffer(std::string value) {
    std::size_t units = 0;
    for (std::size_t at = 0; at < value.size();) {
        const auto lead = static_cast<unsigned char>(value[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const std::size_t needed = length == 4 ? 2 : 1;
        if (units + needed > kMaxValueUnits) {
            value.resize(at);
            break;
        }
        units += needed;
        at += length;
    }
    return value;
}

struct LineAt {
    std::size_t length;    // of the contents
    std::size_t endLength; // of the line end
};

// The line that starts at `at`: it ends at a line feed, a carriage return and line feed, or a
// carriage return on its own.
LineAt LineStartingAt(std::string_view text, std::size_t at) {
    const char* const base = text.data();
    const void* found = std::memchr(base + at, '\n', text.size() - at);
    const std::size_t newline =
        found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - base)
                         : text.size();
    if (const void* cr = std::memchr(base + at, '\r', newline - at)) {
        const auto crAt = static_cast<std::size_t>(static_cast<const char*>(cr) - base);
        if (crAt + 1 < newline || newline == text.size()) {
            return {crAt - at, 1};
        }
        return {crAt - at, 2};
    }
    return {newline - at, newline < text.size() ? std::size_t{1} : 0};
}

// How names and values are held in memory: UTF-16 files are worked on as UTF-8.
enum class Codec { Windows1252, Utf8 };

Codec CodecOf(IniText::Encoding encoding) {
    return encoding == IniText::Encoding::Windows1252 ? Codec::Windows1252 : Codec::Utf8;
}

// Text in the file's own bytes; nothing when the encoding cannot hold it. Text that is not UTF-8
// has no faithful form in a UTF-8 or UTF-16 file.
std::optional<std::string> Encoded(std::string_view utf8, Codec codec) {
    if (codec == Codec::Windows1252) {
        return Utf8ToWindows1252(utf8);
    }
    if (SanitisedUtf8(utf8) != utf8) {
        return std::nullopt;
    }
    return std::string(utf8);
}

std::string DecodedText(std::string_view raw, Codec codec) {
    return codec == Codec::Windows1252 ? Windows1252ToUtf8(raw) : SanitisedUtf8(raw);
}

// Calls `onKey` with each key line of the first section of the name, in order, until it returns
// true.
template <typename OnKey>
void ForEachKeyOfSection(std::string_view text, Codec codec, std::string_view section,
                         OnKey onKey) {
    const std::optional<std::string> wanted = Encoded(section, codec);
    if (!wanted) {
        return;
    }
    bool inside = wanted->empty();
    for (std::size_t at = 0; at < text.size();) {
        if (!inside) {
            // Outside the section only headers matter: jump to the next "[" that begins a line.
            const void* found = std::memchr(text.data() + at, '[', text.size() - at);
            if (found == nullptr) {
                return;
            }
            const auto bracket =
                static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
            std::size_t start = bracket;
            while (start > at && (text[start - 1] == ' ' || text[start - 1] == '\t' ||
                                  text[start - 1] == '\x1a')) {
                --start;
            }
            if (start > 0 && text[start - 1] != '\n' && text[start - 1] != '\r') {
                at = bracket + 1;
                continue;
            }
            at = start;
        }
        const LineAt line = LineStartingAt(text, at);
        const Parsed parsed = Parse(text.substr(at, line.length));
        at += line.length + line.endLength;
        if (parsed.kind == Kind::Section) {
            if (inside) {
                return;
            }
            inside = EqualsIgnoreAsciiCase(parsed.name, *wanted);
        } else if (inside && parsed.kind == Kind::Key && onKey(parsed)) {
            return;
        }
    }
}

std::optional<std::string> ReadIn(std::string_view text, Codec codec, std::string_view section,
                                  std::string_view key) {
    const std::optional<std::string> wantedKey = Encoded(key, codec);
    std::optional<std::string> value;
    if (wantedKey) {
        ForEachKeyOfSection(text, codec, section, [&](const Parsed& parsed) {
            if (!EqualsIgnoreAsciiCase(parsed.name, *wantedKey)) {
                return false;
            }
            value = LimitedToBuffer(DecodedText(WithoutQuotes(parsed.value), codec));
            return true;
        });
    }
    return value;
}

std::vector<std::string> KeysIn(std::string_view text, Codec codec, std::string_view section) {
    std::vector<std::string> keys;
    ForEachKeyOfSection(text, codec, section, [&](const Parsed& parsed) {
        keys.push_back(DecodedText(parsed.name, codec));
        return false;
    });
    return keys;
}

// The file's text and its codec when it is read as it stands, without a UTF-16 conversion.
struct InPlace {
    std::string_view text;
    Codec codec;
};
InPlace ReadInPlace(std::string_view fileBytes) {
    if (fileBytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        return {fileBytes.substr(kUtf8Bom.size()), Codec::Utf8};
    }
    return {fileBytes, Codec::Windows1252};
}

bool IsUtf16Le(std::string_view fileBytes) {
    return fileBytes.substr(0, kUtf16LeBom.size()) == kUtf16LeBom;
}

} // namespace

std::optional<std::string> IniText::ReadFrom(std::string_view fileBytes, std::string_view section,
                                             std::string_view key) {
    if (IsUtf16Le(fileBytes)) {
        return IniText(fileBytes).Read(section, key);
    }
    const InPlace file = ReadInPlace(fileBytes);
    return ReadIn(file.text, file.codec, section, key);
}

std::vector<std::string> IniText::KeysFrom(std::string_view fileBytes, std::string_view section) {
    if (IsUtf16Le(fileBytes)) {
        return IniText(fileBytes).Keys(section);
    }
    const InPlace file = ReadInPlace(fileBytes);
    return KeysIn(file.text, file.codec, section);
}

IniText::IniText(std::string_view fileBytes) {
    if (fileBytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        encoding_ = Encoding::Utf8;
        bom_ = kUtf8Bom;
        text_ = fileBytes.substr(kUtf8Bom.size());
    } else if (fileBytes.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) {
        encoding_ = Encoding::Utf16Le;
        bom_ = kUtf16LeBom;
        const std::string_view units = fileBytes.substr(kUtf16LeBom.size());
        text_ = Utf16LeToUtf8(units);
        if (units.size() % 2 != 0) {
            oddByte_ = units.back();
        }
    } else {
        text_ = fileBytes;
    }
    SplitLines();
    for (const Line& line : lines_) {
        if (line.endLength > 0) {
            newLine_ = text_.substr(line.start + line.length, line.endLength);
            break;
        }
    }
}

void IniText::SplitLines() {
    lines_.clear();
    for (std::size_t at = 0; at < text_.size();) {
        const LineAt line = LineStartingAt(text_, at);
        lines_.push_back({at, line.length, line.endLength});
        at += line.length + line.endLength;
    }
}

std::string_view IniText::Content(std::size_t line) const {
    return std::string_view(text_).substr(lines_[line].start, lines_[line].length);
}

std::optional<IniText::Span> IniText::FindSection(std::string_view section) const {
    const std::optional<std::string> wanted = Encoded(section, CodecOf(encoding_));
    if (!wanted) {
        return std::nullopt;
    }
    // Lines before the first header belong to the section with the empty name.
    bool inside = wanted->empty();
    std::optional<Span> span;
    if (inside) {
        span = Span{std::string::npos, std::string::npos, 0};
    }
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Parsed parsed = Parse(Content(i));
        if (parsed.kind == Kind::Section) {
            if (inside) {
                span->end = i;
                return span;
            }
            if (EqualsIgnoreAsciiCase(parsed.name, *wanted)) {
                inside = true;
                span = Span{i, i, i + 1};
            }
        } else if (inside && parsed.kind == Kind::Key) {
            span->lastKey = i;
        }
    }
    if (span) {
        span->end = lines_.size();
    }
    return span;
}

std::optional<std::size_t> IniText::FindKey(const Span& span, std::string_view key) const {
    const std::optional<std::string> wanted = Encoded(key, CodecOf(encoding_));
    if (!wanted) {
        return std::nullopt;
    }
    const std::size_t first = span.header == std::string::npos ? 0 : span.header + 1;
    for (std::size_t i = first; i < span.end; ++i) {
        const Parsed parsed = Parse(Content(i));
        if (parsed.kind == Kind::Key && EqualsIgnoreAsciiCase(parsed.name, *wanted)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> IniText::Read(std::string_view section, std::string_view key) const {
    return ReadIn(text_, CodecOf(encoding_), section, key);
}

std::vector<std::string> IniText::Keys(std::string_view section) const {
    return KeysIn(text_, CodecOf(encoding_), section);
}

bool IniText::Write(std::string_view section, std::string_view key,
                    std::optional<std::string_view> value) {
    // A line end inside a name or value would split the line and plant keys of its own.
    // A NUL ends the text for the Windows functions. A key that is empty, holds "=" or begins
    // like a section header would not read back as itself.
    const auto breaksLine = [](std::string_view text) {
        return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
    };
    const std::string_view trimmedKey = Trimmed(key);
    if (breaksLine(section) || breaksLine(key) || (value && breaksLine(*value)) ||
        trimmedKey.empty() || key.find('=') != std::string_view::npos ||
        trimmedKey.front() == '[' || trimmedKey.front() == ';' ||
        section.find(']') != std::string_view::npos) {
        return false;
    }
    const auto span = FindSection(section);
    const auto line = span ? FindKey(*span, key) : std::nullopt;
    if (!value) {
        if (line) {
            text_.erase(lines_[*line].start, lines_[*line].length + lines_[*line].endLength);
            SplitLines();
            changed_ = true;
        }
        return true;
    }

    if (line) {
        // The key keeps its name as the file spells it; only the value part is new.
        const std::string_view content = Content(*line);
        const std::size_t equals = content.find('=');
        std::string_view name = content.substr(0, equals);
        while (!name.empty() && IsBlank(name.back())) {
            name.remove_suffix(1);
        }
        const auto newValue = Encoded(*value, CodecOf(encoding_));
        if (!newValue) {
            return false;
        }
        text_.replace(lines_[*line].start, lines_[*line].length,
                      std::string(name) + "=" + *newValue);
        SplitLines();
        changed_ = true;
        return true;
    }

    const auto newLine = Encoded(std::string(key) + "=" + std::string(*value), CodecOf(encoding_));
    if (!newLine) {
        return false;
    }
    std::string insertion;
    std::size_t at = text_.size();
    if (span && span->lastKey == std::string::npos) {
        at = 0; // the leading section, which has no header and no key yet
    } else if (span) {
        // After the section's last key line, so that comments and blank lines below it stay
        // where they are.
        const Line& previous = lines_[span->lastKey];
        at = previous.start + previous.length + previous.endLength;
        if (previous.endLength == 0) {
            insertion += newLine_;
        }
    } else {
        const auto header = Encoded("[" + std::string(section) + "]", CodecOf(encoding_));
        if (!header) {
            return false;
        }
        if (!lines_.empty() && lines_.back().endLength == 0) {
            insertion += newLine_;
        }
        insertion += *header + newLine_;
    }
    insertion += *newLine + newLine_;
    text_.insert(at, insertion);
    SplitLines();
    changed_ = true;
    return true;
}

std::string IniText::Bytes() const {
    if (encoding_ == Encoding::Utf16Le) {
        return bom_ + Utf8ToUtf16Le(text_) + oddByte_;
    }
    return bom_ + text_;
}

} // namespace tmt::platform
