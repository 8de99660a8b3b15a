#include "platform/qt/JpegPixmap.h"

namespace tmt::ui {

QImage ToQImage(const platform::RgbImage& image) {
    const QImage view(image.pixels.data(), image.width, image.height, image.width * 3,
                      QImage::Format_RGB888);
    return view.copy();
}

namespace {
QImage Converted(const std::optional<platform::RgbImage>& decoded) {
    return decoded ? ToQImage(*decoded) : QImage();
}
} // namespace

QImage LoadJpegImage(const std::filesystem::path& nativePath, QSize fit) {
    return Converted(platform::DecodeJpegFile(nativePath, fit.width(), fit.height()));
}

QImage LoadJpegImage(std::span<const std::uint8_t> bytes, QSize fit) {
    return Converted(platform::DecodeJpeg(bytes, fit.width(), fit.height()));
}

} // namespace tmt::ui
