#include "platform/qt/TextLines.h"

#include <algorithm>
#include <cmath>

namespace tmt::ui {

namespace {

bool IsLineEnd(QChar c) {
    return c == u'\n' || c == u'\r';
}

// A text's width in whole pixels, rounded up as a label rounds it when it sizes itself.
int Width(const QFontMetricsF& metrics, const QString& text) {
    return static_cast<int>(std::ceil(metrics.horizontalAdvance(text)));
}

// The length of the longest start of `word` that fits the width: at least one character, and
// never half of a surrogate pair.
qsizetype FittingStart(const QString& word, const QFontMetricsF& metrics, int width) {
    qsizetype end = 0;
    while (end < word.size()) {
        const qsizetype next = end + (word[end].isHighSurrogate() && end + 1 < word.size() ? 2 : 1);
        if (end > 0 && Width(metrics, word.left(next)) > width) {
            break;
        }
        end = next;
    }
    return end;
}

void WrapParagraph(const QString& paragraph, const QFontMetricsF& metrics, int width,
                   QStringList& lines) {
    QString line;
    bool started = false; // something, if only a blank, stands on the line
    bool wrapped = false; // the line began at a wrap, so the blanks at its start are dropped
    for (QString word : paragraph.split(u' ')) {
        if (!started && wrapped && word.isEmpty()) {
            continue;
        }
        const QString candidate = started ? line + u' ' + word : word;
        if (Width(metrics, candidate) <= width) {
            line = candidate;
            started = true;
            continue;
        }
        if (started) {
            lines << line;
            line.clear();
            started = false;
            wrapped = true;
            if (word.isEmpty()) {
                continue;
            }
        }
        for (qsizetype cut = FittingStart(word, metrics, width); cut < word.size();
             cut = FittingStart(word, metrics, width)) {
            lines << word.left(cut);
            word.remove(0, cut);
        }
        line = word;
        started = true;
    }
    lines << line;
}

} // namespace

QStringList SplitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (!IsLineEnd(text[at])) {
            continue;
        }
        lines << text.mid(start, at - start);
        if (at + 1 < text.size() && IsLineEnd(text[at + 1]) && text[at + 1] != text[at]) {
            ++at;
        }
        start = at + 1;
    }
    lines << text.mid(start);
    return lines;
}

QStringList WrapLines(const QString& text, const QFontMetrics& metrics, int width) {
    width = std::max(width, 1);
    QStringList lines;
    for (const QString& paragraph : SplitLines(text)) {
        WrapParagraph(paragraph, QFontMetricsF(metrics), width, lines);
    }
    return lines;
}

} // namespace tmt::ui
