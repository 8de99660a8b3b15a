#include "platform/IniText.h"

#include "core/text/CodePage.h"
#include "core/text/Text.h"
#include "core/text/TextEncoding.h"

#include <cstring>

namespace tmt::platform {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::size_t kBufferUnits = 2048; // the buffer the game reads a value into

// How the bytes of a working text are read. `page` is the ANSI code page or UTF-8; none when the
// text is the UTF-8 form of a UTF-16 file. Only a double-byte code page needs to step over
// characters: in every other form a byte below 0x80 is always a character of its own.
struct Codec {
    const CodePage* page = nullptr;

    bool DoubleByte() const { return page != nullptr && page->IsDoubleByte(); }

    // Where the character that begins at `at` ends: a lead byte takes the byte after it unless
    // that byte is a NUL.
    std::size_t Next(std::string_view text, std::size_t at) const {
        if (DoubleByte() && page->IsLeadByte(static_cast<unsigned char>(text[at])) &&
            at + 1 < text.size() && text[at + 1] != '\0') {
            return at + 2;
        }
        return at + 1;
    }

    std::string Decode(std::string_view raw) const {
        return page != nullptr ? page->Decode(raw) : SanitisedUtf8(raw);
    }

    std::optional<std::string> Encode(std::string_view text) const {
        if (page != nullptr) {
            return page->Encode(text);
        }
        if (SanitisedUtf8(text) != text) {
            return std::nullopt;
        }
        return std::string(text);
    }
};

// The blanks the profile functions trim around lines, names and values.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

std::string_view TrimmedStart(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

// Without the blanks at its end; in a double-byte code page a blank byte that ends a pair is no
// blank.
std::string_view TrimmedEnd(std::string_view text, const Codec& codec) {
    if (!codec.DoubleByte()) {
        while (!text.empty() && IsBlank(text.back())) {
            text.remove_suffix(1);
        }
        return text;
    }
    std::size_t end = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t next = codec.Next(text, at);
        if (next - at > 1 || !IsBlank(text[at])) {
            end = next;
        }
        at = next;
    }
    return text.substr(0, end);
}

std::string_view Trimmed(std::string_view text, const Codec& codec) {
    return TrimmedEnd(TrimmedStart(text), codec);
}

// Names and values end at their first NUL, as the Windows functions see them.
std::string_view CutAtNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// The first character equal to `wanted` at or after `from`, counting only characters that begin
// where a character begins.
std::size_t FindChar(std::string_view text, char wanted, const Codec& codec, std::size_t from = 0) {
    if (!codec.DoubleByte()) {
        return text.find(wanted, from);
    }
    for (std::size_t at = from; at < text.size(); at = codec.Next(text, at)) {
        if (text[at] == wanted && codec.Next(text, at) == at + 1) {
            return at;
        }
    }
    return std::string_view::npos;
}

std::size_t FindLastChar(std::string_view text, char wanted, const Codec& codec) {
    if (!codec.DoubleByte()) {
        return text.rfind(wanted);
    }
    std::size_t found = std::string_view::npos;
    for (std::size_t at = FindChar(text, wanted, codec); at != std::string_view::npos;
         at = FindChar(text, wanted, codec, at + 1)) {
        found = at;
    }
    return found;
}

enum class Kind { Other, Section, Key };

struct Parsed {
    Kind kind = Kind::Other;
    std::string_view name;                 // section or key name, trimmed, as it stands
    std::optional<std::string_view> value; // after "=", blanks before it trimmed; none without "="
};

// One line as Wine's profile code reads it. A line that is not a section header is a key line:
// a name up to the first "=" and a value after it, or only a name. Comments are key lines whose
// name begins with ";".
Parsed Parse(std::string_view line, const Codec& codec) {
    const std::string_view text = Trimmed(line, codec);
    if (text.empty()) {
        return {};
    }
    if (text.front() == '[') {
        const std::size_t close = FindLastChar(text, ']', codec);
        if (close != std::string_view::npos) {
            return {Kind::Section, Trimmed(text.substr(1, close - 1), codec), std::nullopt};
        }
    }
    const std::size_t equals = FindChar(text, '=', codec);
    if (equals == std::string_view::npos) {
        return {Kind::Key, text, std::nullopt};
    }
    return {Kind::Key, TrimmedEnd(text.substr(0, equals), codec),
            TrimmedStart(text.substr(equals + 1))};
}

bool IsComment(std::string_view name) {
    return !name.empty() && name.front() == ';';
}

// A key line counts unless its name is empty and so was the name of the key line before it in
// the section: Wine keeps only the first of such a run.
class KeyRun {
public:
    bool Counts(std::string_view name) {
        const bool counts = !name.empty() || !previousEmpty_.has_value() || !*previousEmpty_;
        if (counts) {
            previousEmpty_ = CutAtNul(name).empty();
        }
        return counts;
    }

private:
    std::optional<bool> previousEmpty_; // none before the first key line
};

// Whether a name asked for loses its blanks first: Wine trims the section and key of a read, but
// not the section whose keys it lists.
enum class Asked { Trimmed, AsGiven };

// A name as asked for, and in the text's own bytes where names can be compared byte for byte.
class WantedName {
public:
    WantedName(std::string_view name, const Codec& codec, Asked asked = Asked::Trimmed)
        : utf8_(CutAtNul(asked == Asked::Trimmed ? Trimmed(name, Codec{}) : name)), codec_(codec) {
        if (!codec.DoubleByte()) {
            encoded_ = codec.Encode(utf8_);
        }
    }

