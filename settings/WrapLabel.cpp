#include "settings/WrapLabel.h"

#include "platform/qt/TextLines.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tmt::ui {

namespace {
constexpr QLatin1String kEllipsis("...");
// The width a label without a design width takes, in average characters.
constexpr int kFallbackCharacters = 20;
} // namespace

WrapLabel::WrapLabel(QWidget* parent) : QLabel(parent) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QMargins WrapLabel::Margins() const {
    return contentsMargins() + QMargins(margin(), margin(), margin(), margin());
}

// Whole pixels enough for the lines at the font's fractional line spacing, as a label measures.
int WrapLabel::TextHeight(int lineCount) const {
    const QFontMetricsF metrics(font());
    return lineCount <= 0 ? 0
                          : static_cast<int>(std::ceil((lineCount - 1) * metrics.lineSpacing() +
                                                       metrics.height()));
}

QStringList WrapLabel::ShownLines(int textWidth) const {
    const QFontMetrics metrics = fontMetrics();
    QStringList lines = WrapLines(text(), metrics, textWidth);
    if (maximumHeight() >= QWIDGETSIZE_MAX) {
        return lines;
    }
    const int room = maximumHeight() - Margins().top() - Margins().bottom();
    qsizetype fitting = 1;
    while (fitting < lines.size() && TextHeight(static_cast<int>(fitting + 1)) <= room) {
        ++fitting;
    }
    if (lines.size() <= fitting) {
        return lines;
    }
    lines.resize(fitting);
    QString& last = lines.back();
    while (!last.isEmpty() && metrics.horizontalAdvance(last + kEllipsis) > textWidth) {
        last.chop(1);
    }
    last += kEllipsis;
    return lines;
}

QSize WrapLabel::sizeHint() const {
    const int width = minimumWidth() > 0 ? minimumWidth()
                                         : fontMetrics().averageCharWidth() * kFallbackCharacters +
                                               Margins().left() + Margins().right();
    return {width, heightForWidth(width)};
}

// As tall as the lines need at the design width, so that a change of text changes the label's
// minimum, which the layouts around it pass up to the window.
QSize WrapLabel::minimumSizeHint() const {
    return sizeHint();
}

bool WrapLabel::hasHeightForWidth() const {
    return true;
}

int WrapLabel::heightForWidth(int width) const {
    const QMargins margins = Margins();
    const auto lines = ShownLines(width - margins.left() - margins.right());
    return TextHeight(static_cast<int>(lines.size())) + margins.top() + margins.bottom();
}

void WrapLabel::paintEvent(QPaintEvent*) {
    const QRect area = rect().marginsRemoved(Margins());
    const QStringList lines = ShownLines(area.width());
    const int height = TextHeight(static_cast<int>(lines.size()));
    qreal top = area.top();
    if (alignment() & Qt::AlignBottom) {
        top = area.bottom() + 1 - height;
    } else if (alignment() & Qt::AlignVCenter) {
        top = area.top() + (area.height() - height) / 2;
    }
    const int horizontal = static_cast<int>(alignment() & Qt::AlignHorizontal_Mask);
    const QFontMetricsF metrics(font());
    QPainter painter(this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    for (const QString& line : lines) {
        painter.drawText(QRectF(area.left(), top, area.width(), metrics.height()),
                         horizontal | Qt::AlignTop, line);
        top += metrics.lineSpacing();
    }
}

} // namespace tmt::ui
