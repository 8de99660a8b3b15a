#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <vector>

namespace tmt {

// A decoded picture: rows of RGB triples, tightly packed (width * 3 bytes a row).
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// Why a picture decoded to nothing: tooLarge for a picture that is readable but whose decoding
// would hold more than the limit below (its size then as its header gives it); otherwise it is not
// a readable JPEG.
struct JpegRefusal {
    bool tooLarge = false;
    int width = 0;
    int height = 0;
};

// Decodes a JPEG (grayscale, YCbCr, RGB, CMYK or YCCK; baseline or progressive) through libjpeg.
//
// With a fit box (both sides above 0) the picture is decoded at the smallest DCT scale N/8
// (N = 1..16) whose output still reaches the box on the side that limits when the picture is
// fitted into it keeping its proportions; the caller scales the rest of the way. So a large photo
// decoded for a small control never costs a full-size buffer. Without a fit box the picture comes
// at its own size.
//
// Every failure gives nothing: not a JPEG, corrupt, cut short (also when only the end marker is
// missing), more than 100 scans, or more than 600 MB held by the decoding (the pixels at the
// output scale and libjpeg's whole-picture buffers; a progressive 100-megapixel photo at its own
// size needs about that). The limit is on what the decoding holds, not on the header's size: a
// larger picture loads when it is scaled down enough on decoding. `refusal`, when given, learns why
// nothing came.
std::optional<RgbImage> DecodeJpeg(std::span<const std::uint8_t> bytes, int fitWidth = 0,
                                   int fitHeight = 0, JpegRefusal* refusal = nullptr);

// The same for a file open for reading, read as it is decoded rather than loaded whole; the caller
// closes it. No file, or one that cannot be read, also gives nothing.
std::optional<RgbImage> DecodeJpegFile(std::FILE* file, int fitWidth = 0, int fitHeight = 0,
                                       JpegRefusal* refusal = nullptr);

} // namespace tmt
