// Any bytes through every function of the text module: each conversion gives valid text where it
// promises to, round trips give back what went in, and nothing reads past the end.
#include "core/text/CodePage.h"
#include "core/text/Text.h"
#include "core/text/TextEncoding.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

// True when every sequence decodes and none is a surrogate: text the program may hand out.
bool IsValidUtf8(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const auto c = tmt::NextCodePoint(text, at);
        if (!c || tmt::IsSurrogate(*c)) {
            return false;
        }
    }
    return true;
}

void CheckUtf8(std::string_view bytes) {
    std::string again;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t start = at;
        const auto c = tmt::NextCodePoint(bytes, at);
        Require(at > start && at <= bytes.size(), "the decoder did not move on within the text");
        if (c) {
            again.clear();
            tmt::AppendUtf8(again, *c);
            Require(again == bytes.substr(start, at - start), "a code point encodes otherwise");
        }
    }
    const std::string sanitised = tmt::SanitisedUtf8(bytes);
    Require(IsValidUtf8(sanitised), "sanitised text is not valid");
    Require(tmt::SanitisedUtf8(sanitised) == sanitised, "sanitising twice changes the text");
    Require(IsValidUtf8(tmt::Utf8AsWineReadsIt(bytes)), "Wine's reading is not valid text");
}

void CheckUtf16(std::string_view bytes) {
    const std::string_view whole = bytes.substr(0, bytes.size() & ~std::size_t{1});
    for (const auto order : {tmt::ByteOrder::LittleEndian, tmt::ByteOrder::BigEndian}) {
        const std::string text = tmt::Utf16ToUtf8(bytes, order);
        Require(tmt::Utf8ToUtf16(text, order) == whole, "UTF-16 does not round-trip");
    }
    const std::u16string units = tmt::Utf8ToUtf16Units(bytes);
    Require(tmt::Utf8ToUtf16(bytes, tmt::ByteOrder::LittleEndian) ==
                tmt::Utf8ToUtf16(tmt::Utf16UnitsToUtf8(units), tmt::ByteOrder::LittleEndian),
            "units and bytes disagree");
}

void CheckCodePage(const tmt::CodePage& page, std::string_view bytes) {
    const std::string text = page.Decode(bytes);
    Require(IsValidUtf8(text), "a code page reads as invalid text");
    const std::string storable = tmt::SanitisedUtf8(text);
    const auto encoded = page.Encode(storable);
    Require(encoded.has_value() == page.Unstorable(storable).empty(),
            "encoding and the unstorable characters disagree");
    if (encoded) {
        Require(page.Decode(*encoded) == storable, "written text does not read back");
    }
}

void CheckAscii(std::string_view text) {
    const std::string upper = tmt::UpperAscii(text);
    const std::string lower = tmt::LowerAscii(text);
    Require(tmt::EqualsIgnoreAsciiCase(upper, lower) && tmt::EqualsIgnoreAsciiCase(text, upper),
            "letter case is not ignored");
    Require(tmt::UpperAscii(lower) == upper, "upper and lower case disagree");
    for (const char c : text) {
        const int value = tmt::HexDigitValue(c);
        Require(value == -1 ||
                    (value < 16 && std::string("0123456789abcdef")[value] == tmt::LowerAscii(c)),
                "a hex digit has another value");
    }
    const std::string_view inner = tmt::WithoutQuotes(text);
    Require(inner == text || inner.size() + 2 == text.size(), "quotes other than one pair went");
    const std::string_view trimmed = tmt::WithoutTrailingSeparators(text);
    Require(text.starts_with(trimmed) && (text.empty() || !trimmed.empty()),
            "trimming separators took more than the end");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    static constexpr unsigned kCodePages[] = {874,  1250, 1251, 1252, 1253, 1254, 1255, 1256,
                                              1257, 1258, 932,  936,  949,  950,  65001};
    const tmt::CodePage& page = tmt::CodePage::Get(input.PickValueInArray(kCodePages));
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    CheckUtf8(bytes);
    CheckUtf16(bytes);
    CheckCodePage(page, bytes);
    CheckAscii(bytes);
    return 0;
}