    bool Matches(std::string_view raw) const {
        raw = CutAtNul(raw);
        if (codec_.DoubleByte()) {
            // A trail byte may be a letter; only whole characters may be compared.
            return EqualsIgnoreAsciiCase(codec_.Decode(raw), utf8_);
        }
        return encoded_ && EqualsIgnoreAsciiCase(raw, *encoded_);
    }

    bool empty() const { return utf8_.empty(); }

private:
    std::string utf8_;
    std::optional<std::string> encoded_;
    Codec codec_;
};

// A value as GetPrivateProfileStringW hands it over in its buffer: up to its first NUL, without
// one pair of enclosing quotes (single or double), at most 2047 UTF-16 units. When the value fills
// the buffer the closing quote is cut off by the buffer and Wine then drops the last character
// that did fit instead.
enum class Quotes { Stripped, Kept };

std::string BufferedValue(std::string_view raw, const Codec& codec,
                          Quotes quotes = Quotes::Stripped) {
    const std::u16string units = Utf8ToUtf16Units(codec.Decode(CutAtNul(raw)));
    const std::size_t count = units.size();
    std::size_t first = 0;
    std::size_t length = count;
    bool dropLast = false;
    if (quotes == Quotes::Stripped && count >= 2 && (units[0] == u'"' || units[0] == u'\'') &&
        units[count - 1] == units[0]) {
        first = 1;
        length = count - 1;
        dropLast = length <= kBufferUnits;
    }
    length = std::min(length, kBufferUnits - 1);
    if (dropLast) {
        --length;
    }
    // Wine's buffer may end between the two units of a character; the program never hands out
    // half a character, so the whole character stays outside.
    if (length > 0 && first + length < count && IsHighSurrogate(units[first + length - 1]) &&
        IsLowSurrogate(units[first + length])) {
        --length;
    }
    return SanitisedUtf8(Utf16UnitsToUtf8(std::u16string_view(units).substr(first, length)));
}

struct LineAt {
    std::size_t length;    // of the contents
    std::size_t endLength; // of the line end
};

// The line that starts at `at`: it ends at a line feed, a carriage return and line feed, or a
// carriage return on its own.
LineAt LineStartingAt(std::string_view text, std::size_t at, const Codec& codec) {
    if (codec.DoubleByte()) {
        // A line end that is the second byte of a pair belongs to the character.
        std::size_t i = at;
        while (i < text.size() && text[i] != '\n' && text[i] != '\r') {
            i = codec.Next(text, i);
        }
        const std::size_t length = std::min(i, text.size()) - at;
        if (i >= text.size()) {
            return {length, 0};
        }
        const bool crLf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        return {length, crLf ? std::size_t{2} : std::size_t{1}};
    }
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

// Calls `onKey` with each counted key line of the first section of the name, in order, until it
// returns true. The text is UTF-8 or in a single-byte code page.
template <typename OnKey>
void ForEachKeyOfSection(std::string_view text, const Codec& codec, std::string_view section,
                         Asked asked, OnKey onKey) {
    const WantedName wanted(section, codec, asked);
    bool inside = wanted.empty();
    KeyRun run;
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
            while (start > at && IsBlank(text[start - 1]) && text[start - 1] != '\n' &&
                   text[start - 1] != '\r') {
                --start;
            }
            if (start > 0 && text[start - 1] != '\n' && text[start - 1] != '\r') {
                at = bracket + 1;
                continue;
            }
            at = start;
        }
        const LineAt line = LineStartingAt(text, at, codec);
        const Parsed parsed = Parse(text.substr(at, line.length), codec);
        at += line.length + line.endLength;
        if (parsed.kind == Kind::Section) {
            if (inside) {
                return;
            }
            inside = wanted.Matches(parsed.name);
        } else if (inside && parsed.kind == Kind::Key && run.Counts(parsed.name) && onKey(parsed)) {
            return;
        }
    }
}

