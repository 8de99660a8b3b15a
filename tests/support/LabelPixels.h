#pragma once

#include "settings/WrapLabel.h"

#include <QImage>
#include <QLabel>
#include <QPainter>

#include <QFontMetrics>

#include <cmath>
#include <memory>

namespace tmt::test {

// The label as drawn on its background colour: a label inside a window leaves its background
// to the window.
inline QImage OnBackground(QLabel& label) {
    const QImage drawn = label.grab().toImage();
    QImage image(drawn.size(), QImage::Format_RGB32);
    image.setDevicePixelRatio(drawn.devicePixelRatio());
    image.fill(label.palette().color(label.backgroundRole()));
    QPainter painter(&image);
    painter.drawImage(QPoint(), drawn);
    return image;
}

// Whether the label draws its text as the characters they are: pixel for pixel as a label of its
// kind that takes the text as plain text draws it, in the same font, alignment and size.
inline bool ShowsPlainText(QLabel& label) {
    std::unique_ptr<QLabel> plain;
    if (qobject_cast<const ui::WrapLabel*>(&label) != nullptr) {
        plain = std::make_unique<ui::WrapLabel>();
    } else {
        plain = std::make_unique<QLabel>();
    }
    plain->setTextFormat(Qt::PlainText);
    plain->setFont(label.font());
    plain->setPalette(label.palette());
    plain->setAlignment(label.alignment());
    plain->setWordWrap(label.wordWrap());
    plain->setMargin(label.margin());
    plain->setIndent(label.indent());
    plain->setTextInteractionFlags(label.textInteractionFlags());
    plain->setContentsMargins(label.contentsMargins());
    plain->setMaximumHeight(label.maximumHeight());
    plain->setText(label.text());
    plain->resize(label.size());
    return OnBackground(*plain) == OnBackground(label);
}

// The rows of the picture that hold anything but the background.
inline int InkRows(const QImage& image, QRgb background) {
    int rows = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

// How many rows of its one line of text the label cuts off at its edges: the rows that hold ink
// are counted in the label as drawn, and in the same text drawn by a painter with room all round.
// None when the label draws the text whole.
inline int RowsCutOff(QLabel& label) {
    const QImage drawn = OnBackground(label);
    const QRgb background = label.palette().color(label.backgroundRole()).rgb();
    const qreal ratio = drawn.devicePixelRatio();
    const QFontMetrics metrics(label.font());
    QImage free(static_cast<int>(std::ceil((metrics.horizontalAdvance(label.text()) + 20) * ratio)),
                static_cast<int>(std::ceil(metrics.height() * 3 * ratio)), QImage::Format_RGB32);
    free.setDevicePixelRatio(ratio);
    free.fill(background);
    QPainter painter(&free);
    painter.setFont(label.font());
    painter.setPen(label.palette().color(label.foregroundRole()));
    painter.drawText(QPointF(10, metrics.height() * 1.5), label.text());
    painter.end();
    return InkRows(free, background) - InkRows(drawn, background);
}

} // namespace tmt::test
