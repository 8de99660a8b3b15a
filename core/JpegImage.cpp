#include "core/JpegImage.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

namespace tmt {

namespace {

// What one decoding may hold of the picture: its decoded pixels, and the whole-picture buffers
// that libjpeg keeps for a progressive or multi-scan file (two bytes a sample, at the file's full
// size whatever the output scale). About a 100-megapixel photo at its own size; a larger one that
// is scaled down on decoding stays well inside, while a forged header claiming 65500 x 65500
// is refused before anything of that size is allocated.
constexpr std::uint64_t kMaxDecodedBytes = 600'000'000;
constexpr std::uint64_t kBytesPerPixel = 3;

// Encoders write about ten scans. A progressive file of thousands of nearly empty scans makes the
// library walk the whole coefficient buffer once per scan: a few kilobytes that take minutes.
constexpr int kMaxScans = 100;

struct ErrorManager {
    jpeg_error_mgr base; // first, so that the library's pointer to it points to the whole
    std::jmp_buf jump;
};

[[noreturn]] void JumpOut(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings stay quiet. The library decodes a file that ends early to the end, filling the rest
// with grey, and only warns; a picture cut short is a failure here. The other warnings (stray
// bytes between markers, a damaged restart interval) leave a usable picture.
void OnMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
        JumpOut(info);
    }
}

void OnProgress(j_common_ptr info) {
    if (info->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
        JumpOut(info);
    }
}

// A side's length at N/8, rounded as libjpeg rounds it.
std::uint64_t Scaled(std::uint64_t side, unsigned eighths) {
    return (side * eighths + 7) / 8;
}

unsigned ScaleEighths(std::uint64_t width, std::uint64_t height, int fitWidth, int fitHeight) {
    if (fitWidth <= 0 || fitHeight <= 0) {
        return 8;
    }
    const bool widthLimits = static_cast<std::uint64_t>(fitWidth) * height <=
                             static_cast<std::uint64_t>(fitHeight) * width;
    const std::uint64_t side = widthLimits ? width : height;
    const auto wanted = static_cast<std::uint64_t>(widthLimits ? fitWidth : fitHeight);
    unsigned eighths = 1;
    while (eighths < 16 && Scaled(side, eighths) < wanted) {
        ++eighths;
    }
    // Enlarging serves pictures smaller than their box; a huge box must not make a huge buffer.
    while (eighths > 8 &&
           Scaled(width, eighths) * Scaled(height, eighths) * kBytesPerPixel > kMaxDecodedBytes) {
        --eighths;
    }
    return eighths;
}

std::uint8_t Product(unsigned a, unsigned b) {
    return static_cast<std::uint8_t>((a * b + 127) / 255);
}

// Adobe's programs store CMYK inverted (255 is no ink) and mark such files with their APP14
// marker; other writers store the ink itself.
void CmykToRgb(const JSAMPLE* in, std::size_t width, bool inverted, std::uint8_t* out) {
    for (std::size_t x = 0; x < width; ++x, in += 4, out += 3) {
        const unsigned flip = inverted ? 0 : 255;
        const unsigned k = in[3] ^ flip;
        out[0] = Product(in[0] ^ flip, k);
        out[1] = Product(in[1] ^ flip, k);
        out[2] = Product(in[2] ^ flip, k);
    }
}

struct Source {
    std::span<const std::uint8_t> bytes;
    std::FILE* file = nullptr;
};

// One libjpeg decompression. Each stretch of library calls runs under Guarded, where an error
// anywhere in the library jumps back and fails just that stretch. The frames that such a jump
// leaves hold nothing with a destructor; what the library allocated belongs to its pools and goes
// with jpeg_destroy_decompress, and the pixels belong to the caller.
class Decompressor {
public:
    Decompressor() {
        info_.err = jpeg_std_error(&errors_.base);
        errors_.base.error_exit = JumpOut;
        errors_.base.emit_message = OnMessage;
        errors_.base.output_message = [](j_common_ptr) {
        };
        progress_.progress_monitor = OnProgress;
    }
    ~Decompressor() { jpeg_destroy_decompress(&info_); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    // Reads the header and settles the output size; false for anything not to be decoded.
    bool Start(const Source& source, int fitWidth, int fitHeight) {
        return Guarded([&] { return ReadHeader(source, fitWidth, fitHeight); });
    }

    int Width() const { return static_cast<int>(info_.output_width); }
    int Height() const { return static_cast<int>(info_.output_height); }

    // Appends the rows to `pixels`, whose capacity must hold them all.
    bool ReadPixels(std::vector<std::uint8_t>& pixels) {
        return Guarded([&] { return ReadRows(pixels); });
    }

    // The picture's own size once the header was read, and whether the decoding stopped at the
    // limit of what it may hold rather than at something unreadable.
    JpegRefusal Refusal() const {
        const bool outOfRoom = errors_.base.msg_code == JERR_NO_BACKING_STORE ||
                               errors_.base.msg_code == JERR_OUT_OF_MEMORY;
        return {tooLarge_ || outOfRoom, static_cast<int>(info_.image_width),
                static_cast<int>(info_.image_height)};
    }
    void MarkTooLarge() { tooLarge_ = true; }

private:
    template <typename Body> bool Guarded(const Body& body) {
        if (setjmp(errors_.jump) != 0) {
            return false;
        }
        return body();
    }

    bool ReadHeader(const Source& source, int fitWidth, int fitHeight) {
        jpeg_create_decompress(&info_);
        if (source.file != nullptr) {
            jpeg_stdio_src(&info_, source.file);
        } else {
            jpeg_mem_src(&info_, source.bytes.data(), source.bytes.size());
        }
        jpeg_read_header(&info_, TRUE);
        switch (info_.jpeg_color_space) {
        case JCS_GRAYSCALE:
        case JCS_YCbCr:
        case JCS_RGB:
            info_.out_color_space = JCS_RGB;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            info_.out_color_space = JCS_CMYK;
            break;
        default:
            return false;
        }
        info_.scale_num = ScaleEighths(info_.image_width, info_.image_height, fitWidth, fitHeight);
        info_.scale_denom = 8;
        info_.progress = &progress_;
        jpeg_calc_output_dimensions(&info_);
        const std::uint64_t pixelBytes =
            static_cast<std::uint64_t>(info_.output_width) * info_.output_height * kBytesPerPixel;
        if (pixelBytes > kMaxDecodedBytes) {
            tooLarge_ = true;
            return false;
        }
        // The rest is the library's: a whole-picture buffer beyond it fails the decoding (there is
        // no backing store) instead of being allocated. Nothing left is 1, since 0 means no limit.
        info_.mem->max_memory_to_use =
            static_cast<long>(std::max<std::uint64_t>(kMaxDecodedBytes - pixelBytes, 1));
        return true;
    }

    bool ReadRows(std::vector<std::uint8_t>& pixels) {
        jpeg_start_decompress(&info_);
        const std::size_t width = info_.output_width;
        const bool cmyk = info_.out_color_space == JCS_CMYK;
        const JSAMPARRAY cmykRow =
            cmyk ? (*info_.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info_), JPOOL_IMAGE,
                                              info_.output_width * 4, 1)
                 : nullptr;
        while (info_.output_scanline < info_.output_height) {
            const std::size_t offset = pixels.size();
            pixels.resize(offset + width * 3);
            std::uint8_t* out = pixels.data() + offset;
            JSAMPROW row = cmyk ? cmykRow[0] : out;
            if (jpeg_read_scanlines(&info_, &row, 1) != 1) {
                return false;
            }
            if (cmyk) {
                CmykToRgb(row, width, info_.saw_Adobe_marker != 0, out);
            }
        }
        jpeg_finish_decompress(&info_);
        return true;
    }