std::optional<std::string> ReadIn(std::string_view text, const Codec& codec,
                                  std::string_view section, std::string_view key) {
    const WantedName wantedKey(key, codec);
    std::optional<std::string> value;
    ForEachKeyOfSection(text, codec, section, Asked::Trimmed, [&](const Parsed& parsed) {
        if (!wantedKey.Matches(parsed.name)) {
            return false;
        }
        // The first line of the name decides, also when it has no value to give.
        if (parsed.value) {
            value = BufferedValue(*parsed.value, codec);
        }
        return true;
    });
    return value;
}

std::vector<std::string> KeysIn(std::string_view text, const Codec& codec,
                                std::string_view section) {
    std::vector<std::string> keys;
    ForEachKeyOfSection(text, codec, section, Asked::AsGiven, [&](const Parsed& parsed) {
        if (!parsed.value || IsComment(parsed.name)) {
            return false;
        }
        const std::string_view name = CutAtNul(parsed.name);
        // The names come one after another, each ended by a NUL, and the list by an empty name:
        // an empty key name ends it early for every reader.
        if (name.empty()) {
            return true;
        }
        keys.push_back(codec.Decode(name));
        return false;
    });
    return keys;
}

enum class Mark { None, Utf8, Utf16Le, Utf16Be };

Mark MarkOf(std::string_view fileBytes) {
    if (fileBytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        return Mark::Utf8;
    }
    if (fileBytes.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) {
        return Mark::Utf16Le;
    }
    if (fileBytes.substr(0, kUtf16BeBom.size()) == kUtf16BeBom) {
        return Mark::Utf16Be;
    }
    return Mark::None;
}

bool IsAscii(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Calls `read` with a text that the reads can work on and its codec: a single-byte file as it
// stands, any other first turned into the UTF-8 that Wine reads it as.
template <typename Read>
auto WithReadableText(std::string_view fileBytes, const CodePage& ansi, Read read) {
    switch (MarkOf(fileBytes)) {
    case Mark::Utf16Le:
        return read(Utf16ToUtf8(fileBytes.substr(2), ByteOrder::LittleEndian), Codec{});
    case Mark::Utf16Be:
        return read(Utf16ToUtf8(fileBytes.substr(2), ByteOrder::BigEndian), Codec{});
    case Mark::Utf8:
        fileBytes.remove_prefix(kUtf8Bom.size());
        return IsAscii(fileBytes) ? read(fileBytes, Codec{})
                                  : read(Utf8AsWineReadsIt(fileBytes), Codec{});
    case Mark::None:
        break;
    }
    if (ansi.IsDoubleByte() || (ansi.Number() == CodePage::kUtf8 && !IsAscii(fileBytes))) {
        return read(ansi.Decode(fileBytes), Codec{});
    }
    return read(fileBytes, Codec{&ansi});
}

} // namespace

std::string IniText::DefaultAsRead(std::string_view defaultValue, Default form) {
    while (!defaultValue.empty() && defaultValue.back() == ' ') {
        defaultValue.remove_suffix(1);
    }
    return BufferedValue(defaultValue, Codec{},
                         form == Default::AsBuffered ? Quotes::Stripped : Quotes::Kept);
}

std::optional<std::string> IniText::ReadFrom(std::string_view fileBytes, const CodePage& ansi,
                                             std::string_view section, std::string_view key) {
    return WithReadableText(fileBytes, ansi, [&](std::string_view text, const Codec& codec) {
        return ReadIn(text, codec, section, key);
    });
}

std::vector<std::string> IniText::KeysFrom(std::string_view fileBytes, const CodePage& ansi,
                                           std::string_view section) {
    return WithReadableText(fileBytes, ansi, [&](std::string_view text, const Codec& codec) {
        return KeysIn(text, codec, section);
    });
}

IniText::IniText(const CodePage& ansi, Encoding encoding)
    : encoding_(encoding), ansi_(&ansi), page_(&ansi) {
    switch (encoding) {
    case Encoding::Ansi:
        break;
    case Encoding::Utf8:
        page_ = &CodePage::Get(CodePage::kUtf8);
        bom_ = kUtf8Bom;
        break;
    case Encoding::Utf16Le:
        page_ = nullptr;
        bom_ = kUtf16LeBom;
        break;
    case Encoding::Utf16Be:
        page_ = nullptr;
        bom_ = kUtf16BeBom;
        break;
    }
}

