// Writes JPEG pictures with the test encoder:
//   tm_jpeg_samples corpus FOLDER                  the decoder's fuzz seed corpus
//   tm_jpeg_samples photo FILE WIDTH HEIGHT [progressive]
//                                                  a large photo-like picture for the benchmark
#include "tests/support/JpegEncoder.h"
#include "tests/support/TempDir.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using tmt::test::EncodeJpeg;
using tmt::test::JpegColour;
using tmt::test::JpegOptions;

// Smooth shading with a little texture, in the sample layout of `colour`. Odd sizes leave
// partial blocks at the right and bottom edges.
std::vector<std::uint8_t> Shaded(int width, int height, JpegColour colour) {
    const int perPixel = tmt::test::SamplesPerPixel(colour);
    std::vector<std::uint8_t> samples;
    samples.reserve(static_cast<std::size_t>(width) * height * perPixel);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < perPixel; ++c) {
                const int value = (x * 255 / width + y * 97 / height + c * 60 + (x ^ y) % 7) % 256;
                samples.push_back(static_cast<std::uint8_t>(value));
            }
        }
    }
    return samples;
}

int WriteCorpus(const std::filesystem::path& folder) {
    const struct {
        const char* name;
        JpegOptions options;
    } seeds[] = {
        {"baseline.jpg", {}},
        {"rgb.jpg", {.colour = JpegColour::Rgb}},
        {"grey.jpg", {.colour = JpegColour::Grayscale}},
        {"progressive.jpg", {.progressive = true}},
        {"progressive-grey.jpg", {.colour = JpegColour::Grayscale, .progressive = true}},
        {"progressive-cmyk.jpg", {.colour = JpegColour::AdobeCmyk, .progressive = true}},
        {"adobe-cmyk.jpg", {.colour = JpegColour::AdobeCmyk}},
        {"adobe-ycck.jpg", {.colour = JpegColour::AdobeYcck}},
        {"plain-cmyk.jpg", {.colour = JpegColour::PlainCmyk}},
        {"arithmetic-restart.jpg", {.arithmetic = true, .restartRows = 1}},
    };
    std::filesystem::create_directories(folder);
    for (const auto& seed : seeds) {
        JpegOptions options = seed.options;
        options.quality = 75;
        tmt::test::WriteFile(folder / seed.name,
                             EncodeJpeg(33, 25, Shaded(33, 25, options.colour), options));
    }
    return 0;
}

// Gradients with noise, about as costly to decode per pixel as a camera's photo.
int WritePhoto(const std::filesystem::path& file, int width, int height, bool progressive) {
    std::vector<std::uint8_t> samples;
    samples.reserve(static_cast<std::size_t>(width) * height * 3);
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double wave = std::sin(x / 350.0 + std::cos(y / 420.0) * 2.0);
            const int base[3] = {static_cast<int>(128 + 90 * wave), 60 + y * 150 / height,
                                 200 - x * 140 / width};
            for (int value : base) {
                noise = noise * 1664525u + 1013904223u;
                value += static_cast<int>(noise >> 27) - 16;
                samples.push_back(static_cast<std::uint8_t>(value < 0     ? 0
                                                            : value > 255 ? 255
                                                                          : value));
            }
        }
    }
    tmt::test::WriteFile(
        file, EncodeJpeg(width, height, samples, {.quality = 90, .progressive = progressive}));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "corpus" && argc == 3) {
        return WriteCorpus(argv[2]);
    }
    if (mode == "photo" && (argc == 5 || argc == 6)) {
        const bool progressive = argc == 6 && std::string(argv[5]) == "progressive";
        return WritePhoto(argv[2], std::stoi(argv[3]), std::stoi(argv[4]), progressive);
    }
    std::fprintf(stderr,
                 "usage: %s corpus FOLDER\n       %s photo FILE WIDTH HEIGHT [progressive]\n",
                 argv[0], argv[0]);
    return 2;
}
