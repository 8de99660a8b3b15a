#pragma once

#include "platform/JpegImage.h"

#include <QImage>
#include <QSize>

#include <span>

namespace tmt::ui {

QImage ToQImage(const platform::RgbImage& image);

// A JPEG file (native path) or bytes decoded for a picture control of the given size; a null
// image when it cannot be decoded.
QImage LoadJpegImage(const std::filesystem::path& nativePath, QSize fit = {});
QImage LoadJpegImage(std::span<const std::uint8_t> bytes, QSize fit = {});

} // namespace tmt::ui
