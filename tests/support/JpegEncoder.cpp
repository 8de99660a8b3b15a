#include "tests/support/JpegEncoder.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include <jpeglib.h>

namespace tmt::test {

namespace {

struct FreeBuffer {
    void operator()(unsigned char* buffer) const { std::free(buffer); }
};

struct Layout {
    J_COLOR_SPACE input;
    J_COLOR_SPACE stored;
    bool invert;
};

Layout LayoutOf(JpegColour colour) {
    switch (colour) {
    case JpegColour::YCbCr:
        return {JCS_RGB, JCS_YCbCr, false};
    case JpegColour::Rgb:
        return {JCS_RGB, JCS_RGB, false};
    case JpegColour::Grayscale:
        return {JCS_GRAYSCALE, JCS_GRAYSCALE, false};
    case JpegColour::AdobeCmyk:
        return {JCS_CMYK, JCS_CMYK, true};
    case JpegColour::AdobeYcck:
        return {JCS_CMYK, JCS_YCCK, true};
    case JpegColour::PlainCmyk:
        return {JCS_CMYK, JCS_CMYK, false};
    }
    throw std::logic_error("unknown JPEG colour");
}

std::vector<jpeg_scan_info> ScanPerCoefficient(int components) {
    std::vector<jpeg_scan_info> scans;
    jpeg_scan_info dc{};
    dc.comps_in_scan = components;
    for (int c = 0; c < components; ++c) {
        dc.component_index[c] = c;
    }
    scans.push_back(dc);
    for (int c = 0; c < components; ++c) {
        for (int k = 1; k < DCTSIZE2; ++k) {
            jpeg_scan_info ac{};
            ac.comps_in_scan = 1;
            ac.component_index[0] = c;
            ac.Ss = k;
            ac.Se = k;
            scans.push_back(ac);
        }
    }
    return scans;
}

} // namespace

int SamplesPerPixel(JpegColour colour) {
    switch (LayoutOf(colour).input) {
    case JCS_GRAYSCALE:
        return 1;
    case JCS_CMYK:
        return 4;
    default:
        return 3;
    }
}

namespace {

// Rows as the file stores them (CMYK already inverted where the layout asks for it).
using RowSource = std::function<const std::uint8_t*(JDIMENSION y)>;

std::vector<std::uint8_t> Stored(std::vector<std::uint8_t> samples, JpegColour colour) {
    if (LayoutOf(colour).invert) {
        for (std::uint8_t& sample : samples) {
            sample = static_cast<std::uint8_t>(255 - sample);
        }
    }
    return samples;
}

// The default error handler ends the process; the inputs here are the tests' own, so an error is
// a broken test.
std::string Encode(int width, int height, const RowSource& rowAt, const JpegOptions& options) {
    const Layout layout = LayoutOf(options.colour);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);

    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = SamplesPerPixel(options.colour);
    info.in_color_space = layout.input;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, layout.stored);
    if (options.colour == JpegColour::PlainCmyk) {
        info.write_Adobe_marker = FALSE;
    }
    jpeg_set_quality(&info, options.quality, TRUE);
    info.arith_code = options.arithmetic ? TRUE : FALSE;
    info.restart_in_rows = options.restartRows;
    std::vector<jpeg_scan_info> scans;
    if (options.scanPerCoefficient) {
        scans = ScanPerCoefficient(info.num_components);
        info.scan_info = scans.data();
        info.num_scans = static_cast<int>(scans.size());
    } else if (options.progressive) {
        jpeg_simple_progression(&info);
    }

    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        // The compressor only reads its input rows.
        JSAMPROW row = const_cast<JSAMPLE*>(rowAt(info.next_scanline));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const std::unique_ptr<unsigned char, FreeBuffer> owned(buffer);
    return std::string(reinterpret_cast<const char*>(buffer), size);
}

} // namespace

std::string EncodeJpeg(int width, int height, const std::vector<std::uint8_t>& samples,
                       const JpegOptions& options) {
    const std::size_t rowSamples =
        static_cast<std::size_t>(width) * SamplesPerPixel(options.colour);
    if (samples.size() != rowSamples * height) {
        throw std::invalid_argument("sample count does not match the picture size");
    }
    const std::vector<std::uint8_t> stored = Stored(samples, options.colour);
    return Encode(
        width, height, [&](JDIMENSION y) { return stored.data() + y * rowSamples; }, options);
}

std::string EncodeUniformJpeg(int width, int height, const std::vector<std::uint8_t>& sample,
                              const JpegOptions& options) {
    if (sample.size() != static_cast<std::size_t>(SamplesPerPixel(options.colour))) {
        throw std::invalid_argument("one pixel's samples expected");
    }
    const std::vector<std::uint8_t> pixel = Stored(sample, options.colour);
    std::vector<std::uint8_t> row;
    row.reserve(static_cast<std::size_t>(width) * pixel.size());
    for (int x = 0; x < width; ++x) {
        row.insert(row.end(), pixel.begin(), pixel.end());
    }
    return Encode(
        width, height, [&](JDIMENSION) { return row.data(); }, options);
}

std::string WithDimensions(std::string jpeg, int width, int height) {
    std::size_t at = 2;
    while (at + 9 <= jpeg.size()) {
        const auto code = static_cast<unsigned char>(jpeg[at + 1]);
        if (code >= 0xC0 && code <= 0xC2) {
            jpeg[at + 5] = static_cast<char>(height >> 8);
            jpeg[at + 6] = static_cast<char>(height & 0xFF);
            jpeg[at + 7] = static_cast<char>(width >> 8);
            jpeg[at + 8] = static_cast<char>(width & 0xFF);
            return jpeg;
        }
        at += 2 + (static_cast<unsigned char>(jpeg[at + 2]) << 8 |
                   static_cast<unsigned char>(jpeg[at + 3]));
    }
    throw std::runtime_error("no frame header");
}

} // namespace tmt::test
