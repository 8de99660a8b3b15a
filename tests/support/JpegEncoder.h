#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tmt::test {

// How the samples are stored in the file. The samples handed to EncodeJpeg are RGB triples for
// YCbCr and Rgb, one grey value for Grayscale, and C, M, Y, K ink amounts (255 = full ink) for the
// CMYK kinds. The Adobe kinds carry Adobe's APP14 marker and store the ink inverted, as Adobe's
// programs do; PlainCmyk stores the ink as it is, without the marker.
enum class JpegColour { YCbCr, Rgb, Grayscale, AdobeCmyk, AdobeYcck, PlainCmyk };

struct JpegOptions {
    JpegColour colour = JpegColour::YCbCr;
    int quality = 90;
    bool progressive = false;
    bool arithmetic = false;
    int restartRows = 0;
    // A progressive script of one scan per DCT coefficient and component (64 a component).
    bool scanPerCoefficient = false;
};

int SamplesPerPixel(JpegColour colour);

// A JPEG file's bytes, written by libjpeg's compressor.
std::string EncodeJpeg(int width, int height, const std::vector<std::uint8_t>& samples,
                       const JpegOptions& options = {});

// A picture of one colour, `sample` being one pixel's samples; written row by row, so that large
// pictures need no large buffer.
std::string EncodeUniformJpeg(int width, int height, const std::vector<std::uint8_t>& sample,
                              const JpegOptions& options = {});

// The frame header's height and width replaced, the rest left as it was: a small file that claims
// a large picture.
std::string WithDimensions(std::string jpeg, int width, int height);

inline std::span<const std::uint8_t> AsBytes(const std::string& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

} // namespace tmt::test
