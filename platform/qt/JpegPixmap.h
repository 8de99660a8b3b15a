#pragma once

#include "core/JpegImage.h"

#include <QImage>
#include <QSize>

#include <span>
#include <string_view>

namespace tmt::ui {

// A deep copy in Format_RGB888; a null image when Qt cannot allocate it.
QImage ToQImage(const RgbImage& image);

// A JPEG file (a path in the game's form) or bytes decoded for a picture control. With a valid fit
// size the picture comes scaled up or down to fit it exactly on its limiting side, keeping its
// proportions (centring is the control's part); without one it comes at its own size. A null
// image when it cannot be decoded; `refusal`, when given, then learns why.
QImage LoadJpegImage(std::string_view path, QSize fit = {}, JpegRefusal* refusal = nullptr);
QImage LoadJpegImage(std::span<const std::uint8_t> bytes, QSize fit = {});

} // namespace tmt::ui
