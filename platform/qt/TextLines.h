#pragma once

#include <QFontMetrics>
#include <QString>
#include <QStringList>

namespace tmt::ui {

// A text's own lines. As in Windows' DrawText, a line feed or a carriage return ends a line, and
// so does a pair of the two in either order ("\r\n", "\n\r"); two equal ones make an empty line.
QStringList SplitLines(const QString& text);

// The text laid out in lines of at most `width` pixels (a line's width rounded up to whole pixels,
// as a label measures it), as a Windows label or message box wraps it: a line ends at its own line
// break, or else at the last blank that still fits, the blanks at the break being dropped. A blank
// is the only place to break: a switch such as "-debug" or a path stays whole on its line. A single
// word wider than a whole line is broken where the line is full, so that nothing is cut off at the
// edge.
QStringList WrapLines(const QString& text, const QFontMetrics& metrics, int width);

} // namespace tmt::ui
