#pragma once

#include <QString>

namespace tmt::ui {

// A tool tip guesses whether its text is markup, so a folder or game name such as "<b>Ann" or
// "Tune&amp;Mora" would be interpreted; escaped inside a preformatted paragraph it shows exactly
// as it is, line breaks included.
inline QString PlainToolTip(const QString& text) {
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

} // namespace tmt::ui
