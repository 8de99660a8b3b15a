#pragma once

#include <QByteArray>

namespace tmt::ui {

// Windows measures the lines of a TrueType font by the OS/2 table's usWinAscent and usWinDescent,
// which reach the top of the accents on capitals ("Ü", "Å"). Qt on FreeType measures the same
// file otherwise: by the line metrics of an embedded bitmap strike when the font has one at the
// requested size, and by the typographic ascender when the font sets USE_TYPO_METRICS. For a Tahoma
// that has both, both come about two pixels short at 8 points, so the accents stand above the
// line and a label cuts them off.
//
// Rewrites the font's tables so that Qt measures the lines as Windows does: the bitmap strikes
// hidden (Qt draws the outlines all the same), the flag cleared, and usWinAscent raised by the
// height that Qt's synthetic bold adds above an outline, so that bold accents fit as well.
// Returns false, leaving the bytes alone, when they are no TrueType font with these tables.
bool UseGdiLineMetrics(QByteArray& font);

} // namespace tmt::ui
