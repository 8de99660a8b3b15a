#include "core/text/CodePage.h"

#include "core/text/CodePageTables.h"
#include "core/text/TextEncoding.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

namespace tmt {

namespace {

constexpr std::uint16_t kNoBytes = 0xFFFF; // no code page has FF as a lead byte

const codepages::CodePageTable* FindTable(unsigned number) {
    for (std::size_t i = 0; i < codepages::kCodePageCount; ++i) {
        if (codepages::kCodePages[i].number == number) {
            return &codepages::kCodePages[i];
        }
    }
    return nullptr;
}

} // namespace

const CodePage& CodePage::Get(unsigned number) {
    static std::mutex mutex;
    static std::map<unsigned, std::unique_ptr<CodePage>> made;
    const std::scoped_lock lock(mutex);
    const codepages::CodePageTable* table = number == kUtf8 ? nullptr : FindTable(number);
    if (number != kUtf8 && table == nullptr) {
        table = FindTable(1252);
    }
    const unsigned key = table != nullptr ? table->number : kUtf8;
    auto& page = made[key];
    if (!page) {
        page.reset(new CodePage(table));
    }
    return *page;
}

CodePage::CodePage(const codepages::CodePageTable* table) : table_(table) {
    if (table_ == nullptr) {
        return;
    }
    number_ = table_->number;
    for (const unsigned char* range = table_->leads; range[0] != 0; range += 2) {
        for (unsigned byte = range[0]; byte <= range[1]; ++byte) {
            leadBytes_[byte] = true;
            doubleByte_ = true;
        }
    }
    std::uint8_t rows = 0;
    for (unsigned byte = 0; byte < 256; ++byte) {
        if (leadBytes_[byte]) {
            rowOf_[byte] = rows++;
        }
    }
    // Writing takes, for each character, the first bytes that read as it, unless Wine prefers
    // others.
    bytesOf_.assign(0x10000, kNoBytes);
    const auto offer = [this](char16_t unit, std::uint16_t bytes) {
        if (bytesOf_[unit] == kNoBytes) {
            bytesOf_[unit] = bytes;
        }
    };
    for (unsigned byte = 0; byte < 256; ++byte) {
        if (!leadBytes_[byte]) {
            offer(table_->single[byte], static_cast<std::uint16_t>(byte));
        }
    }
    const unsigned rowLength = table_->lastTrail - table_->firstTrail + 1u;
    const char16_t* row = table_->pairs;
    for (unsigned lead = 0; lead < 256 && row != nullptr; ++lead) {
        if (!leadBytes_[lead]) {
            continue;
        }
        for (unsigned i = 0; i < rowLength; ++i) {
            offer(row[i], static_cast<std::uint16_t>(lead << 8 | (table_->firstTrail + i)));
        }
        row += rowLength;
    }
    for (const std::uint16_t* preferred = table_->preferred; preferred[0] != 0; preferred += 2) {
        bytesOf_[preferred[0]] = preferred[1];
    }
}

std::string CodePage::Decode(std::string_view bytes) const {
    if (table_ == nullptr) {
        return Utf8AsWineReadsIt(bytes);
    }
    std::string out;
    out.reserve(bytes.size());
    const unsigned rowLength = table_->lastTrail - table_->firstTrail + 1u;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x80 && table_->single[byte] == byte) {
            out += static_cast<char>(byte);
            continue;
        }
        if (!leadBytes_[byte]) {
            AppendUtf8(out, table_->single[byte]);
            continue;
        }
        // A lead byte takes the byte after it, whatever it is, except a NUL or the end.
        if (at + 1 >= bytes.size() || bytes[at + 1] == '\0') {
            AppendUtf8(out, table_->unmapped);
            continue;
        }
        const auto trail = static_cast<unsigned char>(bytes[++at]);
        if (trail < table_->firstTrail || trail > table_->lastTrail) {
            AppendUtf8(out, table_->unmapped);
            continue;
        }
        AppendUtf8(out, table_->pairs[rowOf_[byte] * rowLength + (trail - table_->firstTrail)]);
    }
    return out;
}

std::optional<std::uint16_t> CodePage::BytesOf(char32_t c) const {
    if (c > 0xFFFF || bytesOf_[c] == kNoBytes) {
        return std::nullopt;
    }
    return bytesOf_[c];
}

std::optional<std::string> CodePage::Encode(std::string_view text) const {
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const auto c = NextCodePoint(text, at);
        if (!c) {
            return std::nullopt;
        }
        if (table_ == nullptr) {
            if (IsSurrogate(*c)) {
                return std::nullopt;
            }
            AppendUtf8(out, *c);
            continue;
        }
        const auto bytes = BytesOf(*c);
        if (!bytes) {
            return std::nullopt;
        }
        if (*bytes > 0xFF) {
            out += static_cast<char>(*bytes >> 8);
        }
        out += static_cast<char>(*bytes & 0xFF);
    }
    return out;
}

std::vector<char32_t> CodePage::Unstorable(std::string_view text) const {
    std::vector<char32_t> found;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto c = NextCodePoint(text, at).value_or(0xFFFD);
        const bool storable = table_ == nullptr ? !IsSurrogate(c) : BytesOf(c).has_value();
        if (!storable && std::find(found.begin(), found.end(), c) == found.end()) {
            found.push_back(c);
        }
    }
    return found;
}

} // namespace tmt
