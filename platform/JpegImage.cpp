#include "platform/JpegImage.h"

#include "platform/linux/FileOps.h"

#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace tmt::platform {

namespace {

constexpr std::uint64_t kMaxPixels = 100'000'000;

// libjpeg's own error handler ends the process; this one jumps back to the decoder instead.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void JumpOut(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// libjpeg decodes a truncated file to the end with grey filling and only warns; a picture cut
// short is a failure here. Other warnings (stray bytes between markers) leave a usable picture.
void OnMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
        JumpOut(info);
    }
}

// The smallest scale N/8 at which the picture still covers the fit box on its limiting side.
unsigned ScaleNumerator(unsigned width, unsigned height, int fitWidth, int fitHeight) {
    if (fitWidth <= 0 || fitHeight <= 0) {
        return 8;
    }
    // Fitting keeps proportions, so the side with the smaller box-to-picture ratio limits.
    const bool widthLimits = static_cast<std::uint64_t>(fitWidth) * height <=
                             static_cast<std::uint64_t>(fitHeight) * width;
    const std::uint64_t side = widthLimits ? width : height;
    const std::uint64_t wanted = static_cast<std::uint64_t>(widthLimits ? fitWidth : fitHeight);
    for (unsigned numerator = 1; numerator < 8; ++numerator) {
        if ((side * numerator + 7) / 8 >= wanted) {
            return numerator;
        }
    }
    return 8;
}

void ToRgb(const JSAMPLE* row, unsigned width, int components, bool adobeInverted,
           std::uint8_t* out) {
    for (unsigned x = 0; x < width; ++x, out += 3) {
        if (components == 1) {
            out[0] = out[1] = out[2] = row[x];
        } else if (components == 3) {
            out[0] = row[3 * x];
            out[1] = row[3 * x + 1];
            out[2] = row[3 * x + 2];
        } else {
            // CMYK; Adobe writes it inverted, so there the values are already 255 - ink.
            unsigned c = row[4 * x], m = row[4 * x + 1], y = row[4 * x + 2], k = row[4 * x + 3];
            if (!adobeInverted) {
                c = 255 - c;
                m = 255 - m;
                y = 255 - y;
                k = 255 - k;
            }
            out[0] = static_cast<std::uint8_t>(c * k / 255);
            out[1] = static_cast<std::uint8_t>(m * k / 255);
            out[2] = static_cast<std::uint8_t>(y * k / 255);
        }
    }
}

// Kept free of objects with destructors: longjmp may leave it at any libjpeg call. Whatever it
// allocates belongs to the caller, so nothing leaks when it is left that way.
bool Decode(jpeg_decompress_struct& info, ErrorManager& errors, const std::uint8_t* data,
            std::size_t size, int fitWidth, int fitHeight, RgbImage& image,
            std::vector<JSAMPLE>& rowBuffer) {
    if (setjmp(errors.jump) != 0) {
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        return false;
    }
    if (static_cast<std::uint64_t>(info.image_width) * info.image_height > kMaxPixels) {
        return false;
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : info.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    info.scale_num = ScaleNumerator(info.image_width, info.image_height, fitWidth, fitHeight);
    info.scale_denom = 8;
    jpeg_start_decompress(&info);

    const bool adobeInverted = cmyk && info.saw_Adobe_marker;
    const unsigned width = info.output_width;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(info.output_height);
    image.pixels.resize(static_cast<std::size_t>(width) * info.output_height * 3);
    rowBuffer.resize(static_cast<std::size_t>(width) *
                     static_cast<unsigned>(info.output_components));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rowBuffer.data();
        const std::size_t y = info.output_scanline;
        if (jpeg_read_scanlines(&info, &row, 1) != 1) {
            return false;
        }
        ToRgb(rowBuffer.data(), width, info.output_components, adobeInverted,
              image.pixels.data() + y * width * 3);
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

std::optional<RgbImage> DecodeJpeg(std::span<const std::uint8_t> bytes, int fitWidth,
                                   int fitHeight) {
    if (bytes.empty()) {
        return std::nullopt;
    }
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpOut;
    errors.base.emit_message = OnMessage;
    errors.base.output_message = [](j_common_ptr) {
    };
    RgbImage image;
    std::vector<JSAMPLE> rowBuffer;
    const bool decoded =
        Decode(info, errors, bytes.data(), bytes.size(), fitWidth, fitHeight, image, rowBuffer);
    jpeg_destroy_decompress(&info);
    if (!decoded) {
        return std::nullopt;
    }
    return image;
}

std::optional<RgbImage> DecodeJpegFile(const std::filesystem::path& nativePath, int fitWidth,
                                       int fitHeight) {
    std::string bytes;
    if (fileops::ReadWholeFile(nativePath.string(), bytes) != fileops::ReadResult::Read) {
        return std::nullopt;
    }
    return DecodeJpeg(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                      fitWidth, fitHeight);
}

} // namespace tmt::platform
