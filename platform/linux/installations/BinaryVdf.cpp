#include "platform/linux/installations/Vdf.h"

#include <cstdint>
#include <cstring>

namespace tmt::platform::vdf {

namespace {

constexpr int kMaxDepth = 32;

enum Type : unsigned char {
    kBlock = 0x00,
    kText = 0x01,
    kInt32 = 0x02,
    kFloat32 = 0x03,
    kPointer = 0x04,
    kColor = 0x06,
    kUint64 = 0x07,
    kEnd = 0x08,
    kInt64 = 0x0a,
    kAlternateEnd = 0x0b,
};

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    // The entries up to the end mark of the block that begins here.
    std::optional<Block> ReadBlock(int depth) {
        if (depth > kMaxDepth) {
            return std::nullopt;
        }
        Block block;
        while (at_ < bytes_.size()) {
            const auto type = static_cast<unsigned char>(bytes_[at_++]);
            if (type == kEnd || type == kAlternateEnd) {
                return block;
            }
            std::optional<std::string> key = ReadText();
            if (!key) {
                return std::nullopt;
            }
            Entry entry{std::move(*key), std::string()};
            if (type == kBlock) {
                std::optional<Block> inner = ReadBlock(depth + 1);
                if (!inner) {
                    return std::nullopt;
                }
                entry.value = std::move(*inner);
            } else if (std::optional<std::string> value = ReadValue(type)) {
                entry.value = std::move(*value);
            } else {
                return std::nullopt;
            }
            block.entries.push_back(std::move(entry));
        }
        // Only the outermost block may end with the file instead of its mark.
        return depth == 0 ? std::optional<Block>(std::move(block)) : std::nullopt;
    }

private:
    std::optional<std::string> ReadText() {
        const std::size_t end = bytes_.find('\0', at_);
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        std::string text(bytes_.substr(at_, end - at_));
        at_ = end + 1;
        return text;
    }

    template <typename Number> std::optional<std::string> ReadNumber() {
        Number number{};
        if (bytes_.size() - at_ < sizeof number) {
            return std::nullopt;
        }
        // Steam writes little-endian numbers, as this machine reads them.
        std::memcpy(&number, bytes_.data() + at_, sizeof number);
        at_ += sizeof number;
        return std::to_string(number);
    }

    std::optional<std::string> ReadValue(unsigned char type) {
        switch (type) {
        case kText:
            return ReadText();
        case kInt32:
        case kPointer:
        case kColor:
            return ReadNumber<std::int32_t>();
        case kFloat32:
            return ReadNumber<float>();
        case kUint64:
            return ReadNumber<std::uint64_t>();
        case kInt64:
            return ReadNumber<std::int64_t>();
        default:
            return std::nullopt;
        }
    }

    std::string_view bytes_;
    std::size_t at_ = 0;
};

} // namespace

std::optional<Block> ParseBinary(std::string_view bytes) {
    // The file is one block without a type byte or key of its own around its entries.
    return Reader(bytes).ReadBlock(0);
}

} // namespace tmt::platform::vdf
