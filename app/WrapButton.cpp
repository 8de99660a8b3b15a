#include "app/WrapButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace tmt::ui {

namespace {
constexpr int kTextFlags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
constexpr int kMargin = 4;
} // namespace

WrapButton::WrapButton(QWidget* parent) : QPushButton(parent) {}

QRect WrapButton::TextArea() const {
    return rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
}

QSize WrapButton::sizeHint() const {
    // Wide enough for the longest word, tall enough for the caption wrapped at the current width.
    const QFontMetrics metrics = fontMetrics();
    int widest = 0;
    for (const QString& word : text().split(u' ', Qt::SkipEmptyParts)) {
        widest = std::max(widest, metrics.horizontalAdvance(word));
    }
    const int width = std::max(widest + 2 * kMargin + 8, 75);
    const int wrapWidth = std::max(this->width(), width) - 2 * kMargin;
    const QRect wrapped = metrics.boundingRect(QRect(0, 0, wrapWidth, 10000), kTextFlags, text());
    return {width, std::max(wrapped.height() + 2 * kMargin + 6, 25)};
}

QSize WrapButton::minimumSizeHint() const {
    return sizeHint();
}

void WrapButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(TextArea(), kTextFlags, text());
}

} // namespace tmt::ui
