// Any bytes into the picture decoder, at full size and for an avatar's box: a picture or nothing,
// never a crash, a leak or a buffer that disagrees with its size.
#include "core/JpegImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Check(const std::optional<tmt::RgbImage>& image) {
    if (image && (image->width <= 0 || image->height <= 0 ||
                  image->pixels.size() != static_cast<std::size_t>(image->width) *
                                              static_cast<std::size_t>(image->height) * 3)) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    Check(tmt::DecodeJpeg(bytes));
    Check(tmt::DecodeJpeg(bytes, 100, 100));
    return 0;
}