    jpeg_decompress_struct info_{};
    ErrorManager errors_{};
    jpeg_progress_mgr progress_{};
    bool tooLarge_ = false;
};

std::optional<RgbImage> Decode(const Source& source, int fitWidth, int fitHeight,
                               JpegRefusal* refusal) {
    Decompressor decompressor;
    const auto refuse = [&]() -> std::optional<RgbImage> {
        if (refusal != nullptr) {
            *refusal = decompressor.Refusal();
        }
        return std::nullopt;
    };
    if (!decompressor.Start(source, fitWidth, fitHeight)) {
        return refuse();
    }
    RgbImage image{decompressor.Width(), decompressor.Height(), {}};
    try {
        // Reserved, not filled: a file that claims a large picture and ends early costs only
        // what it really held.
        image.pixels.reserve(static_cast<std::size_t>(image.width) *
                             static_cast<std::size_t>(image.height) * 3);
    } catch (const std::bad_alloc&) {
        decompressor.MarkTooLarge();
        return refuse();
    }
    if (!decompressor.ReadPixels(image.pixels)) {
        return refuse();
    }
    return image;
}

} // namespace

std::optional<RgbImage> DecodeJpeg(std::span<const std::uint8_t> bytes, int fitWidth, int fitHeight,
                                   JpegRefusal* refusal) {
    return Decode(Source{bytes}, fitWidth, fitHeight, refusal);
}

std::optional<RgbImage> DecodeJpegFile(std::FILE* file, int fitWidth, int fitHeight,
                                       JpegRefusal* refusal) {
    if (file == nullptr) {
        return std::nullopt;
    }
    return Decode(Source{{}, file}, fitWidth, fitHeight, refusal);
}

} // namespace tmt
