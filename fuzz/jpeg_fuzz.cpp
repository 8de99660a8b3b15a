// Any bytes in: a picture or a clean failure out, with and without a fit box.
#include "platform/JpegImage.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    for (const auto [width, height] : {std::pair{0, 0}, std::pair{100, 100}, std::pair{7, 300}}) {
        if (const auto image = tmt::platform::DecodeJpeg(bytes, width, height)) {
            if (image->pixels.size() != static_cast<std::size_t>(image->width) * image->height * 3) {
                std::abort();
            }
        }
    }
    return 0;
}
