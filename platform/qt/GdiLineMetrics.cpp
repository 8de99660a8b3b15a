#include "platform/qt/GdiLineMetrics.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace tmt::ui {

namespace {

constexpr std::size_t kDirectoryStart = 12;
constexpr std::size_t kRecordSize = 16;

// Offsets inside the tables, and the sizes the tables need for them.
constexpr std::size_t kUnitsPerEm = 18;
constexpr std::size_t kHeadSize = 54;
constexpr std::size_t kFsSelection = 62;
constexpr std::size_t kWinAscent = 74;
constexpr std::size_t kOs2Size = 78;
constexpr std::uint16_t kUseTypoMetrics = 0x80;

// FreeType's synthetic bold grows an outline by at most 1/24 of the em.
constexpr unsigned kEmboldenShare = 24;

std::uint32_t Read(const QByteArray& bytes, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[static_cast<qsizetype>(at + i)]);
    }
    return value;
}

void Write16(QByteArray& bytes, std::size_t at, std::uint16_t value) {
    bytes[static_cast<qsizetype>(at)] = static_cast<char>(value >> 8);
    bytes[static_cast<qsizetype>(at + 1)] = static_cast<char>(value & 0xFF);
}

std::string_view TagAt(const QByteArray& bytes, std::size_t record) {
    return {bytes.constData() + record, 4};
}

// Where the table with this tag starts, when it lies inside the file and holds `size` bytes.
std::optional<std::size_t> Find(const QByteArray& bytes, std::string_view tag, std::size_t size) {
    const auto total = static_cast<std::size_t>(bytes.size());
    const std::size_t count = Read(bytes, 4, 2);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t record = kDirectoryStart + i * kRecordSize;
        if (TagAt(bytes, record) != tag) {
            continue;
        }
        const std::size_t offset = Read(bytes, record + 8, 4);
        const std::size_t length = Read(bytes, record + 12, 4);
        if (length < size || offset > total || total - offset < length) {
            return std::nullopt;
        }
        return offset;
    }
    return std::nullopt;
}

} // namespace

bool UseGdiLineMetrics(QByteArray& font) {
    if (font.size() < static_cast<qsizetype>(kDirectoryStart) || Read(font, 0, 4) != 0x00010000U) {
        return false;
    }
    const std::size_t count = Read(font, 4, 2);
    if (static_cast<std::size_t>(font.size()) < kDirectoryStart + count * kRecordSize) {
        return false;
    }
    const auto head = Find(font, "head", kHeadSize);
    const auto os2 = Find(font, "OS/2", kOs2Size);
    if (!head || !os2) {
        return false;
    }
    const std::uint32_t unitsPerEm = Read(font, *head + kUnitsPerEm, 2);
    const std::uint32_t winAscent =
        Read(font, *os2 + kWinAscent, 2) + (unitsPerEm + kEmboldenShare - 1) / kEmboldenShare;
    if (winAscent > 0xFFFF) {
        return false;
    }
    Write16(font, *os2 + kWinAscent, static_cast<std::uint16_t>(winAscent));
    Write16(font, *os2 + kFsSelection,
            static_cast<std::uint16_t>(Read(font, *os2 + kFsSelection, 2) & ~kUseTypoMetrics));
    // A tag that no reader knows hides a table; the lower case keeps the name recognisable.
    for (const std::string_view tag : {"EBLC", "EBDT", "EBSC"}) {
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t record = kDirectoryStart + i * kRecordSize;
            if (TagAt(font, record) == tag) {
                font[static_cast<qsizetype>(record)] = 'e';
            }
        }
    }
    return true;
}

} // namespace tmt::ui