IniText::IniText(std::string_view fileBytes, const CodePage& ansi) : ansi_(&ansi), page_(&ansi) {
    const Mark mark = MarkOf(fileBytes);
    if (mark == Mark::Utf8) {
        encoding_ = Encoding::Utf8;
        page_ = &CodePage::Get(CodePage::kUtf8);
        bom_ = kUtf8Bom;
        text_ = fileBytes.substr(kUtf8Bom.size());
    } else if (mark == Mark::Utf16Le || mark == Mark::Utf16Be) {
        encoding_ = mark == Mark::Utf16Le ? Encoding::Utf16Le : Encoding::Utf16Be;
        page_ = nullptr;
        bom_ = fileBytes.substr(0, 2);
        const std::string_view units = fileBytes.substr(2);
        text_ = Utf16ToUtf8(units,
                            mark == Mark::Utf16Le ? ByteOrder::LittleEndian : ByteOrder::BigEndian);
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
    const Codec codec{page_};
    for (std::size_t at = 0; at < text_.size();) {
        const LineAt line = LineStartingAt(text_, at, codec);
        lines_.push_back({at, line.length, line.endLength});
        at += line.length + line.endLength;
    }
}

std::string_view IniText::Content(std::size_t line) const {
    return std::string_view(text_).substr(lines_[line].start, lines_[line].length);
}

std::optional<IniText::Span> IniText::FindSection(std::string_view section) const {
    const Codec codec{page_};
    const WantedName wanted(section, codec);
    // Lines before the first header belong to the section with the empty name.
    bool inside = wanted.empty();
    std::optional<Span> span;
    if (inside) {
        span = Span{std::string::npos, std::string::npos, 0};
    }
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Parsed parsed = Parse(Content(i), codec);
        if (parsed.kind == Kind::Section) {
            if (inside) {
                span->end = i;
                return span;
            }
            if (wanted.Matches(parsed.name)) {
                inside = true;
                span = Span{i, i, i + 1};
            }
        } else if (inside && parsed.kind == Kind::Key && parsed.value && !IsComment(parsed.name)) {
            span->lastKey = i;
        }
    }
    if (span) {
        span->end = lines_.size();
    }
    return span;
}

std::optional<std::size_t> IniText::FindKey(const Span& span, std::string_view key) const {
    const Codec codec{page_};
    const WantedName wanted(key, codec);
    KeyRun run;
    const std::size_t first = span.header == std::string::npos ? 0 : span.header + 1;
    for (std::size_t i = first; i < span.end; ++i) {
        const Parsed parsed = Parse(Content(i), codec);
        if (parsed.kind == Kind::Key && run.Counts(parsed.name) && wanted.Matches(parsed.name)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> IniText::Read(std::string_view section, std::string_view key) const {
    return ReadFrom(Bytes(), *ansi_, section, key);
}

std::vector<std::string> IniText::Keys(std::string_view section) const {
    return KeysFrom(Bytes(), *ansi_, section);
}

std::vector<char32_t> IniText::Unstorable(std::string_view text) const {
    return page_ != nullptr ? page_->Unstorable(text) : std::vector<char32_t>{};
}

bool IniText::Write(std::string_view section, std::string_view key,
                    std::optional<std::string_view> value) {
    // Wine drops the blanks that begin the names and the value before anything else: a key
    // " Resolution " is the key Resolution, and a new one is written as "Resolution ".
    section = TrimmedStart(section);
    key = TrimmedStart(key);
    if (value) {
        value = TrimmedStart(*value);
    }
    // A line end inside a name or value would split the line and plant keys of its own.
    // A NUL ends the text for the Windows functions. A key that is empty, holds "=" or begins
    // like a section header or a comment would not read back as itself.
    const auto breaksLine = [](std::string_view text) {
        return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
    };
    const std::string_view trimmedKey = Trimmed(key, Codec{});
    if (breaksLine(section) || breaksLine(key) || (value && breaksLine(*value)) ||
        trimmedKey.empty() || key.find('=') != std::string_view::npos ||
        trimmedKey.front() == '[' || trimmedKey.front() == ';' ||
        section.find(']') != std::string_view::npos) {
        return false;
    }
    const Codec codec{page_};
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
        const std::string_view name =
            TrimmedEnd(content.substr(0, FindChar(content, '=', codec)), codec);
        const auto newValue = codec.Encode(*value);
        if (!newValue) {
            return false;
        }
        text_.replace(lines_[*line].start, lines_[*line].length,
                      std::string(name) + "=" + *newValue);
        SplitLines();
        changed_ = true;
        return true;
    }

    const auto newLine = codec.Encode(std::string(key) + "=" + std::string(*value));
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
        const auto header = codec.Encode("[" + std::string(section) + "]");
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
    switch (encoding_) {
    case Encoding::Utf16Le:
        return bom_ + Utf8ToUtf16(text_, ByteOrder::LittleEndian) + oddByte_;
    case Encoding::Utf16Be:
        return bom_ + Utf8ToUtf16(text_, ByteOrder::BigEndian) + oddByte_;
    case Encoding::Ansi:
    case Encoding::Utf8:
        break;
    }
    return bom_ + text_;
}

} // namespace tmt::platform
