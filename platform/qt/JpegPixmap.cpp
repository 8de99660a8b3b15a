#include "platform/qt/JpegPixmap.h"

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

#include <cstring>

namespace tmt::ui {

QImage ToQImage(const RgbImage& image) {
    QImage copy(image.width, image.height, QImage::Format_RGB888);
    if (copy.isNull()) {
        return {};
    }
    // Qt pads its rows to four bytes; the decoded rows are packed.
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(copy.scanLine(y), image.pixels.data() + static_cast<std::size_t>(y) * rowBytes,
                    rowBytes);
    }
    return copy;
}

namespace {

// The decoder stops at the DCT scale just above the fit size; smooth scaling does the rest.
QImage Fitted(const std::optional<RgbImage>& decoded, QSize fit) {
    if (!decoded) {
        return {};
    }
    QImage image = ToQImage(*decoded);
    if (image.isNull() || fit.isEmpty()) {
        return image;
    }
    const QSize target = image.size().scaled(fit, Qt::KeepAspectRatio);
    if (target == image.size()) {
        return image;
    }
    return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

QImage LoadJpegImage(std::string_view path, QSize fit, JpegRefusal* refusal) {
    // A picture with several names is rewritten in place; one that a crash cut off is finished
    // before it is shown, as every other read of a game file does.
    platform::FinishInterruptedRewrite(path);
    const platform::FileHandle file = platform::OpenFileForReading(path);
    return Fitted(DecodeJpegFile(file.get(), fit.width(), fit.height(), refusal), fit);
}

QImage LoadJpegImage(std::span<const std::uint8_t> bytes, QSize fit) {
    return Fitted(DecodeJpeg(bytes, fit.width(), fit.height()), fit);
}

} // namespace tmt::ui
