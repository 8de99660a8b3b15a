#include "tests/profiles/AvatarFiles.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

namespace tmt::test {

namespace {

struct Compressor {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    Compressor() {
        info.err = jpeg_std_error(&errors);
        jpeg_create_compress(&info);
        jpeg_mem_dest(&info, &buffer, &size);
    }
    ~Compressor() {
        jpeg_destroy_compress(&info);
        std::free(buffer);
    }
};

std::vector<JSAMPLE> Row(int width, int y, int components) {
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width * components));
    for (int x = 0; x < width; ++x) {
        for (int c = 0; c < components; ++c) {
            row[static_cast<std::size_t>(x * components + c)] =
                static_cast<JSAMPLE>((x * 7 + y * 3 + c * 60) & 0xFF);
        }
    }
    return row;
}

} // namespace

std::string MakeJpeg(int width, int height, JpegKind kind) {
    Compressor compressor;
    jpeg_compress_struct& info = compressor.info;
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = kind == JpegKind::Gray ? 1 : kind == JpegKind::Cmyk ? 4 : 3;
    info.in_color_space = kind == JpegKind::Gray   ? JCS_GRAYSCALE
                          : kind == JpegKind::Cmyk ? JCS_CMYK
                                                   : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 85, TRUE);
    if (kind == JpegKind::Progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        std::vector<JSAMPLE> row =
            Row(width, static_cast<int>(info.next_scanline), info.input_components);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    return std::string(reinterpret_cast<const char*>(compressor.buffer), compressor.size);
}

std::string WithClaimedSize(std::string jpeg, int width, int height) {
    // Markers follow the start-of-image; a frame header (C0 to C2) holds the size after its
    // length and precision.
    std::size_t at = 2;
    while (at + 9 < jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xFF) {
        const auto marker = static_cast<unsigned char>(jpeg[at + 1]);
        const std::size_t length = (static_cast<unsigned char>(jpeg[at + 2]) << 8) |
                                   static_cast<unsigned char>(jpeg[at + 3]);
        if (marker >= 0xC0 && marker <= 0xC2) {
            jpeg[at + 5] = static_cast<char>(height >> 8);
            jpeg[at + 6] = static_cast<char>(height & 0xFF);
            jpeg[at + 7] = static_cast<char>(width >> 8);
            jpeg[at + 8] = static_cast<char>(width & 0xFF);
            return jpeg;
        }
        at += 2 + length;
    }
    throw std::runtime_error("no frame header");
}

} // namespace tmt::test
