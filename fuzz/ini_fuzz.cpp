// Random file bytes, then random writes and deletes: reads never crash, and every line a write
// does not touch survives byte for byte, in order.
#include "core/text/CodePage.h"
#include "core/text/TextEncoding.h"
#include "platform/IniText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The text as the file's encoding reads it.
std::string Working(const std::string& bytes) {
    using tmt::ByteOrder;
    if (bytes.compare(0, 2, "\xFF\xFE") == 0) {
        return tmt::Utf16ToUtf8(std::string_view(bytes).substr(2), ByteOrder::LittleEndian);
    }
    if (bytes.compare(0, 2, "\xFE\xFF") == 0) {
        return tmt::Utf16ToUtf8(std::string_view(bytes).substr(2), ByteOrder::BigEndian);
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        return bytes.substr(3);
    }
    return bytes;
}

void Show(const char* label, const std::string& text) {
    std::fprintf(stderr, "%s: ", label);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            std::fputc(c, stderr);
        } else {
            std::fprintf(stderr, "\\x%02X", byte);
        }
    }
    std::fputc('\n', stderr);
}

// A write is one contiguous edit of the text: `after` is `before` with at most one line's bytes
// taken out and new bytes put in at that place. Every other byte stays where it was.
void CheckUntouchedSurvive(const std::string& before, const std::string& after) {
    const std::string old = Working(before);
    const std::string now = Working(after);
    std::size_t prefix = 0;
    while (prefix < old.size() && prefix < now.size() && old[prefix] == now[prefix]) {
        ++prefix;
    }
    std::size_t suffix = 0;
    while (suffix < old.size() - prefix && suffix < now.size() - prefix &&
           old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix]) {
        ++suffix;
    }
    const std::string removed = old.substr(prefix, old.size() - prefix - suffix);
    const auto count = [&](char c) {
        return std::count(removed.begin(), removed.end(), c);
    };
    if (count('\n') > 1 || count('\r') > 1) {
        std::fprintf(stderr, "a write changed more than its own line\n");
        Show("before", before);
        Show("after", after);
        std::abort();
    }
}

const char* const kNames[] = {"Graphics", "graphics", "Path", "Net", "", "profile", "S", "k"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // Single-byte, double-byte and UTF-8 ANSI code pages read and write differently.
    static constexpr unsigned kCodePages[] = {1252, 1251, 932, 936, 65001};
    const auto& ansi = tmt::CodePage::Get(input.PickValueInArray(kCodePages));
    const std::string file = input.ConsumeRandomLengthString(4096);
    tmt::platform::IniText text(file, ansi);
    std::string bytes = text.Bytes();
    if (bytes != file) {
        std::fprintf(stderr, "reading alone changed the bytes\n");
        std::abort();
    }
    while (input.remaining_bytes() > 0) {
        const std::string section = input.PickValueInArray(kNames);
        const std::string key = input.PickValueInArray(kNames);
        (void)text.Read(section, key);
        (void)text.Keys(section);
        std::optional<std::string> value;
        if (input.ConsumeBool()) {
            value = input.ConsumeRandomLengthString(64);
        }
        if (!text.Write(section, key, value)) {
            if (text.Bytes() != bytes) {
                std::fprintf(stderr, "a refused write changed the bytes\n");
                std::abort();
            }
            continue;
        }
        const std::string after = text.Bytes();
        // In a double-byte code page a line end may be the second byte of a character, so the
        // bytes a line spans can hold more than one.
        if (!ansi.IsDoubleByte()) {
            CheckUntouchedSurvive(bytes, after);
        }
        bytes = after;
    }
    return 0;
}
