#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace tmt::platform {

// A decoded picture: rows of RGB triples, tightly packed.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// Decodes a JPEG through libjpeg. With a fit box, the picture is decoded at the smallest DCT scale
// that still covers the box on its limiting side, so a large photo never costs a full-size buffer.
// Every failure (not a JPEG, truncated, corrupt, over 100 megapixels) gives nothing.
std::optional<RgbImage> DecodeJpeg(std::span<const std::uint8_t> bytes, int fitWidth = 0,
                                   int fitHeight = 0);
std::optional<RgbImage> DecodeJpegFile(const std::filesystem::path& nativePath, int fitWidth = 0,
                                       int fitHeight = 0);

} // namespace tmt::platform
