#include "platform/VersionInfo.h"

#include "platform/linux/PathMap.h"

#include <array>
#include <cstring>
#include <fstream>
#include <vector>

namespace tmt::platform {

namespace {

// The version record lives in an ELF section of this name (see cmake/TmVersionRecord.cmake).
constexpr std::string_view kSectionName = ".tm_version";
constexpr std::uint32_t kSignature = 0xFEEF04BD;
constexpr std::size_t kRecordSize = 13 * sizeof(std::uint32_t);

class Reader {
public:
    explicit Reader(std::ifstream& in) : in_(in) {}

    bool Read(std::uint64_t offset, void* into, std::size_t size) {
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        return static_cast<bool>(
            in_.read(static_cast<char*>(into), static_cast<std::streamsize>(size)));
    }

    template <typename T> std::optional<T> Get(std::uint64_t offset) {
        T value{};
        if (!Read(offset, &value, sizeof value)) {
            return std::nullopt;
        }
        return value;
    }

private:
    std::ifstream& in_;
};

struct Section {
    std::uint32_t name = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

// Reads section header `index`; 64-bit and 32-bit little-endian layouts differ only in field
// widths and places.
std::optional<Section> ReadSection(Reader& reader, bool is64, std::uint64_t table,
                                   std::uint16_t entrySize, std::uint16_t index) {
    const std::uint64_t at = table + static_cast<std::uint64_t>(index) * entrySize;
    Section section;
    auto name = reader.Get<std::uint32_t>(at);
    if (!name) {
        return std::nullopt;
    }
    section.name = *name;
    if (is64) {
        auto offset = reader.Get<std::uint64_t>(at + 24);
        auto size = reader.Get<std::uint64_t>(at + 32);
        if (!offset || !size) {
            return std::nullopt;
        }
        section.offset = *offset;
        section.size = *size;
    } else {
        auto offset = reader.Get<std::uint32_t>(at + 16);
        auto size = reader.Get<std::uint32_t>(at + 20);
        if (!offset || !size) {
            return std::nullopt;
        }
        section.offset = *offset;
        section.size = *size;
    }
    return section;
}

} // namespace

std::optional<FixedFileInfo> ReadFixedFileInfo(std::string_view fileName) {
    std::ifstream in(ToNativePath(fileName), std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    Reader reader(in);
    std::array<unsigned char, 16> ident{};
    if (!reader.Read(0, ident.data(), ident.size()) ||
        std::memcmp(ident.data(),
                    "\x7f"
                    "ELF",
                    4) != 0 ||
        ident[5] != 1 /* little endian */) {
        return std::nullopt;
    }
    const bool is64 = ident[4] == 2;
    std::optional<std::uint64_t> table;
    if (is64) {
        table = reader.Get<std::uint64_t>(0x28);
    } else if (auto table32 = reader.Get<std::uint32_t>(0x20)) {
        table = *table32;
    }
    auto entrySize = reader.Get<std::uint16_t>(is64 ? 0x3A : 0x2E);
    auto count = reader.Get<std::uint16_t>(is64 ? 0x3C : 0x30);
    auto namesIndex = reader.Get<std::uint16_t>(is64 ? 0x3E : 0x32);
    if (!table || !entrySize || !count || !namesIndex || *namesIndex >= *count) {
        return std::nullopt;
    }
    auto names = ReadSection(reader, is64, *table, *entrySize, *namesIndex);
    if (!names) {
        return std::nullopt;
    }
    for (std::uint16_t i = 0; i < *count; ++i) {
        auto section = ReadSection(reader, is64, *table, *entrySize, i);
        if (!section || section->size < kRecordSize) {
            continue;
        }
        std::array<char, kSectionName.size() + 1> name{};
        if (!reader.Read(names->offset + section->name, name.data(), name.size()) ||
            std::string_view(name.data(), kSectionName.size()) != kSectionName ||
            name.back() != '\0') {
            continue;
        }
        std::array<std::uint32_t, 13> record{};
        if (!reader.Read(section->offset, record.data(), kRecordSize) || record[0] != kSignature) {
            return std::nullopt;
        }
        return FixedFileInfo{record[2], record[3], record[4], record[5]};
    }
    return std::nullopt;
}

} // namespace tmt::platform
